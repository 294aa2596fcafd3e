// Property storage of the driver: every value is read and written under the
// state lock; a setter emits its change signal, outside the lock, only when
// the value changed (doubles by Qt's fuzzy compare).
#include "Config.h"
#include "Varnok120X.h"

#include <QThread>

template <typename T>
bool Varnok120X::store(T &field, const T &value)
{
    QMutexLocker lock(&m_stateLock);
    if (field == value)
        return false;
    field = value;
    return true;
}

bool Varnok120X::storeDouble(double &field, double value)
{
    QMutexLocker lock(&m_stateLock);
    if (qFuzzyCompare(field, value))
        return false;
    field = value;
    return true;
}

bool Varnok120X::storeModule(QMap<int, QString> &table, int module, const QString &value)
{
    QMutexLocker lock(&m_stateLock);
    if (table.value(module) == value)
        return false;
    table.insert(module, value);
    return true;
}

QString Varnok120X::moduleEntry(const QMap<int, QString> &table, int module) const
{
    QMutexLocker lock(&m_stateLock);
    return table.value(module);
}

#define DRIVER_VALUE(Type, Param, getter, setter, member)                                                             \
    Type Varnok120X::getter() const                                                                                    \
    {                                                                                                                  \
        QMutexLocker lock(&m_stateLock);                                                                               \
        return member;                                                                                                 \
    }                                                                                                                  \
    void Varnok120X::setter(Param v)                                                                                   \
    {                                                                                                                  \
        if (store(member, Type(v)))                                                                                    \
            emit getter##Changed();                                                                                    \
    }

#define DRIVER_DOUBLE(getter, setter, member)                                                                          \
    double Varnok120X::getter() const                                                                                  \
    {                                                                                                                  \
        QMutexLocker lock(&m_stateLock);                                                                               \
        return member;                                                                                                 \
    }                                                                                                                  \
    void Varnok120X::setter(double v)                                                                                  \
    {                                                                                                                  \
        if (storeDouble(member, v))                                                                                    \
            emit getter##Changed();                                                                                    \
    }

#define DRIVER_MODULE(getter, setter, table, module)                                                                   \
    QString Varnok120X::getter() const { return moduleEntry(table, module); }                                          \
    void Varnok120X::setter(const QString &v)                                                                          \
    {                                                                                                                  \
        if (storeModule(table, module, v))                                                                             \
            emit getter##Changed();                                                                                    \
    }

DRIVER_VALUE(QString, const QString &, devType, setDevType, m_devType)
DRIVER_VALUE(QString, const QString &, devId, setDevId, m_devId)
DRIVER_VALUE(QString, const QString &, pcbId, setPcbId, m_pcbId)
DRIVER_VALUE(QString, const QString &, progress, setProgress, m_progress)
DRIVER_VALUE(QString, const QString &, updateFile, setUpdateFile, m_updateFile)
DRIVER_VALUE(QString, const QString &, errorMessage, setErrorMessage, m_errorMessage)
DRIVER_MODULE(pcbVer, setPcbVer, m_pcbVers, Config::MT_Control)
DRIVER_MODULE(firmware, setFirmware, m_firmwares, Config::MT_Control)
DRIVER_MODULE(pcbVerDriver, setPcbVerDriver, m_pcbVers, Config::MT_Driver)
DRIVER_MODULE(firmwareDriver, setFirmwareDriver, m_firmwares, Config::MT_Driver)
DRIVER_MODULE(pcbVerSensor, setPcbVerSensor, m_pcbVers, Config::MT_Sensor)
DRIVER_MODULE(firmwareSensor, setFirmwareSensor, m_firmwares, Config::MT_Sensor)
DRIVER_MODULE(pcbVerTrim, setPcbVerTrim, m_pcbVers, Config::MT_Trim)
DRIVER_MODULE(firmwareTrim, setFirmwareTrim, m_firmwares, Config::MT_Trim)
DRIVER_DOUBLE(printRoller, setPrintRoller, m_printRoller)
DRIVER_DOUBLE(filmRoller, setFilmRoller, m_filmRoller)
DRIVER_DOUBLE(collectRoller, setCollectRoller, m_collectRoller)
DRIVER_DOUBLE(gyroscope, setGyroscope, m_gyroscope)
DRIVER_DOUBLE(scalex, setScalex, m_scalex)
DRIVER_DOUBLE(scaley, setScaley, m_scaley)
DRIVER_DOUBLE(updateProgress, setUpdateProgress, m_updateProgress)
DRIVER_VALUE(int, int, speed, setSpeed, m_speed)
DRIVER_VALUE(bool, bool, sensor1, setSensor1, m_sensors[0])
DRIVER_VALUE(bool, bool, sensor2, setSensor2, m_sensors[1])
DRIVER_VALUE(bool, bool, sensor3, setSensor3, m_sensors[2])
DRIVER_VALUE(bool, bool, sensor4, setSensor4, m_sensors[3])
DRIVER_VALUE(bool, bool, sensor5, setSensor5, m_sensors[4])
DRIVER_VALUE(bool, bool, sensor6, setSensor6, m_sensors[5])
DRIVER_VALUE(bool, bool, sensor7, setSensor7, m_sensors[6])
DRIVER_VALUE(int, int, cutModel, setCutModel, m_cutModel)
DRIVER_VALUE(int, int, markLight, setMarkLight, m_markLight)
DRIVER_VALUE(int, int, checkBackgroundLight, setCheckBackgroundLight, m_checkBackgroundLight)
DRIVER_VALUE(int, int, checkLightStrip, setCheckLightStrip, m_checkLightStrip)
DRIVER_VALUE(QColor, const QColor &, rgbLightStrip, setRgbLightStrip, m_rgbLightStrip)
DRIVER_VALUE(int, int, index, setIndex, m_index)
DRIVER_VALUE(bool, bool, feedMotorRunning, setFeedMotorRunning, m_feedMotorRunning)
DRIVER_VALUE(bool, bool, filmMotorRunning, setFilmMotorRunning, m_filmMotorRunning)
DRIVER_VALUE(bool, bool, collectMotorRunning, setCollectMotorRunning, m_collectMotorRunning)

QString Varnok120X::ident() const
{
    QMutexLocker lock(&m_stateLock);
    return m_ident;
}

void Varnok120X::setIdent(const QString &ident)
{
    if (!store(m_ident, ident))
        return;
    emit identChanged();
    // Another controller is chosen: its address comes with its next
    // announcement, and nothing may run on the old one's initial reads.
    m_ready.store(false);
    forgetAddress();
}

QString Varnok120X::ip() const
{
    QMutexLocker lock(&m_linkLock);
    return m_ip;
}

void Varnok120X::setIp(const QString &address)
{
    changeIp(address, nullptr);
}

int Varnok120X::pressure() const
{
    const int knife = m_config->knifeNo();
    QMutexLocker lock(&m_stateLock);
    return m_pressures.value(knife, 100);
}

void Varnok120X::setPressure(int v)
{
    const int knife = m_config->knifeNo();
    {
        QMutexLocker lock(&m_stateLock);
        auto it = m_pressures.find(knife);
        if (it != m_pressures.end() && it.value() == v)
            return;
        m_pressures.insert(knife, v);
    }
    emit pressureChanged();
}

int Varnok120X::cutMotorStatus() const
{
    QMutexLocker lock(&m_stateLock);
    return m_cutMotorStatus;
}

void Varnok120X::setCutMotorStatus(int v)
{
    if (!store(m_cutMotorStatus, v))
        return;
    // An idle carriage has cut whatever was sent.
    if (v == 0)
        m_cutSent.store(false);
    emit cutMotorStatusChanged();
}

bool Varnok120X::polling() const
{
    QMutexLocker lock(&m_stateLock);
    return m_polling;
}

void Varnok120X::setPolling(bool v)
{
    if (!store(m_polling, v))
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
    QMutexLocker lock(&m_stateLock);
    return m_deviceState;
}

void Varnok120X::setDeviceState(qulonglong v)
{
    changeDeviceState(~qulonglong(0), v);
}

bool Varnok120X::changeDeviceState(qulonglong mask, qulonglong bits)
{
    {
        QMutexLocker lock(&m_stateLock);
        const qulonglong next = (m_deviceState & ~mask) | (bits & mask);
        if (next == m_deviceState)
            return false;
        m_deviceState = next;
    }
    emit deviceStateChanged();
    return true;
}

int Varnok120X::featureFlag(int entry) const
{
    QMutexLocker lock(&m_stateLock);
    return m_featureFlags.value(entry, 0);
}

QPointF Varnok120X::devicePoint(int knife) const
{
    QMutexLocker lock(&m_stateLock);
    return m_devicePoints.value(knife);
}

QPointF Varnok120X::knifeOffset(int knife) const
{
    QMutexLocker lock(&m_stateLock);
    return m_knifeOffsets.value(knife);
}

QPointF Varnok120X::origin() const
{
    QMutexLocker lock(&m_stateLock);
    return m_origin;
}

QSizeF Varnok120X::workAreaSize() const
{
    QMutexLocker lock(&m_stateLock);
    return m_workArea;
}

#define DRIVER_INTERNAL(Type, getter, member)                                                                          \
    Type Varnok120X::getter() const                                                                                    \
    {                                                                                                                  \
        QMutexLocker lock(&m_stateLock);                                                                               \
        return member;                                                                                                 \
    }

DRIVER_INTERNAL(int, currentKnife, m_currentKnife)
DRIVER_INTERNAL(int, trimYResetValue, m_trimYResetValue)
DRIVER_INTERNAL(int, collectMotorState, m_collectMotorState)
DRIVER_INTERNAL(int, rectifyMotorState, m_rectifyMotorState)
DRIVER_INTERNAL(int, trimXMotorState, m_trimXMotorState)
DRIVER_INTERNAL(int, trimYMotorState, m_trimYMotorState)
DRIVER_INTERNAL(float, rectifyLength, m_rectifyLength)
DRIVER_INTERNAL(QString, alarmText, m_alarmText)

qint64 Varnok120X::rollerReadingAgeMs() const
{
    QMutexLocker lock(&m_stateLock);
    return m_rollerReading.isValid() ? m_rollerReading.elapsed() : -1;
}
