#include "device/state/MachineState.h"

bool MachineState::Versions::operator!=(const Versions &o) const
{
    for (int i = 0; i < 8; ++i) {
        if (values[i] != o.values[i])
            return true;
    }
    return false;
}

MachineState::MachineState(double print, double film, double collect, double gyro)
    : printRoller(print), filmRoller(film), collectRoller(collect), gyroscope(gyro),
      m_featureFlags(QList<int>(kFeatureFlagCount, 0))
{
}

bool MachineState::changeDeviceState(qulonglong mask, qulonglong bits)
{
    return m_deviceState.update([&](qulonglong &state) {
        const qulonglong next = (state & ~mask) | (bits & mask);
        if (next == state)
            return false;
        state = next;
        return true;
    });
}

int MachineState::pressure(int knife) const
{
    return m_pressures.get().value(knife, 100);
}

bool MachineState::setPressure(int knife, int value)
{
    return m_pressures.update([&](QMap<int, int> &map) {
        const auto it = map.constFind(knife);
        if (it != map.constEnd() && it.value() == value)
            return false;
        map.insert(knife, value);
        return true;
    });
}

QPointF MachineState::devicePoint(int knife) const
{
    return m_devicePoints.get().value(knife);
}

void MachineState::setDevicePoint(int knife, QPointF point)
{
    m_devicePoints.update([&](QMap<int, QPointF> &map) {
        map.insert(knife, point);
        return true;
    });
}

QPointF MachineState::knifeOffset(int knife) const
{
    return m_knifeOffsets.get().value(knife);
}

void MachineState::setKnifeOffsetY(int knife, double y)
{
    m_knifeOffsets.update([&](QMap<int, QPointF> &map) {
        map[knife].setY(y);
        return true;
    });
}

int MachineState::featureFlag(int entry) const
{
    return m_featureFlags.get().value(entry, 0);
}

void MachineState::setFeatureFlag(int entry, int value)
{
    m_featureFlags.update([&](QList<int> &flags) {
        if (entry < 0 || entry >= flags.size())
            return false;
        flags[entry] = value;
        return true;
    });
}

MachineState::Versions MachineState::versions() const
{
    return Versions{{pcbVer.get(), firmware.get(), pcbVerDriver.get(), firmwareDriver.get(), pcbVerSensor.get(),
                     firmwareSensor.get(), pcbVerTrim.get(), firmwareTrim.get()}};
}

void MachineState::startLink()
{
    alarmText.set(QString());
    m_rollerReading.set(QElapsedTimer());
}

void MachineState::noteRollerReading()
{
    m_rollerReading.update([](QElapsedTimer &t) {
        t.start();
        return true;
    });
}

qint64 MachineState::rollerReadingAgeMs() const
{
    const QElapsedTimer t = m_rollerReading.get();
    return t.isValid() ? t.elapsed() : -1;
}

void MachineState::noteUpgradeProgress()
{
    m_lastProgress.update([](QElapsedTimer &t) {
        t.start();
        return true;
    });
}

qint64 MachineState::upgradeQuietMs() const
{
    const QElapsedTimer t = m_lastProgress.get();
    return t.isValid() ? t.elapsed() : -1;
}
