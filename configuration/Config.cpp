#include "Config.h"

#include "CameraDevices.h"
#include "ParamTable.h"

#include <QAtomicPointer>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

namespace {
QAtomicPointer<Config> g_config;
// Counters set from several threads: the day row is built and written by one
// at a time, so the last write holds every counter's last value.
QMutex g_dayRowLock;
} // namespace

Config::Config(const QString &appDir, QObject *parent)
    : QObject(parent), m_appDir(appDir)
{
    m_cfgPath = appDir + QStringLiteral("/config.ini");
    m_defaultCfgPath = appDir + QStringLiteral("/configDefault.ini");
    g_config.storeRelease(this);

    loadCfg(false);
    loadCfg(true);
    setHasDefaultCfg(QFile::exists(m_defaultCfgPath));

    // The logo is registered like a stored row but never written back by the
    // save pass; a file name that no longer exists falls back to the built-in logo.
    const ParamDef *logo = paramDef(CPT_UI_Logo);
    ++m_deferSync;
    updateValue(QString::fromLatin1(logo->key), logo->defaultValue, logo->type, false, CPT_UI_Logo, QString(), QString());
    {
        QMutexLocker lock(&m_lock);
        --m_deferSync;
        syncSettings();
    }
    const QString logoFile = getProperty(CPT_UI_Logo).toString();
    if (logoFile != logo->defaultValue.toString() && !QFile::exists(logoFile)) {
        QMutexLocker lock(&m_lock);
        m_params[CPT_UI_Logo].value = logo->defaultValue;
    }

    setProperty(CPT_Run, QString());
    setProperty(CPT_Run_Error, QString());
    setProperty(CPT_NO_CUT_SPEED, 200);
    setProperty(CPT_Enable_Sort, true);
    if (getProperty(CPT_Package_size).toInt() < 32)
        setProperty(CPT_Package_size, 1024);
}

Config::~Config()
{
    g_config.testAndSetOrdered(this, nullptr);
    QMutexLocker lock(&m_lock);
    if (m_settings)
        m_settings->sync();
    m_settings.reset();
}

Config *Config::instance()
{
    return g_config.loadAcquire();
}

ConfigParam Config::row(ConfigParamType key) const
{
    QMutexLocker lock(&m_lock);
    return m_params.value(key);
}

bool Config::hasRow(ConfigParamType key) const
{
    QMutexLocker lock(&m_lock);
    return m_params.contains(key);
}

QVariant Config::getProperty(ConfigParamType key) const
{
    QMutexLocker lock(&m_lock);
    auto it = m_params.constFind(key);
    if (it == m_params.constEnd())
        return QVariant(int(0));
    return it->value;
}

void Config::setProperty(ConfigParamType key, const QVariant &val)
{
    QVariant old;
    {
        QMutexLocker lock(&m_lock);
        auto it = m_params.find(key);
        if (it == m_params.end()) {
            it = m_params.insert(key, ConfigParam());
            it->key = key;
        }
        ConfigParam &p = *it;
        old = p.value;
        if (!p.iniKey.isEmpty() && m_settings) {
            m_settings->setValue(p.iniKey, val);
            if (m_deferSync == 0)
                syncSettings();
        }
        p.value = val;
    }
    emit propertyChanged(key, val);
    sideEffect(key, val, old);
}

void Config::setPropertyName(ConfigParamType key, const QString &showName)
{
    QVariant value;
    {
        QMutexLocker lock(&m_lock);
        auto it = m_params.find(key);
        if (it == m_params.end())
            return;
        it->showName = showName;
        value = it->value;
    }
    emit propertyChanged(key, value);
}

void Config::setCheckCameraName(const QString &newCheckCamera)
{
    QMutexLocker lock(&m_lock);
    m_checkCameraName = newCheckCamera;
}

// Called with m_lock held.
void Config::syncSettings()
{
    if (!m_settings)
        return;
    m_settings->sync();
    // A file with lines that are not settings reports FormatError from then
    // on, yet is written all the same: only a file that cannot be written is a failure.
    const QSettings::Status status = m_settings->status();
    const bool failed = status == QSettings::AccessError
        || (status == QSettings::FormatError && !QFileInfo(m_settings->fileName()).isWritable());
    if (failed && !m_settingsError)
        qCritical().noquote() << "Config::syncSettings" << "cannot write" << m_settings->fileName()
                              << ": settings are kept in memory only";
    m_settingsError = failed;
}

QString Config::settingsFileName() const
{
    QMutexLocker lock(&m_lock);
    return m_settings ? m_settings->fileName() : QString();
}

void Config::sideEffect(ConfigParamType key, const QVariant &val, const QVariant &old)
{
    switch (key) {
    case CPT_Today: {
        // Only a real change of day restarts the today counters: the load pass
        // registers the counters before the day, and must not wipe them.
        const QDate before = old.toDate();
        if (old.isValid() && before.isValid() && before != val.toDate())
            rollOverDay();
        break;
    }
    case CPT_Today_Cut:
    case CPT_Today_Print:
    case CPT_Today_Copies:
    case CPT_Today_Scan_Mark:
    case CPT_Today_Scan_Mark_OK: {
        QMutexLocker dayRow(&g_dayRowLock);
        WorkData data;
        data.date = getProperty(CPT_Today).toDate();
        // The load pass sets the counters before their day is known: a row
        // without a day would be a new orphan row at every start.
        if (!data.date.isValid())
            break;
        data.cut_len = todayCut();
        data.print_len = todayPrint();
        data._copies = uint(getProperty(CPT_Today_Copies).toInt());
        data.scan_mark = uint(getProperty(CPT_Today_Scan_Mark).toInt());
        data.scan_mark_ok = uint(getProperty(CPT_Today_Scan_Mark_OK).toInt());
        m_db.updateWorkData(data);
        break;
    }
    // The all-time totals (ids 7 to 11) live in the working file only: the
    // day rows of the database hold the day's counts.
    case CPT_Check_Camera: {
        const bool qmlCamera = !CameraDevices::serials().contains(val.toString());
        QString cameraName;
        {
            QMutexLocker lock(&m_lock);
            m_usedQMLCamera[1] = qmlCamera;
            cameraName = m_checkCameraName;
        }
        emit usedQMLCameraChanged();
        const int r = cameraName == QLatin1String("USB Camera") ? 90 : 0;
        if (getProperty(CPT_Check_Camera_Rotation).toInt() != r) {
            setProperty(CPT_Check_Camera_Rotation, r);
            emit checkCameraRotationChanged();
        }
        break;
    }
    case CPT_Show_Camera: {
        bool qml = true;
        {
            QMutexLocker lock(&m_lock);
            qml = m_usedQMLCamera.value(val.toInt(), true);
        }
        setUsedQMLCamera(qml);
        break;
    }
    case CPT_Enable_Print:
        if (val.toBool()) {
            setEnableGyroscope(true);
            setEnablePrintRoller(true);
        }
        emit enablePrintChanged();
        break;
    case CPT_Enable_Cut:
        emit enableCutChanged();
        break;
    case CPT_Enable_Print_Roller:
        if (!val.toBool())
            setEnablePrint(false);
        emit enablePrintRollerChanged();
        break;
    case CPT_Enable_Rectify:
        if (!val.toBool() && getProperty(CPT_Rectify).toBool()) {
            setProperty(CPT_Rectify, false);
            emit rectifyChanged();
        }
        emit enableRectifyChanged();
        break;
    case CPT_Enable_Trim:
        if (!val.toBool() && getProperty(CPT_Trim).toBool()) {
            setProperty(CPT_Trim, false);
            emit trimChanged();
        }
        emit enableTrimChanged();
        break;
    case CPT_Enable_Detection:
        if (!val.toBool() && getProperty(CPT_Show_Camera).toInt() != 0) {
            setProperty(CPT_Show_Camera, 0);
            emit showCameraChanged();
        }
        emit enableDetectionChanged();
        break;
    case CPT_Version:
        updateModuleName(VersionType(val.toInt()));
        emit versionChanged();
        break;
    default:
        break;
    }
}

void Config::rollOverDay()
{
    if (getProperty(CPT_Today_Copies).toInt() != 0) {
        setProperty(CPT_Today_Copies, 0);
        emit todayCopiesChanged();
    }
    if (getProperty(CPT_Today_Cut).toFloat() != 0.0f) {
        setProperty(CPT_Today_Cut, 0.0f);
        emit todayCutChanged();
    }
    if (getProperty(CPT_Today_Print).toFloat() != 0.0f) {
        setProperty(CPT_Today_Print, 0.0f);
        emit todayPrintChanged();
    }
    if (getProperty(CPT_Today_Scan_Mark).toInt() != 0) {
        setProperty(CPT_Today_Scan_Mark, 0);
        emit todayScanMarkChanged();
    }
    if (getProperty(CPT_Today_Scan_Mark_OK).toInt() != 0) {
        setProperty(CPT_Today_Scan_Mark_OK, 0);
        emit todayScanMarkOkChanged();
    }
}
