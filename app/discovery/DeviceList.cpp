#include "app/discovery/DeviceList.h"

bool DeviceList::update(const Device &device)
{
    auto it = m_devices.find(device.id);
    if (it == m_devices.end()) {
        if (m_devices.size() >= kMaxDevices)
            return false;
        m_devices.insert(device.id, device);
        return true;
    }
    *it = device;
    return true;
}

QStringList DeviceList::removeSilent(qint64 nowMs)
{
    QStringList removed;
    for (auto it = m_devices.begin(); it != m_devices.end();) {
        if (nowMs - it->lastSeenMs >= kSilenceMs) {
            removed << it.key();
            it = m_devices.erase(it);
        } else {
            ++it;
        }
    }
    return removed;
}
