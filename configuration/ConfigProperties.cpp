#include "configuration/Config.h"

#include <QtMath>

// The QML properties and their setters. A row-backed property reads its row
// converted to the property's type; its setter compares in that type (floats
// exactly, doubles within qFuzzyCompare's tolerance) and, only when the value
// differs, sets the row, which emits the row's change signal once.

namespace {

template <typename T>
bool sameValue(const T &a, const T &b)
{
    return a == b;
}

template <>
bool sameValue<double>(const double &a, const double &b)
{
    return qFuzzyCompare(a, b);
}

} // namespace

template <typename T>
T Config::rowValue(ConfigParamType id) const
{
    return getProperty(id).value<T>();
}

template <typename T>
void Config::writeRow(ConfigParamType id, const T &v)
{
    if (!sameValue(rowValue<T>(id), v))
        setProperty(id, QVariant::fromValue(v));
}

// Copies and scan counts are 32-bit ints everywhere; QML sees the totals as
// 64-bit unsigned, sign-extended.
qulonglong Config::totalValue(ConfigParamType id) const
{
    return qulonglong(qint64(getProperty(id).toInt()));
}

void Config::writeTotal(ConfigParamType id, qulonglong v)
{
    writeRow(id, int(quint32(v)));
}

#define CONFIG_ROW_PROPERTY(Type, Param, getter, setter, id)                                                           \
    Type Config::getter() const { return rowValue<Type>(id); }                                                        \
    void Config::setter(Param v) { writeRow<Type>(id, v); }
#define CONFIG_TOTAL_PROPERTY(getter, setter, id)                                                                      \
    qulonglong Config::getter() const { return totalValue(id); }                                                      \
    void Config::setter(qulonglong v) { writeTotal(id, v); }

CONFIG_ROW_PROPERTY(int, int, version, setVersion, CPT_Version)
CONFIG_ROW_PROPERTY(QString, const QString &, ident, setIdent, CPT_Ident)
CONFIG_ROW_PROPERTY(QString, const QString &, markCamera, setMarkCamera, CPT_Mark_Camera)
CONFIG_ROW_PROPERTY(QString, const QString &, checkCamera, setCheckCamera, CPT_Check_Camera)
CONFIG_ROW_PROPERTY(int, int, markCameraRotation, setMarkCameraRotation, CPT_Mark_Camera_Rotation)
CONFIG_ROW_PROPERTY(int, int, checkCameraRotation, setCheckCameraRotation, CPT_Check_Camera_Rotation)
CONFIG_ROW_PROPERTY(int, int, showCamera, setShowCamera, CPT_Show_Camera)
CONFIG_ROW_PROPERTY(bool, bool, trim, setTrim, CPT_Trim)
CONFIG_ROW_PROPERTY(int, int, knifeNum, setKnifeNum, CPT_Knife_Num)
CONFIG_ROW_PROPERTY(int, int, knifeNo, setKnifeNo, CPT_Knife_index)
CONFIG_ROW_PROPERTY(float, float, todayCut, setTodayCut, CPT_Today_Cut)
CONFIG_ROW_PROPERTY(float, float, todayPrint, setTodayPrint, CPT_Today_Print)
CONFIG_ROW_PROPERTY(int, int, todayCopies, setTodayCopies, CPT_Today_Copies)
CONFIG_ROW_PROPERTY(int, int, todayScanMark, setTodayScanMark, CPT_Today_Scan_Mark)
CONFIG_ROW_PROPERTY(int, int, todayScanMarkOk, setTodayScanMarkOk, CPT_Today_Scan_Mark_OK)
CONFIG_ROW_PROPERTY(float, float, totalCut, setTotalCut, CPT_Total_Cut)
CONFIG_ROW_PROPERTY(float, float, totalPrint, setTotalPrint, CPT_Total_Print)
CONFIG_ROW_PROPERTY(bool, bool, autoRoll, setAutoRoll, CPT_Auto_Roll)
CONFIG_ROW_PROPERTY(double, double, gyroscopeTrigger, setGyroscopeTrigger, CPT_Gyroscope_Trigger)
CONFIG_ROW_PROPERTY(double, double, gyroscopeLimit, setGyroscopeLimit, CPT_Gyroscope_Limit)
CONFIG_ROW_PROPERTY(double, double, filmRollerTrigger, setFilmRollerTrigger, CPT_Film_Roller_Trigger)
CONFIG_ROW_PROPERTY(double, double, filmRollerLimit, setFilmRollerLimit, CPT_Film_Roller_Limit)
CONFIG_ROW_PROPERTY(double, double, filmRollerMax, setFilmRollerMax, CPT_Film_Roller_Max)
CONFIG_ROW_PROPERTY(double, double, collectRollerTrigger, setCollectRollerTrigger, CPT_Collect_Roller_Trigger)
CONFIG_ROW_PROPERTY(double, double, collectRollerLimit, setCollectRollerLimit, CPT_Collect_Roller_Limit)
CONFIG_ROW_PROPERTY(double, double, collectRollerMax, setCollectRollerMax, CPT_Collect_Roller_Max)
CONFIG_ROW_PROPERTY(double, double, printRollerTrigger, setPrintRollerTrigger, CPT_Print_Roller_Trigger)
CONFIG_ROW_PROPERTY(double, double, printRollerLimit, setPrintRollerLimit, CPT_Print_Roller_Limit)
CONFIG_ROW_PROPERTY(double, double, printRollerMax, setPrintRollerMax, CPT_Print_Roller_Max)
CONFIG_ROW_PROPERTY(QString, const QString &, printerName, setPrinterName, CPT_Printer_Name)
CONFIG_ROW_PROPERTY(int, int, markCameraWidth, setMarkCameraWidth, CPT_Mark_Camera_Width)
CONFIG_ROW_PROPERTY(int, int, markCameraHeight, setMarkCameraHeight, CPT_Mark_Camera_Height)
CONFIG_ROW_PROPERTY(double, double, markSize, setMarkSize, CPT_Mark_Size)
CONFIG_ROW_PROPERTY(int, int, trimYSpeed, setTrimYSpeed, CPT_Trim_Y_Speed)
CONFIG_ROW_PROPERTY(double, double, trimOffset, setTrimOffset, CPT_Trim_Offset)
CONFIG_ROW_PROPERTY(QDate, const QDate &, today, setToday, CPT_Today)
CONFIG_ROW_PROPERTY(int, int, markLight, setMarkLight, CPT_Mark_Light)
CONFIG_ROW_PROPERTY(int, int, checkBKLight, setCheckBKLight, CPT_Check_BK_Light)
CONFIG_ROW_PROPERTY(int, int, checkLight, setCheckLight, CPT_Check_Light)
CONFIG_ROW_PROPERTY(double, double, collectScale, setCollectScale, CPT_Collect_Scale)
CONFIG_ROW_PROPERTY(double, double, trimScale, setTrimScale, CPT_Trim_Scale)
CONFIG_ROW_PROPERTY(double, double, checkCameraCenterX, setCheckCameraCenterX, CPT_Check_Camera_Center_X)
CONFIG_ROW_PROPERTY(bool, bool, enableSort, setEnableSort, CPT_Enable_Sort)
CONFIG_ROW_PROPERTY(bool, bool, rectify, setRectify, CPT_Rectify)
CONFIG_ROW_PROPERTY(bool, bool, enableRectify, setEnableRectify, CPT_Enable_Rectify)
CONFIG_ROW_PROPERTY(double, double, pageSpacing, setPageSpacing, CPT_PageSpacing)
CONFIG_ROW_PROPERTY(int, int, language, setLanguage, CPT_Language)
CONFIG_ROW_PROPERTY(bool, bool, enableCut, setEnableCut, CPT_Enable_Cut)
CONFIG_ROW_PROPERTY(bool, bool, enablePrint, setEnablePrint, CPT_Enable_Print)
CONFIG_ROW_PROPERTY(bool, bool, enablePrintRoller, setEnablePrintRoller, CPT_Enable_Print_Roller)
CONFIG_ROW_PROPERTY(bool, bool, enableGyroscope, setEnableGyroscope, CPT_Enable_Gyroscope)
CONFIG_ROW_PROPERTY(bool, bool, enableTrim, setEnableTrim, CPT_Enable_Trim)
CONFIG_ROW_PROPERTY(bool, bool, enableDetection, setEnableDetection, CPT_Enable_Detection)
CONFIG_ROW_PROPERTY(bool, bool, trimReset, setTrimReset, CPT_Trim_Reset)
CONFIG_ROW_PROPERTY(bool, bool, rectifyReset, setRectifyReset, CPT_Rectify_Reset)
CONFIG_ROW_PROPERTY(int, int, cutCoordinates, setCutCoordinates, CPT_Cut_Coordinates)
CONFIG_ROW_PROPERTY(double, double, knifeInterval, setKnifeInterval, CPT_Knife_Interval)
CONFIG_ROW_PROPERTY(QString, const QString &, runTip, setRunTip, CPT_Run)
CONFIG_ROW_PROPERTY(QString, const QString &, runErrTip, setRunErrTip, CPT_Run_Error)
CONFIG_ROW_PROPERTY(bool, bool, hasDefaultCfg, setHasDefaultCfg, CPT_Has_DefaultCfg)
CONFIG_ROW_PROPERTY(int, int, filmSpeedRealTime, setFilmSpeedRealTime, CPT_REAL_TIME_FILM_SPEED)
CONFIG_ROW_PROPERTY(int, int, collectSpeedRealTime, setCollectSpeedRealTime, CPT_REAL_TIME_COLLOET_SPEED)
CONFIG_TOTAL_PROPERTY(totalCopies, setTotalCopies, CPT_Total_Copies)
CONFIG_TOTAL_PROPERTY(totalScanMark, setTotalScanMark, CPT_Total_Scan_Mark)
CONFIG_TOTAL_PROPERTY(totalScanMarkOk, setTotalScanMarkOk, CPT_Total_Scan_Mark_OK)

// Per-knife camera offsets; the properties follow the knife of knifeNo.
double Config::markCameraOffsetX(int knife) const { return m_knives.get(KnifeOffsets::X, knife); }
double Config::markCameraOffsetY(int knife) const { return m_knives.get(KnifeOffsets::Y, knife); }
double Config::markCameraOffsetX() const { return markCameraOffsetX(knifeNo()); }
double Config::markCameraOffsetY() const { return markCameraOffsetY(knifeNo()); }
void Config::setMarkCameraOffsetX(double mm) { setMarkCameraOffsetX(knifeNo(), mm); }
void Config::setMarkCameraOffsetY(double mm) { setMarkCameraOffsetY(knifeNo(), mm); }

void Config::setMarkCameraOffsetX(int knife, double mm)
{
    if (m_knives.set(KnifeOffsets::X, knife, mm))
        emit markCameraOffsetXChanged();
}

void Config::setMarkCameraOffsetY(int knife, double mm)
{
    if (m_knives.set(KnifeOffsets::Y, knife, mm))
        emit markCameraOffsetYChanged();
}

// The cut settings of the application's cut scene.
void Config::setCutSceneSource(std::function<GScene *()> source) { m_cutScene.setSource(std::move(source)); }
GScene *Config::cutScene() const { return m_cutScene.scene(); }
void Config::saveToolTable(GSp *tool) { m_cutScene.saveToolTable(tool); }
bool Config::autoSort() const { return m_cutScene.autoSort(); }
bool Config::closeCompensate() const { return m_cutScene.closeCompensate(); }
double Config::closeCompensateVal() const { return m_cutScene.closeCompensateVal(); }
bool Config::knifeCompensate() const { return m_cutScene.knifeCompensate(); }
double Config::knifeCompensateVal() const { return m_cutScene.knifeCompensateVal(); }

// The cut-scene settings signal only a change their part reports.
#define CONFIG_SCENE_SETTER(Param, getter, setter)                                                                     \
    void Config::setter(Param v)                                                                                       \
    {                                                                                                                  \
        if (m_cutScene.setter(v))                                                                                      \
            emit getter##Changed();                                                                                    \
    }

CONFIG_SCENE_SETTER(bool, autoSort, setAutoSort)
CONFIG_SCENE_SETTER(bool, closeCompensate, setCloseCompensate)
CONFIG_SCENE_SETTER(double, closeCompensateVal, setCloseCompensateVal)
CONFIG_SCENE_SETTER(bool, knifeCompensate, setKnifeCompensate)
CONFIG_SCENE_SETTER(double, knifeCompensateVal, setKnifeCompensateVal)
