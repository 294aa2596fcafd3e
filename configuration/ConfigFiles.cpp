#include "configuration/Config.h"

#include "configuration/Notifier.h"
#include "configuration/parameters/ParamTable.h"

#include <QDebug>

// The load and save passes, staged edits from the settings page, the
// operator's saved defaults and the factory reset.

void Config::loadCfg(bool bSave)
{
    ParamFile::Batch batch(m_file); // the passes write the file once, at their end
    if (bSave) {
        m_file.save(m_rows, m_knives);
        setToday(QDate::currentDate()); // rolls the today counters over on another day
        return;
    }
    m_rows.resetGroups({tr("日志输出设置"), tr("基础设置"), tr("检测设置"), tr("打印设置"), tr("流程设置")});
    m_file.load(m_rows, m_knives, [this](int id, const QVariant &v) { setProperty(ConfigParamType(id), v); });
    // Values outside the settings page's range fall back to their default. The
    // range of some rows depends on the machine version, known only now.
    for (int id : m_rows.outOfRange())
        setProperty(ConfigParamType(id), m_rows.row(id).defaultValue);
    loadAdjustments();
}

void Config::loadAdjustments()
{
    setAutoRoll(false);
    setEnableCut(true);
    const bool trimModule = enableTrim();
    const QString control = tr("控制模块"), driver = tr("驱动模块"), sensor = tr("检测模块"), trim = tr("裁断模块");
    m_modules.update([&](QMap<ModuleType, QString> &modules) {
        modules.insert(MT_Control, control);
        modules.insert(MT_Driver, driver);
        modules.insert(MT_Sensor, sensor);
        if (trimModule)
            modules.insert(MT_Trim, trim);
        return true;
    });
    if (knifeNum() > 1)
        setProperty(CPT_Cut_Inverse, false);
}

// Values from QML or from a settings file arrive as numbers or texts: they are
// held in the row's own type so that the pages pick the right editor.
void Config::saveProperty(ConfigParamType key, const QVariant &val, bool bTmp)
{
    const QVariant v = m_rows.inRowType(key, val);
    if (!bTmp) {
        setProperty(key, v);
        return;
    }
    const QVariant current = m_rows.row(key).value;
    m_stagedEdits.update([&](QMap<ConfigParamType, QVariant> &staged) {
        if (v != current)
            staged.insert(key, v);
        else
            staged.remove(key);
        return true;
    });
}

QMap<Config::ConfigParamType, QVariant> Config::stagedEdits() const
{
    return m_stagedEdits.get();
}

void Config::saveCfg()
{
    const QMap<ConfigParamType, QVariant> staged = m_stagedEdits.exchange({});
    for (auto it = staged.cbegin(); it != staged.cend(); ++it)
        setProperty(it.key(), it.value());
}

void Config::discardCfg()
{
    const QMap<ConfigParamType, QVariant> staged = m_stagedEdits.exchange({});
    for (auto it = staged.cbegin(); it != staged.cend(); ++it)
        emit propertyChanged(it.key(), m_rows.value(it.key()));
}

void Config::saveDefaultCfg()
{
    if (!m_stagedEdits.get().isEmpty()) {
        Notifier::information(tr("当前存在未保存的设置"));
        return;
    }
    QList<QPair<QString, QVariant>> values;
    for (int id : m_rows.groupedIds())
        values.append({m_rows.row(id).iniKey, m_rows.value(id)});
    if (!m_file.writeDefaults(values)) {
        qCritical().noquote() << "Config::saveDefaultCfg" << "cannot write" << m_file.defaultCfgPath();
        Notifier::information(tr("默认设置保存失败"));
    }
    // Earlier saved defaults still count; a folder in the file's place does not.
    setHasDefaultCfg(m_file.hasDefaults());
}

void Config::saveDefaultProperty(ConfigParamType key, const QVariant &val)
{
    m_file.writeDefault(m_rows.row(key).iniKey, val);
}

void Config::resetDefaultCfg()
{
    if (!m_file.hasDefaults()) {
        Notifier::information(tr("没有默认设置"));
        return;
    }
    const QList<int> ids = m_rows.groupedIds();
    QStringList keys;
    for (int id : ids)
        keys.append(m_rows.row(id).iniKey);
    const QList<QVariant> stored = m_file.readDefaults(keys);
    for (int i = 0; i < ids.size(); ++i) {
        // A parameter missing from the saved defaults keeps its current value.
        if (stored.at(i).isValid())
            setProperty(ConfigParamType(ids.at(i)), m_rows.inRowType(ids.at(i), stored.at(i)));
    }
}

void Config::resetFactoryCfg()
{
    for (int id : m_rows.groupedIds())
        setProperty(ConfigParamType(id), m_rows.row(id).defaultValue);
    resetVersionParam(VersionType(version()));
    loadCfg(false);
}
