#pragma once

#include "configuration/Guarded.h"

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QSizeF>
#include <QString>

// What the driver knows of the machine: the values the controller reported
// and the pages show, each in a store of its own (Guarded), so that the
// reader, link, work and poll threads may write while the pages read. The
// driver's properties are forwards to these stores; the few values that
// change together are changed in one step by the members below.
class MachineState
{
public:
    static constexpr int kFeatureFlagCount = 30;

    // The cut-data transfer announced by the last successful size announcement.
    struct PltTransfer
    {
        quint64 total = 0;   // bytes announced
        quint64 sent = 0;    // bytes sent since
        quint64 package = 0; // largest package allowed
    };
    // Board and firmware versions of the four modules, to tell a change.
    struct Versions
    {
        QString values[8];
        bool operator!=(const Versions &o) const;
    };

    MachineState(double printRoller, double filmRoller, double collectRoller, double gyroscope);

    // Identity and versions.
    Guarded<QString> ident, devType, devId, pcbId;
    Guarded<QString> pcbVer, firmware, pcbVerDriver, firmwareDriver, pcbVerSensor, firmwareSensor, pcbVerTrim,
        firmwareTrim;
    // Readings.
    Guarded<double> printRoller, filmRoller, collectRoller, gyroscope, scalex{1.0}, scaley{1.0};
    Guarded<int> speed{10}, cutModel, cutMotorStatus, markLight, checkBackgroundLight, checkLightStrip;
    Guarded<bool> sensors[7];
    Guarded<QColor> rgbLightStrip;
    Guarded<int> currentKnife, trimYResetValue;
    Guarded<int> collectMotorState, rectifyMotorState, trimXMotorState, trimYMotorState;
    Guarded<float> rectifyLength;
    Guarded<QSizeF> workArea;
    Guarded<QPointF> origin;
    Guarded<QString> alarmText;
    // What the pages set or are told.
    Guarded<bool> polling, feedMotorRunning, filmMotorRunning, collectMotorRunning, upgrading;
    Guarded<QString> errorMessage, updateFile, progress{QStringLiteral("0")};
    Guarded<int> index{2};
    Guarded<double> updateProgress;
    Guarded<PltTransfer> plt;

    qulonglong deviceState() const { return m_deviceState.get(); }
    // Sets the bits of mask to those of bits in one step; true when the state changed.
    bool changeDeviceState(qulonglong mask, qulonglong bits);

    // Pressure per knife; 100 for a knife never reported.
    int pressure(int knife) const;
    bool setPressure(int knife, int value);
    QPointF devicePoint(int knife) const;
    void setDevicePoint(int knife, QPointF point);
    QPointF knifeOffset(int knife) const;
    void setKnifeOffsetY(int knife, double y);

    int featureFlag(int entry) const;
    void setFeatureFlag(int entry, int value);

    Versions versions() const;

    // A new link: no alarm text and no roller reading yet.
    void startLink();
    void noteRollerReading();
    // Milliseconds since the last roller reading of this link; -1 when none.
    qint64 rollerReadingAgeMs() const;
    void noteUpgradeProgress();
    // Milliseconds since the last firmware progress report; -1 when none.
    qint64 upgradeQuietMs() const;

private:
    Guarded<qulonglong> m_deviceState;
    Guarded<QMap<int, int>> m_pressures;
    Guarded<QMap<int, QPointF>> m_devicePoints, m_knifeOffsets;
    Guarded<QList<int>> m_featureFlags;
    Guarded<QElapsedTimer> m_rollerReading, m_lastProgress; // invalid: none yet
};

inline bool operator==(const MachineState::PltTransfer &a, const MachineState::PltTransfer &b)
{
    return a.total == b.total && a.sent == b.sent && a.package == b.package;
}
