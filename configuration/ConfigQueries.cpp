#include "configuration/Config.h"

#include "configuration/parameters/ParamTable.h"

// What the settings page and the machine pages ask of the store to build
// themselves: groups, labels, ranges, visibility, hardware modules.

QStringList Config::getShowPropertiesClass() const { return m_rows.groupNames(); }
QList<int> Config::getShowProperties(const QString &strType) const { return m_rows.group(strType); }
QString Config::getPropertyName(ConfigParamType key) const { return m_rows.row(key).showName; }
double Config::getPropertyMax(ConfigParamType key) const { return m_rows.row(key).max; }
double Config::getPropertyMin(ConfigParamType key) const { return m_rows.row(key).min; }

QVariant Config::getDefaultProperty(ConfigParamType key) const
{
    if (!m_rows.contains(key))
        return QVariant(int(0));
    return m_file.readDefaults({m_rows.row(key).iniKey}).constFirst();
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
    if (key == m_rows.groupName(DetectionGroup))
        return enableDetection();
    if (key == m_rows.groupName(PrintGroup))
        return enablePrint();
    if (key == m_rows.groupName(FlowGroup)) {
        const int v = version();
        return v == VT_7x3 || v == VT_7x4 || v == VT_7x7 || v == VT_7x8;
    }
    return true;
}

QStringList Config::getModuleName() const
{
    return m_modules.get().values();
}

QList<int> Config::getModules() const
{
    QList<int> modules;
    for (ModuleType m : m_modules.get().keys())
        modules.append(m);
    return modules;
}

bool Config::containModules(ModuleType type) const
{
    return m_modules.get().contains(type);
}

void Config::updateModuleName(VersionType v)
{
    auto collectSpeedRange = [this] { m_rows.setRange(CPT_Collect_Speed, 10.0, 500.0); };
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
