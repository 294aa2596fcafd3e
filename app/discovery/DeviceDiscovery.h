#pragma once

#include "app/discovery/Announcement.h"
#include "app/discovery/DeviceList.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>
#include <atomic>

class Varnok120X;

// Device discovery: controllers announce themselves by UDP; the list of the
// ones heard lately feeds the device picker, the first one heard is adopted,
// and the chosen one's address goes to the driver, which links to it.
// Lives on the main thread, where the socket and the tick deliver.
class DeviceDiscovery : public QObject
{
    Q_OBJECT

public:
    static constexpr int kTickMs = 5000;
    // Datagrams handled in one pass; a flood is worked off pass by pass
    // between the other events of the main thread.
    static constexpr int kDatagramsPerPass = 64;

    // Binds the discovery port (shared; 0: a free one, for tests that must
    // not meet other programs listening on this computer) and starts the tick.
    explicit DeviceDiscovery(quint16 port = Announcement::kPort, QObject *parent = nullptr);
    quint16 port() const { return m_socket.localPort(); }

    // The driver that adopts and links; may be null.
    void setDriver(Varnok120X *driver) { m_driver.store(driver); }
    void stop();
    QStringList onlineDevices() const { return m_devices.ids(); }

public slots:
    // readyRead: a bounded number of datagrams per call.
    void readDatagrams();
    // The tick: controllers silent for 11 s go.
    void dropSilent();

private:
    void handleAnnouncement(const QString &id, const QString &ip);
    QString modelName(int number);

    std::atomic<Varnok120X *> m_driver{nullptr};
    QUdpSocket m_socket;
    DeviceList m_devices;
    QTimer m_tick;
    QElapsedTimer m_clock;
    bool m_listFull = false;
    // Model names from "dev.ini", read again when the file changes.
    QMap<int, QString> m_modelNames;
    QDateTime m_devIniStamp;
    bool m_devIniRead = false;
};
