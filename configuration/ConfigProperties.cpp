#include "Config.h"

#include <QtMath>

// The QML properties: each reads its parameter converted to the property's
// type; each write compares with the current value and, when it differs,
// sets the parameter and emits the property's change signal.

namespace {

template <typename T>
bool sameValue(const T &a, const T &b)
{
    return a == b;
}

// Floats compare exactly, doubles within the relative tolerance of qFuzzyCompare.
template <>
bool sameValue<double>(const double &a, const double &b)
{
    return qFuzzyCompare(a, b);
}

} // namespace

template <typename T>
void Config::writeProperty(ConfigParamType id, const T &current, const T &v, void (Config::*changed)())
{
    if (sameValue(current, v))
        return;
    setProperty(id, QVariant::fromValue(v));
    emit(this->*changed)();
}

// Copies and scan counts are 32-bit ints everywhere; QML sees the totals as
// 64-bit unsigned, sign-extended.
qulonglong Config::totalValue(ConfigParamType id) const
{
    return qulonglong(qint64(getProperty(id).toInt()));
}

void Config::writeTotal(ConfigParamType id, qulonglong v, void (Config::*changed)())
{
    if (totalValue(id) == v)
        return;
    setProperty(id, int(quint32(v)));
    emit(this->*changed)();
}

void Config::emitChangeSignal(ConfigParamType key)
{
    switch (key) {
    case CPT_Version:
        emit versionChanged();
        break;
    case CPT_Ident:
        emit identChanged();
        break;
    case CPT_Mark_Camera:
        emit markCameraChanged();
        break;
    case CPT_Check_Camera:
        emit checkCameraChanged();
        break;
    case CPT_Mark_Camera_Rotation:
        emit markCameraRotationChanged();
        break;
    case CPT_Check_Camera_Rotation:
        emit checkCameraRotationChanged();
        break;
    case CPT_Show_Camera:
        emit showCameraChanged();
        break;
    case CPT_Trim:
        emit trimChanged();
        break;
    case CPT_Knife_Num:
        emit knifeNumChanged();
        break;
    case CPT_Knife_index:
        emit knifeNoChanged();
        break;
    case CPT_Today_Cut:
        emit todayCutChanged();
        break;
    case CPT_Today_Print:
        emit todayPrintChanged();
        break;
    case CPT_Today_Copies:
        emit todayCopiesChanged();
        break;
    case CPT_Today_Scan_Mark:
        emit todayScanMarkChanged();
        break;
    case CPT_Today_Scan_Mark_OK:
        emit todayScanMarkOkChanged();
        break;
    case CPT_Total_Cut:
        emit totalCutChanged();
        break;
    case CPT_Total_Print:
        emit totalPrintChanged();
        break;
    case CPT_Total_Copies:
        emit totalCopiesChanged();
        break;
    case CPT_Total_Scan_Mark:
        emit totalScanMarkChanged();
        break;
    case CPT_Total_Scan_Mark_OK:
        emit totalScanMarkOkChanged();
        break;
    case CPT_Auto_Roll:
        emit autoRollChanged();
        break;
    case CPT_Gyroscope_Trigger:
        emit gyroscopeTriggerChanged();
        break;
    case CPT_Gyroscope_Limit:
        emit gyroscopeLimitChanged();
        break;
    case CPT_Film_Roller_Trigger:
        emit filmRollerTriggerChanged();
        break;
    case CPT_Film_Roller_Limit:
        emit filmRollerLimitChanged();
        break;
    case CPT_Film_Roller_Max:
        emit filmRollerMaxChanged();
        break;
    case CPT_Collect_Roller_Trigger:
        emit collectRollerTriggerChanged();
        break;
    case CPT_Collect_Roller_Limit:
        emit collectRollerLimitChanged();
        break;
    case CPT_Collect_Roller_Max:
        emit collectRollerMaxChanged();
        break;
    case CPT_Print_Roller_Trigger:
        emit printRollerTriggerChanged();
        break;
    case CPT_Print_Roller_Limit:
        emit printRollerLimitChanged();
        break;
    case CPT_Print_Roller_Max:
        emit printRollerMaxChanged();
        break;
    case CPT_Printer_Name:
        emit printerNameChanged();
        break;
    case CPT_Mark_Camera_Width:
        emit markCameraWidthChanged();
        break;
    case CPT_Mark_Camera_Height:
        emit markCameraHeightChanged();
        break;
    case CPT_Mark_Size:
        emit markSizeChanged();
        break;
    case CPT_Trim_Y_Speed:
        emit trimYSpeedChanged();
        break;
    case CPT_Trim_Offset:
        emit trimOffsetChanged();
        break;
    case CPT_Today:
        emit todayChanged();
        break;
    case CPT_Mark_Light:
        emit markLightChanged();
        break;
    case CPT_Check_BK_Light:
        emit checkBKLightChanged();
        break;
    case CPT_Check_Light:
        emit checkLightChanged();
        break;
    case CPT_Collect_Scale:
        emit collectScaleChanged();
        break;
    case CPT_Trim_Scale:
        emit trimScaleChanged();
        break;
    case CPT_Check_Camera_Center_X:
        emit checkCameraCenterXChanged();
        break;
    case CPT_Enable_Sort:
        emit enableSortChanged();
        break;
    case CPT_Rectify:
        emit rectifyChanged();
        break;
    case CPT_Enable_Rectify:
        emit enableRectifyChanged();
        break;
    case CPT_PageSpacing:
        emit pageSpacingChanged();
        break;
    case CPT_Language:
        emit languageChanged();
        break;
    case CPT_Enable_Cut:
        emit enableCutChanged();
        break;
    case CPT_Enable_Print:
        emit enablePrintChanged();
        break;
    case CPT_Enable_Print_Roller:
        emit enablePrintRollerChanged();
        break;
    case CPT_Enable_Gyroscope:
        emit enableGyroscopeChanged();
        break;
    case CPT_Enable_Trim:
        emit enableTrimChanged();
        break;
    case CPT_Enable_Detection:
        emit enableDetectionChanged();
        break;
    case CPT_Trim_Reset:
        emit trimResetChanged();
        break;
    case CPT_Rectify_Reset:
        emit rectifyResetChanged();
        break;
    case CPT_Cut_Coordinates:
        emit cutCoordinatesChanged();
        break;
    case CPT_Knife_Interval:
        emit knifeIntervalChanged();
        break;
    case CPT_Run:
        emit runTipChanged();
        break;
    case CPT_Run_Error:
        emit runErrTipChanged();
        break;
    case CPT_Has_DefaultCfg:
        emit hasDefaultCfgChanged();
        break;
    case CPT_REAL_TIME_FILM_SPEED:
        emit filmSpeedRealTimeChanged();
        break;
    case CPT_REAL_TIME_COLLOET_SPEED:
        emit collectSpeedRealTimeChanged();
        break;
    default:
        break;
    }
}

bool Config::usedQMLCamera(int camera) const
{
    QMutexLocker lock(&m_lock);
    return m_usedQMLCamera.value(camera, true);
}

bool Config::usedQMLCamera() const
{
    return usedQMLCamera(showCamera());
}

void Config::setUsedQMLCamera(bool v)
{
    const int camera = showCamera();
    {
        QMutexLocker lock(&m_lock);
        m_usedQMLCamera[camera] = v;
    }
    emit usedQMLCameraChanged();
}

int Config::version() const { return getProperty(CPT_Version).toInt(); }
void Config::setVersion(int v) { writeProperty(CPT_Version, version(), v, &Config::versionChanged); }
QString Config::ident() const { return getProperty(CPT_Ident).toString(); }
void Config::setIdent(const QString &v) { writeProperty(CPT_Ident, ident(), v, &Config::identChanged); }
QString Config::markCamera() const { return getProperty(CPT_Mark_Camera).toString(); }
void Config::setMarkCamera(const QString &v) { writeProperty(CPT_Mark_Camera, markCamera(), v, &Config::markCameraChanged); }
QString Config::checkCamera() const { return getProperty(CPT_Check_Camera).toString(); }
void Config::setCheckCamera(const QString &v) { writeProperty(CPT_Check_Camera, checkCamera(), v, &Config::checkCameraChanged); }
int Config::markCameraRotation() const { return getProperty(CPT_Mark_Camera_Rotation).toInt(); }
void Config::setMarkCameraRotation(int v) { writeProperty(CPT_Mark_Camera_Rotation, markCameraRotation(), v, &Config::markCameraRotationChanged); }
int Config::checkCameraRotation() const { return getProperty(CPT_Check_Camera_Rotation).toInt(); }
void Config::setCheckCameraRotation(int v) { writeProperty(CPT_Check_Camera_Rotation, checkCameraRotation(), v, &Config::checkCameraRotationChanged); }
int Config::showCamera() const { return getProperty(CPT_Show_Camera).toInt(); }
void Config::setShowCamera(int v) { writeProperty(CPT_Show_Camera, showCamera(), v, &Config::showCameraChanged); }
bool Config::trim() const { return getProperty(CPT_Trim).toBool(); }
void Config::setTrim(bool v) { writeProperty(CPT_Trim, trim(), v, &Config::trimChanged); }
int Config::knifeNum() const { return getProperty(CPT_Knife_Num).toInt(); }
void Config::setKnifeNum(int v) { writeProperty(CPT_Knife_Num, knifeNum(), v, &Config::knifeNumChanged); }
int Config::knifeNo() const { return getProperty(CPT_Knife_index).toInt(); }
void Config::setKnifeNo(int v) { writeProperty(CPT_Knife_index, knifeNo(), v, &Config::knifeNoChanged); }
float Config::todayCut() const { return getProperty(CPT_Today_Cut).toFloat(); }
void Config::setTodayCut(float v) { writeProperty(CPT_Today_Cut, todayCut(), v, &Config::todayCutChanged); }
float Config::todayPrint() const { return getProperty(CPT_Today_Print).toFloat(); }
void Config::setTodayPrint(float v) { writeProperty(CPT_Today_Print, todayPrint(), v, &Config::todayPrintChanged); }
int Config::todayCopies() const { return getProperty(CPT_Today_Copies).toInt(); }
void Config::setTodayCopies(int v) { writeProperty(CPT_Today_Copies, todayCopies(), v, &Config::todayCopiesChanged); }
int Config::todayScanMark() const { return getProperty(CPT_Today_Scan_Mark).toInt(); }
void Config::setTodayScanMark(int v) { writeProperty(CPT_Today_Scan_Mark, todayScanMark(), v, &Config::todayScanMarkChanged); }
int Config::todayScanMarkOk() const { return getProperty(CPT_Today_Scan_Mark_OK).toInt(); }
void Config::setTodayScanMarkOk(int v) { writeProperty(CPT_Today_Scan_Mark_OK, todayScanMarkOk(), v, &Config::todayScanMarkOkChanged); }
float Config::totalCut() const { return getProperty(CPT_Total_Cut).toFloat(); }
void Config::setTotalCut(float v) { writeProperty(CPT_Total_Cut, totalCut(), v, &Config::totalCutChanged); }
float Config::totalPrint() const { return getProperty(CPT_Total_Print).toFloat(); }
void Config::setTotalPrint(float v) { writeProperty(CPT_Total_Print, totalPrint(), v, &Config::totalPrintChanged); }
qulonglong Config::totalCopies() const { return totalValue(CPT_Total_Copies); }
void Config::setTotalCopies(qulonglong v) { writeTotal(CPT_Total_Copies, v, &Config::totalCopiesChanged); }
qulonglong Config::totalScanMark() const { return totalValue(CPT_Total_Scan_Mark); }
void Config::setTotalScanMark(qulonglong v) { writeTotal(CPT_Total_Scan_Mark, v, &Config::totalScanMarkChanged); }
qulonglong Config::totalScanMarkOk() const { return totalValue(CPT_Total_Scan_Mark_OK); }
void Config::setTotalScanMarkOk(qulonglong v) { writeTotal(CPT_Total_Scan_Mark_OK, v, &Config::totalScanMarkOkChanged); }
bool Config::autoRoll() const { return getProperty(CPT_Auto_Roll).toBool(); }
void Config::setAutoRoll(bool v) { writeProperty(CPT_Auto_Roll, autoRoll(), v, &Config::autoRollChanged); }
double Config::gyroscopeTrigger() const { return getProperty(CPT_Gyroscope_Trigger).toDouble(); }
void Config::setGyroscopeTrigger(double v) { writeProperty(CPT_Gyroscope_Trigger, gyroscopeTrigger(), v, &Config::gyroscopeTriggerChanged); }
double Config::gyroscopeLimit() const { return getProperty(CPT_Gyroscope_Limit).toDouble(); }
void Config::setGyroscopeLimit(double v) { writeProperty(CPT_Gyroscope_Limit, gyroscopeLimit(), v, &Config::gyroscopeLimitChanged); }
double Config::filmRollerTrigger() const { return getProperty(CPT_Film_Roller_Trigger).toDouble(); }
void Config::setFilmRollerTrigger(double v) { writeProperty(CPT_Film_Roller_Trigger, filmRollerTrigger(), v, &Config::filmRollerTriggerChanged); }
double Config::filmRollerLimit() const { return getProperty(CPT_Film_Roller_Limit).toDouble(); }
void Config::setFilmRollerLimit(double v) { writeProperty(CPT_Film_Roller_Limit, filmRollerLimit(), v, &Config::filmRollerLimitChanged); }
double Config::filmRollerMax() const { return getProperty(CPT_Film_Roller_Max).toDouble(); }
void Config::setFilmRollerMax(double v) { writeProperty(CPT_Film_Roller_Max, filmRollerMax(), v, &Config::filmRollerMaxChanged); }
double Config::collectRollerTrigger() const { return getProperty(CPT_Collect_Roller_Trigger).toDouble(); }
void Config::setCollectRollerTrigger(double v) { writeProperty(CPT_Collect_Roller_Trigger, collectRollerTrigger(), v, &Config::collectRollerTriggerChanged); }
double Config::collectRollerLimit() const { return getProperty(CPT_Collect_Roller_Limit).toDouble(); }
void Config::setCollectRollerLimit(double v) { writeProperty(CPT_Collect_Roller_Limit, collectRollerLimit(), v, &Config::collectRollerLimitChanged); }
double Config::collectRollerMax() const { return getProperty(CPT_Collect_Roller_Max).toDouble(); }
void Config::setCollectRollerMax(double v) { writeProperty(CPT_Collect_Roller_Max, collectRollerMax(), v, &Config::collectRollerMaxChanged); }
double Config::printRollerTrigger() const { return getProperty(CPT_Print_Roller_Trigger).toDouble(); }
void Config::setPrintRollerTrigger(double v) { writeProperty(CPT_Print_Roller_Trigger, printRollerTrigger(), v, &Config::printRollerTriggerChanged); }
double Config::printRollerLimit() const { return getProperty(CPT_Print_Roller_Limit).toDouble(); }
void Config::setPrintRollerLimit(double v) { writeProperty(CPT_Print_Roller_Limit, printRollerLimit(), v, &Config::printRollerLimitChanged); }
double Config::printRollerMax() const { return getProperty(CPT_Print_Roller_Max).toDouble(); }
void Config::setPrintRollerMax(double v) { writeProperty(CPT_Print_Roller_Max, printRollerMax(), v, &Config::printRollerMaxChanged); }
QString Config::printerName() const { return getProperty(CPT_Printer_Name).toString(); }
void Config::setPrinterName(const QString &v) { writeProperty(CPT_Printer_Name, printerName(), v, &Config::printerNameChanged); }
int Config::markCameraWidth() const { return getProperty(CPT_Mark_Camera_Width).toInt(); }
void Config::setMarkCameraWidth(int v) { writeProperty(CPT_Mark_Camera_Width, markCameraWidth(), v, &Config::markCameraWidthChanged); }
int Config::markCameraHeight() const { return getProperty(CPT_Mark_Camera_Height).toInt(); }
void Config::setMarkCameraHeight(int v) { writeProperty(CPT_Mark_Camera_Height, markCameraHeight(), v, &Config::markCameraHeightChanged); }
double Config::markSize() const { return getProperty(CPT_Mark_Size).toDouble(); }
void Config::setMarkSize(double v) { writeProperty(CPT_Mark_Size, markSize(), v, &Config::markSizeChanged); }
int Config::trimYSpeed() const { return getProperty(CPT_Trim_Y_Speed).toInt(); }
void Config::setTrimYSpeed(int v) { writeProperty(CPT_Trim_Y_Speed, trimYSpeed(), v, &Config::trimYSpeedChanged); }
double Config::trimOffset() const { return getProperty(CPT_Trim_Offset).toDouble(); }
void Config::setTrimOffset(double v) { writeProperty(CPT_Trim_Offset, trimOffset(), v, &Config::trimOffsetChanged); }
QDate Config::today() const { return getProperty(CPT_Today).toDate(); }
void Config::setToday(const QDate &v) { writeProperty(CPT_Today, today(), v, &Config::todayChanged); }
int Config::markLight() const { return getProperty(CPT_Mark_Light).toInt(); }
void Config::setMarkLight(int v) { writeProperty(CPT_Mark_Light, markLight(), v, &Config::markLightChanged); }
int Config::checkBKLight() const { return getProperty(CPT_Check_BK_Light).toInt(); }
void Config::setCheckBKLight(int v) { writeProperty(CPT_Check_BK_Light, checkBKLight(), v, &Config::checkBKLightChanged); }
int Config::checkLight() const { return getProperty(CPT_Check_Light).toInt(); }
void Config::setCheckLight(int v) { writeProperty(CPT_Check_Light, checkLight(), v, &Config::checkLightChanged); }
double Config::collectScale() const { return getProperty(CPT_Collect_Scale).toDouble(); }
void Config::setCollectScale(double v) { writeProperty(CPT_Collect_Scale, collectScale(), v, &Config::collectScaleChanged); }
double Config::trimScale() const { return getProperty(CPT_Trim_Scale).toDouble(); }
void Config::setTrimScale(double v) { writeProperty(CPT_Trim_Scale, trimScale(), v, &Config::trimScaleChanged); }
double Config::checkCameraCenterX() const { return getProperty(CPT_Check_Camera_Center_X).toDouble(); }
void Config::setCheckCameraCenterX(double v) { writeProperty(CPT_Check_Camera_Center_X, checkCameraCenterX(), v, &Config::checkCameraCenterXChanged); }
bool Config::enableSort() const { return getProperty(CPT_Enable_Sort).toBool(); }
void Config::setEnableSort(bool v) { writeProperty(CPT_Enable_Sort, enableSort(), v, &Config::enableSortChanged); }
bool Config::rectify() const { return getProperty(CPT_Rectify).toBool(); }
void Config::setRectify(bool v) { writeProperty(CPT_Rectify, rectify(), v, &Config::rectifyChanged); }
bool Config::enableRectify() const { return getProperty(CPT_Enable_Rectify).toBool(); }
void Config::setEnableRectify(bool v) { writeProperty(CPT_Enable_Rectify, enableRectify(), v, &Config::enableRectifyChanged); }
double Config::pageSpacing() const { return getProperty(CPT_PageSpacing).toDouble(); }
void Config::setPageSpacing(double v) { writeProperty(CPT_PageSpacing, pageSpacing(), v, &Config::pageSpacingChanged); }
int Config::language() const { return getProperty(CPT_Language).toInt(); }
void Config::setLanguage(int v) { writeProperty(CPT_Language, language(), v, &Config::languageChanged); }
bool Config::enableCut() const { return getProperty(CPT_Enable_Cut).toBool(); }
void Config::setEnableCut(bool v) { writeProperty(CPT_Enable_Cut, enableCut(), v, &Config::enableCutChanged); }
bool Config::enablePrint() const { return getProperty(CPT_Enable_Print).toBool(); }
void Config::setEnablePrint(bool v) { writeProperty(CPT_Enable_Print, enablePrint(), v, &Config::enablePrintChanged); }
bool Config::enablePrintRoller() const { return getProperty(CPT_Enable_Print_Roller).toBool(); }
void Config::setEnablePrintRoller(bool v) { writeProperty(CPT_Enable_Print_Roller, enablePrintRoller(), v, &Config::enablePrintRollerChanged); }
bool Config::enableGyroscope() const { return getProperty(CPT_Enable_Gyroscope).toBool(); }
void Config::setEnableGyroscope(bool v) { writeProperty(CPT_Enable_Gyroscope, enableGyroscope(), v, &Config::enableGyroscopeChanged); }
bool Config::enableTrim() const { return getProperty(CPT_Enable_Trim).toBool(); }
void Config::setEnableTrim(bool v) { writeProperty(CPT_Enable_Trim, enableTrim(), v, &Config::enableTrimChanged); }
bool Config::enableDetection() const { return getProperty(CPT_Enable_Detection).toBool(); }
void Config::setEnableDetection(bool v) { writeProperty(CPT_Enable_Detection, enableDetection(), v, &Config::enableDetectionChanged); }
bool Config::trimReset() const { return getProperty(CPT_Trim_Reset).toBool(); }
void Config::setTrimReset(bool v) { writeProperty(CPT_Trim_Reset, trimReset(), v, &Config::trimResetChanged); }
bool Config::rectifyReset() const { return getProperty(CPT_Rectify_Reset).toBool(); }
void Config::setRectifyReset(bool v) { writeProperty(CPT_Rectify_Reset, rectifyReset(), v, &Config::rectifyResetChanged); }
int Config::cutCoordinates() const { return getProperty(CPT_Cut_Coordinates).toInt(); }
void Config::setCutCoordinates(int v) { writeProperty(CPT_Cut_Coordinates, cutCoordinates(), v, &Config::cutCoordinatesChanged); }
double Config::knifeInterval() const { return getProperty(CPT_Knife_Interval).toDouble(); }
void Config::setKnifeInterval(double v) { writeProperty(CPT_Knife_Interval, knifeInterval(), v, &Config::knifeIntervalChanged); }
QString Config::runTip() const { return getProperty(CPT_Run).toString(); }
void Config::setRunTip(const QString &v) { writeProperty(CPT_Run, runTip(), v, &Config::runTipChanged); }
QString Config::runErrTip() const { return getProperty(CPT_Run_Error).toString(); }
void Config::setRunErrTip(const QString &v) { writeProperty(CPT_Run_Error, runErrTip(), v, &Config::runErrTipChanged); }
bool Config::hasDefaultCfg() const { return getProperty(CPT_Has_DefaultCfg).toBool(); }
void Config::setHasDefaultCfg(bool v) { writeProperty(CPT_Has_DefaultCfg, hasDefaultCfg(), v, &Config::hasDefaultCfgChanged); }
int Config::filmSpeedRealTime() const { return getProperty(CPT_REAL_TIME_FILM_SPEED).toInt(); }
void Config::setFilmSpeedRealTime(int v) { writeProperty(CPT_REAL_TIME_FILM_SPEED, filmSpeedRealTime(), v, &Config::filmSpeedRealTimeChanged); }
int Config::collectSpeedRealTime() const { return getProperty(CPT_REAL_TIME_COLLOET_SPEED).toInt(); }
void Config::setCollectSpeedRealTime(int v) { writeProperty(CPT_REAL_TIME_COLLOET_SPEED, collectSpeedRealTime(), v, &Config::collectSpeedRealTimeChanged); }
