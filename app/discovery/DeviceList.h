#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The controllers heard lately, keyed and ordered by id. Times are
// milliseconds of a monotonic clock that the owner supplies, so a run across
// midnight or a change of the system clock neither keeps nor drops anyone.
class DeviceList
{
public:
    struct Device
    {
        QString id;
        QString ip;
        QString name;
        qint64 lastSeenMs = 0;
    };

    // Enough for any shop floor; what a flood of made-up ids adds beyond it is dropped.
    static constexpr int kMaxDevices = 256;
    static constexpr qint64 kSilenceMs = 11000;

    bool contains(const QString &id) const { return m_devices.contains(id); }
    Device device(const QString &id) const { return m_devices.value(id); }
    // Adds or refreshes a record; false (nothing stored) when the id is new
    // and the list is full.
    bool update(const Device &device);
    // Removes every record last heard kSilenceMs or more before nowMs and
    // returns their ids.
    QStringList removeSilent(qint64 nowMs);
    QStringList ids() const { return m_devices.keys(); }
    int size() const { return int(m_devices.size()); }
    void clear() { m_devices.clear(); }

private:
    QMap<QString, Device> m_devices;
};
