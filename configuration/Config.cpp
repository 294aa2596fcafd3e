#include "configuration/Config.h"

#include "configuration/parameters/CameraDevices.h"
#include "platform/graphics/GSp.h"
#include "configuration/parameters/ParamTable.h"

#include <QAtomicPointer>
#include <QFile>

namespace {
QAtomicPointer<Config> g_config;
// Counters set from several threads: the day row is built and written by one
// at a time, so the last write holds every counter's last value.
QMutex g_dayRowLock;
} // namespace

Config::Config(const QString &appDir, QObject *parent)
    : QObject(parent),
      m_file(appDir),
      m_rows([this](const QString &key, const QVariant &v) { m_file.write(key, v); }),
      m_knives([this](const QString &key, const QVariant &v) { m_file.write(key, v); }),
      m_cutScene([this](GSp *tool) { m_file.edit([tool](QSettings &s) { tool->writeTable(s); }); })
{
    g_config.storeRelease(this);

    loadCfg(false);
    loadCfg(true);
    setHasDefaultCfg(m_file.hasDefaults());

    // The logo is registered like a stored row but never written back by the
    // save pass; a file name that no longer exists falls back to the built-in logo.
    {
        ParamFile::Batch batch(m_file);
        m_file.loadRow(m_rows, CPT_UI_Logo, [this](int id, const QVariant &v) { setProperty(ConfigParamType(id), v); });
    }
    const QVariant logo = paramDef(CPT_UI_Logo)->defaultValue;
    const QString logoFile = getProperty(CPT_UI_Logo).toString();
    if (logoFile != logo.toString() && !QFile::exists(logoFile))
        m_rows.store(CPT_UI_Logo, logo, nullptr, true);

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
}

Config *Config::instance()
{
    return g_config.loadAcquire();
}

QVariant Config::getProperty(ConfigParamType key) const
{
    return m_rows.value(key);
}

void Config::setProperty(ConfigParamType key, const QVariant &val)
{
    QVariant old;
    const bool changed = m_rows.store(key, val, &old);
    emit propertyChanged(key, val);
    sideEffect(key, val, old);
    if (changed)
        emitRowChanged(key);
}

void Config::addToCounter(ConfigParamType key, double delta)
{
    QVariant old, now;
    const bool changed = m_rows.add(key, delta, &old, &now);
    emit propertyChanged(key, now);
    sideEffect(key, now, old);
    if (changed)
        emitRowChanged(key);
}

// The row's own change signal, found through the property that shows it.
void Config::emitRowChanged(ConfigParamType key)
{
    const QMetaProperty property = rowProperty(key);
    if (property.hasNotifySignal())
        property.notifySignal().invoke(this, Qt::DirectConnection);
}

void Config::setPropertyName(ConfigParamType key, const QString &showName)
{
    QVariant value;
    if (m_rows.setLabel(key, showName, &value))
        emit propertyChanged(key, value);
}

void Config::setCheckCameraName(const QString &newCheckCamera)
{
    m_checkCameraName.set(newCheckCamera);
}

QString Config::settingsFileName() const
{
    return m_file.fileName();
}

void Config::sideEffect(ConfigParamType key, const QVariant &val, const QVariant &old)
{
    switch (key) {
    case CPT_Today:
        // Only a real change of day restarts the today counters: the load pass
        // registers the counters before the day, and must not wipe them.
        if (old.isValid() && old.toDate().isValid() && old.toDate() != val.toDate())
            rollOverDay();
        break;
    case CPT_Today_Cut:
    case CPT_Today_Print:
    case CPT_Today_Copies:
    case CPT_Today_Scan_Mark:
    case CPT_Today_Scan_Mark_OK:
        writeDayRow();
        break;
    // The all-time totals (ids 7 to 11) live in the working file only: the
    // day rows of the database hold the day's counts.
    case CPT_Check_Camera:
        setCameraSource(1, !CameraDevices::serials().contains(val.toString()));
        setCheckCameraRotation(m_checkCameraName.get() == QLatin1String("USB Camera") ? 90 : 0);
        break;
    case CPT_Show_Camera:
        setCameraSource(val.toInt(), m_usedQMLCamera.get().value(val.toInt(), true));
        break;
    case CPT_Enable_Print:
        if (val.toBool()) {
            setEnableGyroscope(true);
            setEnablePrintRoller(true);
        }
        break;
    case CPT_Enable_Print_Roller:
        if (!val.toBool())
            setEnablePrint(false);
        break;
    case CPT_Enable_Rectify:
        if (!val.toBool())
            setRectify(false);
        break;
    case CPT_Enable_Trim:
        if (!val.toBool())
            setTrim(false);
        break;
    case CPT_Enable_Detection:
        if (!val.toBool())
            setShowCamera(0);
        break;
    case CPT_Version:
        updateModuleName(VersionType(val.toInt()));
        break;
    default:
        break;
    }
}

void Config::writeDayRow()
{
    QMutexLocker dayRow(&g_dayRowLock);
    WorkData data;
    data.date = today();
    // The load pass sets the counters before their day is known: a row
    // without a day would be a new orphan row at every start.
    if (!data.date.isValid())
        return;
    data.cut_len = todayCut();
    data.print_len = todayPrint();
    data._copies = uint(todayCopies());
    data.scan_mark = uint(todayScanMark());
    data.scan_mark_ok = uint(todayScanMarkOk());
    m_db.updateWorkData(data);
}

void Config::rollOverDay()
{
    setTodayCopies(0);
    setTodayCut(0.0f);
    setTodayPrint(0.0f);
    setTodayScanMark(0);
    setTodayScanMarkOk(0);
}

bool Config::usedQMLCamera(int camera) const
{
    return m_usedQMLCamera.get().value(camera, true);
}

bool Config::usedQMLCamera() const
{
    return usedQMLCamera(showCamera());
}

void Config::setUsedQMLCamera(bool v)
{
    setCameraSource(showCamera(), v);
}

// Whether camera's picture comes from a QML camera (true) or an industrial one.
// The property is the shown camera's source: it changes with the flags and
// with the shown camera, and is signalled only when it really changes.
void Config::setCameraSource(int camera, bool qml)
{
    m_usedQMLCamera.update([&](QMap<int, bool> &flags) {
        flags.insert(camera, qml);
        return true;
    });
    if (m_shownCameraIsQml.set(usedQMLCamera()))
        emit usedQMLCameraChanged();
}
