#include "Config.h"

#include "Notifier.h"
#include "ParamTable.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

// Loading and saving the working file, staged edits from the settings page,
// the operator's saved defaults and the factory reset.

namespace {

// Whether a settings file can be written: the file itself, or its folder when it is new.
bool canWrite(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists() ? fi.isWritable() : QFileInfo(fi.absolutePath()).isWritable();
}

} // namespace

void Config::openSettings(const QString &path)
{
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    // The file is parsed on first use; its status is known after the next sync.
    m_settings->allKeys();
    m_settings->sync();
    if (m_settings->status() == QSettings::FormatError)
        qWarning().noquote() << "Config::openSettings" << path
                             << "has lines that are not settings: they are left out when the file is written";
}

void Config::writeSetting(const QString &key, const QVariant &val)
{
    QMutexLocker lock(&m_lock);
    if (!m_settings)
        return;
    m_settings->setValue(key, val);
    if (m_deferSync == 0)
        syncSettings();
}

QString Config::groupName(int group) const
{
    switch (group) {
    case LogGroup:
        return m_logGroup;
    case BasicGroup:
        return m_basicGroup;
    case DetectionGroup:
        return m_detectionGroup;
    case PrintGroup:
        return m_printGroup;
    case FlowGroup:
        return m_flowGroup;
    default:
        return QString();
    }
}

void Config::loadCfg(bool bSave)
{
    {
        QMutexLocker lock(&m_lock);
        if (!bSave) {
            m_groups.clear();
            m_logGroup = tr("日志输出设置");
            m_basicGroup = tr("基础设置");
            m_detectionGroup = tr("检测设置");
            m_printGroup = tr("打印设置");
            m_flowGroup = tr("流程设置");
        }
        if (!m_settings)
            openSettings(QFile::exists(m_cfgPath) ? m_cfgPath : m_appDir + QStringLiteral("/tmp.ini"));
        ++m_deferSync;
    }

    for (int id : loadOrder()) {
        if (id == KnifeOffsetsSlot) {
            for (int knife = 0; knife == 0 || knife < getProperty(CPT_Knife_Num).toInt(); ++knife) {
                updateKnifeOffset(knifeKey("Dravolinte/Mark_Camera_Offset_X", knife), m_markCameraOffsetX, knife, bSave);
                updateKnifeOffset(knifeKey("Dravolinte/Mark_Camera_Offset_Y", knife), m_markCameraOffsetY, knife, bSave);
            }
        } else if (id == Version7x4RowsSlot) {
            if (getProperty(CPT_Version).toInt() == VT_7x4) {
                for (int row : version7x4Rows())
                    registerRow(row, bSave);
            }
        } else {
            registerRow(id, bSave);
        }
    }

    if (!bSave) {
        checkRanges();
        loadAdjustments();
    } else if (today() != QDate::currentDate()) {
        setProperty(CPT_Today, QDate::currentDate());
        emit todayChanged();
    }

    QMutexLocker lock(&m_lock);
    --m_deferSync;
    syncSettings();
}

void Config::registerRow(int id, bool bSave)
{
    const ParamDef *desc = paramDef(id);
    if (!desc)
        return;
    QVariant def = desc->defaultValue;
    if (id == CPT_Language)
        def = QVariant(QLocale::system().language() == QLocale::English ? 1 : 0);
    const QString label = desc->label ? tr(desc->label) : QString();
    updateValue(QString::fromLatin1(desc->key), def, desc->type, bSave, ConfigParamType(id), groupName(desc->group), label);
    if (!bSave && (desc->min != 0.0 || desc->max != 999.0)) {
        QMutexLocker lock(&m_lock);
        m_params[ConfigParamType(id)].max = desc->max;
        m_params[ConfigParamType(id)].min = desc->min;
    }
}

void Config::updateValue(const QString &key, const QVariant &defaultValue, QMetaType::Type type, bool bSave,
                         ConfigParamType id, const QString &group, const QString &label)
{
    if (bSave) {
        QVariant v = getProperty(id);
        if (!v.isValid())
            v = defaultValue;
        writeSetting(key, v);
        return;
    }

    QVariant raw;
    {
        QMutexLocker lock(&m_lock);
        raw = m_settings ? m_settings->value(key) : QVariant();
    }
    QVariant value = defaultValue;
    if (raw.isValid() && !convertStored(raw, type, &value)) {
        qWarning().noquote() << "Config::updateValue" << "bad value for" << key << ":" << raw.toString()
                             << "- using the default" << defaultValue.toString();
        value = defaultValue;
    }
    qInfo().noquote() << "Config::updateValue" << "read cfg: " << key << value.toString() << defaultValue.toString();
    {
        QMutexLocker lock(&m_lock);
        ConfigParam &p = m_params[id];
        p.key = id;
        p.iniKey = key;
        p.defaultValue = defaultValue;
    }
    setProperty(id, value);
    if (!label.isEmpty()) {
        QMutexLocker lock(&m_lock);
        m_params[id].showName = label;
        m_groups[group].append(id);
    }
}

// Values outside the settings page's range fall back to their default. The
// range of some rows depends on the machine version, known only at the end.
void Config::checkRanges()
{
    for (int id : loadOrder()) {
        const ParamDef *desc = paramDef(id);
        if (!desc || (desc->min == 0.0 && desc->max == 999.0))
            continue;
        const ConfigParam p = row(ConfigParamType(id));
        const double v = p.value.toDouble();
        if (v < p.min || v > p.max) {
            qWarning().noquote() << "Config::checkRanges" << p.iniKey << "=" << p.value.toString() << "outside" << p.min
                                 << ".." << p.max << "- using the default" << p.defaultValue.toString();
            setProperty(ConfigParamType(id), p.defaultValue);
        }
    }
}

void Config::loadAdjustments()
{
    if (autoRoll()) {
        setProperty(CPT_Auto_Roll, false);
        emit autoRollChanged();
    }
    if (!enableCut()) {
        setProperty(CPT_Enable_Cut, true);
        emit enableCutChanged();
    }
    const bool trimModule = enableTrim();
    {
        QMutexLocker lock(&m_lock);
        m_modules.insert(MT_Control, tr("控制模块"));
        m_modules.insert(MT_Driver, tr("驱动模块"));
        m_modules.insert(MT_Sensor, tr("检测模块"));
        if (trimModule)
            m_modules.insert(MT_Trim, tr("裁断模块"));
    }
    if (knifeNum() > 1)
        setProperty(CPT_Cut_Inverse, false);
}

// Values from QML or from a settings file arrive as numbers or texts: hold
// them in the row's own type so that the pages pick the right editor.
static QVariant inRowType(const ConfigParam &p, const QVariant &val)
{
    if (!p.defaultValue.isValid())
        return val;
    QVariant out;
    return convertStored(val, QMetaType::Type(p.defaultValue.typeId()), &out) ? out : val;
}

void Config::setPropertyAndNotify(ConfigParamType key, const QVariant &val)
{
    setProperty(key, val);
    emitChangeSignal(key);
}

void Config::saveProperty(ConfigParamType key, const QVariant &val, bool bTmp)
{
    const ConfigParam p = row(key);
    const QVariant v = inRowType(p, val);
    if (!bTmp) {
        setPropertyAndNotify(key, v);
        return;
    }
    QMutexLocker lock(&m_lock);
    if (v != p.value)
        m_stagedEdits.insert(key, v);
    else
        m_stagedEdits.remove(key);
}

QMap<Config::ConfigParamType, QVariant> Config::stagedEdits() const
{
    QMutexLocker lock(&m_lock);
    return m_stagedEdits;
}

void Config::saveCfg()
{
    QMap<ConfigParamType, QVariant> staged;
    {
        QMutexLocker lock(&m_lock);
        staged = m_stagedEdits;
    }
    for (auto it = staged.cbegin(); it != staged.cend(); ++it)
        setPropertyAndNotify(it.key(), it.value());
    QMutexLocker lock(&m_lock);
    m_stagedEdits.clear();
}

void Config::saveDefaultCfg()
{
    QMap<QString, QList<ConfigParamType>> groups;
    {
        QMutexLocker lock(&m_lock);
        if (!m_stagedEdits.isEmpty()) {
            lock.unlock();
            Notifier::information(tr("当前存在未保存的设置"));
            return;
        }
        groups = m_groups;
    }
    bool written = false;
    if (canWrite(m_defaultCfgPath)) {
        QSettings defaults(m_defaultCfgPath, QSettings::IniFormat);
        for (const QList<ConfigParamType> &ids : std::as_const(groups)) {
            for (ConfigParamType id : ids)
                defaults.setValue(row(id).iniKey, getProperty(id));
        }
        defaults.sync();
        written = defaults.status() == QSettings::NoError;
    }
    if (!written) {
        qCritical().noquote() << "Config::saveDefaultCfg" << "cannot write" << m_defaultCfgPath;
        Notifier::information(tr("默认设置保存失败"));
    }
    // Earlier saved defaults still count; a folder in the file's place does not.
    setHasDefaultCfg(QFileInfo(m_defaultCfgPath).isFile());
}

void Config::saveDefaultProperty(ConfigParamType key, const QVariant &val)
{
    const ConfigParam p = row(key);
    if (p.iniKey.isEmpty() || !canWrite(m_defaultCfgPath))
        return;
    QSettings defaults(m_defaultCfgPath, QSettings::IniFormat);
    defaults.setValue(p.iniKey, val);
}

void Config::resetDefaultCfg()
{
    if (!QFile::exists(m_defaultCfgPath)) {
        Notifier::information(tr("没有默认设置"));
        return;
    }
    QMap<QString, QList<ConfigParamType>> groups;
    {
        QMutexLocker lock(&m_lock);
        groups = m_groups;
    }
    QSettings defaults(m_defaultCfgPath, QSettings::IniFormat);
    for (const QList<ConfigParamType> &ids : std::as_const(groups)) {
        for (ConfigParamType id : ids) {
            const ConfigParam p = row(id);
            const QVariant stored = defaults.value(p.iniKey);
            // A parameter missing from the saved defaults keeps its current value.
            if (stored.isValid())
                setPropertyAndNotify(id, inRowType(p, stored));
        }
    }
}

void Config::resetFactoryCfg()
{
    QMap<QString, QList<ConfigParamType>> groups;
    {
        QMutexLocker lock(&m_lock);
        groups = m_groups;
    }
    for (const QList<ConfigParamType> &ids : std::as_const(groups)) {
        for (ConfigParamType id : ids)
            setPropertyAndNotify(id, row(id).defaultValue);
    }
    resetVersionParam(VersionType(version()));
    loadCfg(false);
}
