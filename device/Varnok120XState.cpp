// The driver's properties: forwards to the stores of the MachineState. A
// setter emits its change signal, outside the store's lock, only when the
// value changed (doubles within Qt's fuzzy compare).
#include "configuration/Config.h"
#include "device/Varnok120X.h"

#include <QThread>

DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, devType, setDevType, m_state.devType)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, devId, setDevId, m_state.devId)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, pcbId, setPcbId, m_state.pcbId)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, pcbVer, setPcbVer, m_state.pcbVer)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, firmware, setFirmware, m_state.firmware)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, pcbVerDriver, setPcbVerDriver, m_state.pcbVerDriver)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, firmwareDriver, setFirmwareDriver, m_state.firmwareDriver)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, pcbVerSensor, setPcbVerSensor, m_state.pcbVerSensor)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, firmwareSensor, setFirmwareSensor, m_state.firmwareSensor)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, pcbVerTrim, setPcbVerTrim, m_state.pcbVerTrim)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, firmwareTrim, setFirmwareTrim, m_state.firmwareTrim)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, progress, setProgress, m_state.progress)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, updateFile, setUpdateFile, m_state.updateFile)
DRAVO_GUARDED_PROPERTY(Varnok120X, QString, const QString &, errorMessage, setErrorMessage, m_state.errorMessage)
DRAVO_GUARDED_PROPERTY(Varnok120X, double, double, printRoller, setPrintRoller, m_state.printRoller)
DRAVO_GUARDED_PROPERTY(Varnok120X, double, double, filmRoller, setFilmRoller, m_state.filmRoller)
DRAVO_GUARDED_PROPERTY(Varnok120X, double, double, collectRoller, setCollectRoller, m_state.collectRoller)
DRAVO_GUARDED_PROPERTY(Varnok120X, double, double, gyroscope, setGyroscope, m_state.gyroscope)
DRAVO_GUARDED_PROPERTY(Varnok120X, double, double, scalex, setScalex, m_state.scalex)
DRAVO_GUARDED_PROPERTY(Varnok120X, double, double, scaley, setScaley, m_state.scaley)
DRAVO_GUARDED_PROPERTY(Varnok120X, double, double, updateProgress, setUpdateProgress, m_state.updateProgress)
DRAVO_GUARDED_PROPERTY(Varnok120X, int, int, speed, setSpeed, m_state.speed)
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, sensor1, setSensor1, m_state.sensors[0])
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, sensor2, setSensor2, m_state.sensors[1])
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, sensor3, setSensor3, m_state.sensors[2])
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, sensor4, setSensor4, m_state.sensors[3])
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, sensor5, setSensor5, m_state.sensors[4])
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, sensor6, setSensor6, m_state.sensors[5])
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, sensor7, setSensor7, m_state.sensors[6])
DRAVO_GUARDED_PROPERTY(Varnok120X, int, int, cutModel, setCutModel, m_state.cutModel)
DRAVO_GUARDED_PROPERTY(Varnok120X, int, int, markLight, setMarkLight, m_state.markLight)
DRAVO_GUARDED_PROPERTY(Varnok120X, int, int, checkBackgroundLight, setCheckBackgroundLight, m_state.checkBackgroundLight)
DRAVO_GUARDED_PROPERTY(Varnok120X, int, int, checkLightStrip, setCheckLightStrip, m_state.checkLightStrip)
DRAVO_GUARDED_PROPERTY(Varnok120X, QColor, const QColor &, rgbLightStrip, setRgbLightStrip, m_state.rgbLightStrip)
DRAVO_GUARDED_PROPERTY(Varnok120X, int, int, index, setIndex, m_state.index)
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, feedMotorRunning, setFeedMotorRunning, m_state.feedMotorRunning)
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, filmMotorRunning, setFilmMotorRunning, m_state.filmMotorRunning)
DRAVO_GUARDED_PROPERTY(Varnok120X, bool, bool, collectMotorRunning, setCollectMotorRunning, m_state.collectMotorRunning)

QString Varnok120X::ident() const
{
    return m_state.ident.get();
}

void Varnok120X::setIdent(const QString &ident)
{
    if (!m_state.ident.set(ident))
        return;
    emit identChanged();
    // Another controller is chosen: its address comes with its next
    // announcement, and nothing may run on the old one's initial reads.
    m_ready.store(false);
    forgetAddress();
}

QString Varnok120X::ip() const
{
    return m_link.address();
}

void Varnok120X::setIp(const QString &address)
{
    changeIp(address);
}

int Varnok120X::pressure() const
{
    return m_state.pressure(m_config->knifeNo());
}

void Varnok120X::setPressure(int v)
{
    if (m_state.setPressure(m_config->knifeNo(), v))
        emit pressureChanged();
}

int Varnok120X::cutMotorStatus() const
{
    return m_state.cutMotorStatus.get();
}

void Varnok120X::setCutMotorStatus(int v)
{
    if (!m_state.cutMotorStatus.set(v))
        return;
    // An idle carriage has cut whatever was sent.
    if (v == 0)
        m_cutSent.store(false);
    emit cutMotorStatusChanged();
}

bool Varnok120X::polling() const
{
    return m_state.polling.get();
}

void Varnok120X::setPolling(bool v)
{
    if (!m_state.polling.set(v))
        return;
    // The pollers take their loop status from this signal: it goes out
    // before their threads start, so that a starting loop never sees the
    // stopped status of before. Turning polling off is what ends the loops.
    emit pollingChanged();
    if (v) {
        startPoller(&m_pollThread, m_pollWorker);
        startPoller(&m_collectThread, m_collectWorker);
    }
}

void Varnok120X::startPoller(QThread *thread, QObject *worker)
{
    // A thread still running may be ending the loop of before; its finished
    // signal starts it again (see the constructor). No wait here: its last
    // step may be a label capture that only the GUI thread answers.
    if (worker && !thread->isRunning())
        runWorkerOn(thread, worker);
}

qulonglong Varnok120X::deviceState() const
{
    return m_state.deviceState();
}

void Varnok120X::setDeviceState(qulonglong v)
{
    changeDeviceState(~qulonglong(0), v);
}

bool Varnok120X::changeDeviceState(qulonglong mask, qulonglong bits)
{
    if (!m_state.changeDeviceState(mask, bits))
        return false;
    emit deviceStateChanged();
    return true;
}

int Varnok120X::featureFlag(int entry) const { return m_state.featureFlag(entry); }
QPointF Varnok120X::devicePoint(int knife) const { return m_state.devicePoint(knife); }
QPointF Varnok120X::knifeOffset(int knife) const { return m_state.knifeOffset(knife); }
QPointF Varnok120X::origin() const { return m_state.origin.get(); }
QSizeF Varnok120X::workAreaSize() const { return m_state.workArea.get(); }
int Varnok120X::currentKnife() const { return m_state.currentKnife.get(); }
int Varnok120X::trimYResetValue() const { return m_state.trimYResetValue.get(); }
int Varnok120X::collectMotorState() const { return m_state.collectMotorState.get(); }
int Varnok120X::rectifyMotorState() const { return m_state.rectifyMotorState.get(); }
int Varnok120X::trimXMotorState() const { return m_state.trimXMotorState.get(); }
int Varnok120X::trimYMotorState() const { return m_state.trimYMotorState.get(); }
float Varnok120X::rectifyLength() const { return m_state.rectifyLength.get(); }
QString Varnok120X::alarmText() const { return m_state.alarmText.get(); }
qint64 Varnok120X::rollerReadingAgeMs() const { return m_state.rollerReadingAgeMs(); }

