#include "app/discovery/DeviceDiscovery.h"

#include "configuration/Config.h"
#include "configuration/FilePaths.h"
#include "app/discovery/Announcement.h"
#include "device/Varnok120X.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QSettings>

DeviceDiscovery::DeviceDiscovery(quint16 port, QObject *parent) : QObject(parent)
{
    m_clock.start();
    // Shared, so that other programs on this computer may listen as well.
    if (!m_socket.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress))
        qWarning().noquote() << "DravolinteApp::bindDiscoverySocket" << port << m_socket.errorString();
    connect(&m_socket, &QUdpSocket::readyRead, this, &DeviceDiscovery::readDatagrams);
    connect(&m_tick, &QTimer::timeout, this, &DeviceDiscovery::dropSilent);
    m_tick.start(kTickMs);
}

void DeviceDiscovery::stop()
{
    m_tick.stop();
    m_socket.close();
}

void DeviceDiscovery::readDatagrams()
{
    // A bounded number per call: what a flood leaves unread keeps the socket
    // readable, and readyRead comes again after the other events have had
    // their turn. (Each call must read at least one datagram, or the socket
    // stops signalling: it is only called on readyRead.)
    for (int handled = 0; handled < kDatagramsPerPass && m_socket.hasPendingDatagrams(); ++handled) {
        // One byte more than an announcement may have: a longer datagram is
        // cut here and then refused whole.
        const QNetworkDatagram datagram = m_socket.receiveDatagram(Announcement::kMaxDatagramSize + 1);
        if (!datagram.isValid())
            break;
        const QString id = Announcement::idOf(datagram.data());
        bool ipv4 = false;
        const quint32 address = datagram.senderAddress().toIPv4Address(&ipv4);
        if (!id.isEmpty() && ipv4)
            handleAnnouncement(id, QHostAddress(address).toString());
    }
}

void DeviceDiscovery::handleAnnouncement(const QString &id, const QString &ip)
{
    const QString code = Announcement::typeCode(id);
    const int version = Announcement::versionOf(code);
    if (version == 0)
        return;
    const QString model = modelName(Announcement::modelNumber(code));
    if (!m_devices.contains(id)) {
        if (m_devices.size() >= DeviceList::kMaxDevices) {
            if (!m_listFull)
                qWarning().noquote() << "DravolinteApp::slotUdpRecv" << "device list full, ignoring" << id;
            m_listFull = true;
            return;
        }
        qInfo().noquote() << "DravolinteApp::slotUdpRecv" << model.split(QLatin1Char('/')).join(QLatin1Char(' ')) << ip
                          << id << code;
    }
    m_devices.update({id, ip, Announcement::shortName(model), m_clock.elapsed()});

    Config *cfg = Config::instance();
    Varnok120X *device = m_driver.load();
    if (!cfg || !device)
        return;
    const bool adopt = cfg->ident().isEmpty();
    // Only the controller this program works with decides the machine
    // version: any other one on the network is merely listed.
    const bool chosen = adopt || device->ident() == id || cfg->ident() == id;
    if (chosen && (adopt || version != cfg->version())) {
        cfg->resetVersionParam(Config::VersionType(version));
        if (version != cfg->version())
            cfg->setVersion(version);
    }
    if (adopt) {
        cfg->setIdent(id);
        device->setIdent(id);
    }
    if (device->ident() == id)
        device->setIp(ip);
}

void DeviceDiscovery::dropSilent()
{
    const QStringList gone = m_devices.removeSilent(m_clock.elapsed());
    for (const QString &id : gone)
        qInfo().noquote() << "DravolinteApp::slotUdpTimer" << "not heard for 11 s:" << id;
    if (m_devices.size() < DeviceList::kMaxDevices)
        m_listFull = false;
}

QString DeviceDiscovery::modelName(int number)
{
    // Read again only when the file changes: announcements come every second.
    const QString dir = programFilesFolder();
    const QFileInfo info(dir + QStringLiteral("/dev.ini"));
    const QDateTime stamp = info.exists() ? info.lastModified() : QDateTime();
    if (!m_devIniRead || stamp != m_devIniStamp) {
        m_modelNames.clear();
        if (info.exists()) {
            QSettings ini(info.absoluteFilePath(), QSettings::IniFormat);
            ini.beginGroup(QStringLiteral("DeviceModel"));
            const QStringList keys = ini.childKeys();
            for (const QString &key : keys) {
                bool ok = false;
                const int n = key.toInt(&ok);
                if (ok)
                    m_modelNames.insert(n, ini.value(key).toString());
            }
        }
        m_devIniStamp = stamp;
        m_devIniRead = true;
    }
    return m_modelNames.value(number);
}
