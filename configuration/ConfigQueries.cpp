#include "Config.h"

#include <QSettings>

// What the settings page and the machine pages ask of the store to build
// themselves: groups, labels, ranges, visibility, hardware modules.

QStringList Config::getShowPropertiesClass() const
{
    QMutexLocker lock(&m_lock);
    return m_groups.keys();
}

QList<int> Config::getShowProperties(const QString &strType) const
{
    QMutexLocker lock(&m_lock);
    QList<int> ids;
    for (ConfigParamType id : m_groups.value(strType))
        ids.append(id);
    return ids;
}

QString Config::getPropertyName(ConfigParamType key) const
{
    return row(key).showName;
}

double Config::getPropertyMax(ConfigParamType key) const
{
    return row(key).max;
}

double Config::getPropertyMin(ConfigParamType key) const
{
    return row(key).min;
}

QVariant Config::getDefaultProperty(ConfigParamType key) const
{
    if (!hasRow(key))
        return QVariant(int(0));
    QSettings defaults(m_defaultCfgPath, QSettings::IniFormat);
    return defaults.value(row(key).iniKey);
}

bool Config::isShowPorperty(ConfigParamType key) const
{
    switch (key) {
    case CPT_Gyroscope_Trigger:
    case CPT_Gyroscope_Limit:
    case CPT_Gyroscope_speed:
        return enableGyroscope();
    case CPT_Print_Roller_Trigger:
    case CPT_Print_Roller_Limit:
    case CPT_Print_Roller_Max:
        return enablePrintRoller();
    case CPT_Cut_Inverse:
        return knifeNum() == 1 && enableCut();
    case CPT_Plt_Dir:
        return enableCut() && getProperty(CPT_Enable_Cut_Marker_Type).toInt() != 0;
    case CPT_Enable_Cut_Marker_Type:
        return enableCut();
    case CPT_Enable_Print:
    case CPT_Enable_Print_Roller: {
        const int v = version();
        return v == VT_7x3 || v == VT_7x4 || v == VT_7x7;
    }
    default:
        return true;
    }
}

bool Config::isShowPorperty(const QString &key) const
{
    QString detection, print, flow;
    {
        QMutexLocker lock(&m_lock);
        detection = m_detectionGroup;
        print = m_printGroup;
        flow = m_flowGroup;
    }
    if (key == detection)
        return enableDetection();
    if (key == print)
        return enablePrint();
    if (key == flow) {
        const int v = version();
        return v == VT_7x3 || v == VT_7x4 || v == VT_7x7 || v == VT_7x8;
    }
    return true;
}

QStringList Config::getModuleName() const
{
    QMutexLocker lock(&m_lock);
    return m_modules.values();
}

QList<int> Config::getModules() const
{
    QMutexLocker lock(&m_lock);
    QList<int> modules;
    for (ModuleType m : m_modules.keys())
        modules.append(m);
    return modules;
}

bool Config::containModules(ModuleType type) const
{
    QMutexLocker lock(&m_lock);
    return m_modules.contains(type);
}

void Config::updateModuleName(VersionType v)
{
    auto collectSpeedRange = [this] {
        QMutexLocker lock(&m_lock);
        ConfigParam &p = m_params[CPT_Collect_Speed];
        p.key = CPT_Collect_Speed;
        p.max = 500.0;
        p.min = 10.0;
    };
    switch (v) {
    case VT_7x3:
    case VT_7x7: {
        const QString labels[] = {tr("送纸陀螺仪触发值"), tr("送纸陀螺仪限位"), tr("送纸速度")};
        const ConfigParamType ids[] = {CPT_Gyroscope_Trigger, CPT_Gyroscope_Limit, CPT_Gyroscope_speed};
        for (int i = 0; i < 3; ++i)
            setPropertyName(ids[i], labels[i]);
        collectSpeedRange();
        break;
    }
    case VT_7x4:
    case VT_7x5:
        setPropertyName(CPT_Gyroscope_Trigger, tr("排废陀螺仪触发值"));
        setPropertyName(CPT_Gyroscope_Limit, tr("排废陀螺仪限位"));
        setPropertyName(CPT_Gyroscope_speed, tr("排废速度"));
        break;
    case VT_7x8:
        collectSpeedRange();
        break;
    default:
        break;
    }
}
