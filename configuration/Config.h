#pragma once

#include "configuration/parameters/CutSceneSettings.h"
#include "configuration/records/DbConfig.h"
#include "configuration/Guarded.h"
#include "configuration/parameters/HostLookup.h"
#include "configuration/parameters/KnifeOffsets.h"
#include "configuration/settingsfiles/ParamFile.h"
#include "configuration/parameters/ParamRows.h"

#include <QDate>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>

class GScene;
class GSp;

// The one parameter store. It keeps every machine, camera, print, cut, log
// and counter setting as a typed row, writes each change through to
// "config.ini" beside the program, signals it to QML and the workers, and
// runs the side effects that tie parameters together.
//
// A facade over owned parts, each with its own lock: the rows (ParamRows), their
// file (ParamFile), the per-knife camera offsets (KnifeOffsets), the cut
// settings of the application's scene (CutSceneSettings) and the host lookup
// (HostLookup). Called from the GUI
// thread, the driver's threads and the task threads; signals and side effects
// run outside every lock.
//
// One property idiom: a property's setter compares in the property's type and
// stores through the rows, which report a real change; only then, outside every
// lock, is the change signal emitted, found through the property that shows the
// row (ParamTable's rowProperty). Values that are not rows are Guarded.
class Config : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int version READ version WRITE setVersion NOTIFY versionChanged)
    Q_PROPERTY(QString ident READ ident WRITE setIdent NOTIFY identChanged)
    Q_PROPERTY(QString markCamera READ markCamera WRITE setMarkCamera NOTIFY markCameraChanged)
    Q_PROPERTY(QString checkCamera READ checkCamera WRITE setCheckCamera NOTIFY checkCameraChanged)
    Q_PROPERTY(int markCameraRotation READ markCameraRotation WRITE setMarkCameraRotation NOTIFY markCameraRotationChanged)
    Q_PROPERTY(int checkCameraRotation READ checkCameraRotation WRITE setCheckCameraRotation NOTIFY checkCameraRotationChanged)
    Q_PROPERTY(int showCamera READ showCamera WRITE setShowCamera NOTIFY showCameraChanged)
    Q_PROPERTY(bool trim READ trim WRITE setTrim NOTIFY trimChanged)
    Q_PROPERTY(int knifeNum READ knifeNum WRITE setKnifeNum NOTIFY knifeNumChanged)
    Q_PROPERTY(int knifeNo READ knifeNo WRITE setKnifeNo NOTIFY knifeNoChanged)
    Q_PROPERTY(double markCameraOffsetX READ markCameraOffsetX WRITE setMarkCameraOffsetX NOTIFY markCameraOffsetXChanged)
    Q_PROPERTY(double markCameraOffsetY READ markCameraOffsetY WRITE setMarkCameraOffsetY NOTIFY markCameraOffsetYChanged)
    Q_PROPERTY(float todayCut READ todayCut WRITE setTodayCut NOTIFY todayCutChanged)
    Q_PROPERTY(float todayPrint READ todayPrint WRITE setTodayPrint NOTIFY todayPrintChanged)
    Q_PROPERTY(int todayCopies READ todayCopies WRITE setTodayCopies NOTIFY todayCopiesChanged)
    Q_PROPERTY(int todayScanMark READ todayScanMark WRITE setTodayScanMark NOTIFY todayScanMarkChanged)
    Q_PROPERTY(int todayScanMarkOk READ todayScanMarkOk WRITE setTodayScanMarkOk NOTIFY todayScanMarkOkChanged)
    Q_PROPERTY(float totalCut READ totalCut WRITE setTotalCut NOTIFY totalCutChanged)
    Q_PROPERTY(float totalPrint READ totalPrint WRITE setTotalPrint NOTIFY totalPrintChanged)
    Q_PROPERTY(qulonglong totalCopies READ totalCopies WRITE setTotalCopies NOTIFY totalCopiesChanged)
    Q_PROPERTY(qulonglong totalScanMark READ totalScanMark WRITE setTotalScanMark NOTIFY totalScanMarkChanged)
    Q_PROPERTY(qulonglong totalScanMarkOk READ totalScanMarkOk WRITE setTotalScanMarkOk NOTIFY totalScanMarkOkChanged)
    Q_PROPERTY(bool autoRoll READ autoRoll WRITE setAutoRoll NOTIFY autoRollChanged)
    Q_PROPERTY(double gyroscopeTrigger READ gyroscopeTrigger WRITE setGyroscopeTrigger NOTIFY gyroscopeTriggerChanged)
    Q_PROPERTY(double gyroscopeLimit READ gyroscopeLimit WRITE setGyroscopeLimit NOTIFY gyroscopeLimitChanged)
    Q_PROPERTY(double filmRollerTrigger READ filmRollerTrigger WRITE setFilmRollerTrigger NOTIFY filmRollerTriggerChanged)
    Q_PROPERTY(double filmRollerLimit READ filmRollerLimit WRITE setFilmRollerLimit NOTIFY filmRollerLimitChanged)
    Q_PROPERTY(double filmRollerMax READ filmRollerMax WRITE setFilmRollerMax NOTIFY filmRollerMaxChanged)
    Q_PROPERTY(double collectRollerTrigger READ collectRollerTrigger WRITE setCollectRollerTrigger NOTIFY collectRollerTriggerChanged)
    Q_PROPERTY(double collectRollerLimit READ collectRollerLimit WRITE setCollectRollerLimit NOTIFY collectRollerLimitChanged)
    Q_PROPERTY(double collectRollerMax READ collectRollerMax WRITE setCollectRollerMax NOTIFY collectRollerMaxChanged)
    Q_PROPERTY(double printRollerTrigger READ printRollerTrigger WRITE setPrintRollerTrigger NOTIFY printRollerTriggerChanged)
    Q_PROPERTY(double printRollerLimit READ printRollerLimit WRITE setPrintRollerLimit NOTIFY printRollerLimitChanged)
    Q_PROPERTY(double printRollerMax READ printRollerMax WRITE setPrintRollerMax NOTIFY printRollerMaxChanged)
    Q_PROPERTY(QString printerName READ printerName WRITE setPrinterName NOTIFY printerNameChanged)
    Q_PROPERTY(int markCameraWidth READ markCameraWidth WRITE setMarkCameraWidth NOTIFY markCameraWidthChanged)
    Q_PROPERTY(int markCameraHeight READ markCameraHeight WRITE setMarkCameraHeight NOTIFY markCameraHeightChanged)
    Q_PROPERTY(double markSize READ markSize WRITE setMarkSize NOTIFY markSizeChanged)
    Q_PROPERTY(int trimYSpeed READ trimYSpeed WRITE setTrimYSpeed NOTIFY trimYSpeedChanged)
    Q_PROPERTY(double trimOffset READ trimOffset WRITE setTrimOffset NOTIFY trimOffsetChanged)
    Q_PROPERTY(QDate today READ today WRITE setToday NOTIFY todayChanged)
    Q_PROPERTY(int markLight READ markLight WRITE setMarkLight NOTIFY markLightChanged)
    Q_PROPERTY(int checkBKLight READ checkBKLight WRITE setCheckBKLight NOTIFY checkBKLightChanged)
    Q_PROPERTY(int checkLight READ checkLight WRITE setCheckLight NOTIFY checkLightChanged)
    Q_PROPERTY(double collectScale READ collectScale WRITE setCollectScale NOTIFY collectScaleChanged)
    Q_PROPERTY(double trimScale READ trimScale WRITE setTrimScale NOTIFY trimScaleChanged)
    Q_PROPERTY(double checkCameraCenterX READ checkCameraCenterX WRITE setCheckCameraCenterX NOTIFY checkCameraCenterXChanged)
    Q_PROPERTY(bool enableSort READ enableSort WRITE setEnableSort NOTIFY enableSortChanged)
    Q_PROPERTY(bool rectify READ rectify WRITE setRectify NOTIFY rectifyChanged)
    Q_PROPERTY(bool enableRectify READ enableRectify WRITE setEnableRectify NOTIFY enableRectifyChanged)
    Q_PROPERTY(double pageSpacing READ pageSpacing WRITE setPageSpacing NOTIFY pageSpacingChanged)
    Q_PROPERTY(int language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(bool enableCut READ enableCut WRITE setEnableCut NOTIFY enableCutChanged)
    Q_PROPERTY(bool enablePrint READ enablePrint WRITE setEnablePrint NOTIFY enablePrintChanged)
    Q_PROPERTY(bool enablePrintRoller READ enablePrintRoller WRITE setEnablePrintRoller NOTIFY enablePrintRollerChanged)
    Q_PROPERTY(bool enableGyroscope READ enableGyroscope WRITE setEnableGyroscope NOTIFY enableGyroscopeChanged)
    Q_PROPERTY(bool enableTrim READ enableTrim WRITE setEnableTrim NOTIFY enableTrimChanged)
    Q_PROPERTY(bool enableDetection READ enableDetection WRITE setEnableDetection NOTIFY enableDetectionChanged)
    Q_PROPERTY(bool trimReset READ trimReset WRITE setTrimReset NOTIFY trimResetChanged)
    Q_PROPERTY(bool rectifyReset READ rectifyReset WRITE setRectifyReset NOTIFY rectifyResetChanged)
    Q_PROPERTY(bool usedQMLCamera READ usedQMLCamera WRITE setUsedQMLCamera NOTIFY usedQMLCameraChanged)
    Q_PROPERTY(int cutCoordinates READ cutCoordinates WRITE setCutCoordinates NOTIFY cutCoordinatesChanged)
    Q_PROPERTY(double knifeInterval READ knifeInterval WRITE setKnifeInterval NOTIFY knifeIntervalChanged)
    Q_PROPERTY(QString runTip READ runTip WRITE setRunTip NOTIFY runTipChanged)
    Q_PROPERTY(QString runErrTip READ runErrTip WRITE setRunErrTip NOTIFY runErrTipChanged)
    Q_PROPERTY(bool hasDefaultCfg READ hasDefaultCfg WRITE setHasDefaultCfg NOTIFY hasDefaultCfgChanged)
    Q_PROPERTY(int filmSpeedRealTime READ filmSpeedRealTime WRITE setFilmSpeedRealTime NOTIFY filmSpeedRealTimeChanged)
    Q_PROPERTY(int collectSpeedRealTime READ collectSpeedRealTime WRITE setCollectSpeedRealTime NOTIFY collectSpeedRealTimeChanged)
    // Cut settings of the application's cut scene (tool 1), not parameters.
    Q_PROPERTY(bool closeCompensate READ closeCompensate WRITE setCloseCompensate NOTIFY closeCompensateChanged)
    Q_PROPERTY(double closeCompensateVal READ closeCompensateVal WRITE setCloseCompensateVal NOTIFY closeCompensateValChanged)
    Q_PROPERTY(bool knifeCompensate READ knifeCompensate WRITE setKnifeCompensate NOTIFY knifeCompensateChanged)
    Q_PROPERTY(double knifeCompensateVal READ knifeCompensateVal WRITE setKnifeCompensateVal NOTIFY knifeCompensateValChanged)
    Q_PROPERTY(bool autoSort READ autoSort WRITE setAutoSort NOTIFY autoSortChanged)

public:
    // The three enumerations are ints throughout: ids and versions come from
    // the pages, the files and the controller as plain numbers, and one that
    // names no entry (a newer machine, a damaged file) stays a valid value to
    // be turned away, not a value outside the enumeration's range.
    enum ConfigParamType : int {
        CPT_Language = 0,
        CPT_Today = 1,
        CPT_Today_Cut = 2,
        CPT_Today_Print = 3,
        CPT_Today_Copies = 4,
        CPT_Today_Scan_Mark = 5,
        CPT_Today_Scan_Mark_OK = 6,
        CPT_Total_Cut = 7,
        CPT_Total_Print = 8,
        CPT_Total_Copies = 9,
        CPT_Total_Scan_Mark = 10,
        CPT_Total_Scan_Mark_OK = 11,
        CPT_Ident = 12,
        CPT_Mark_Camera = 13,
        CPT_Check_Camera = 14,
        CPT_Show_Camera = 15,
        CPT_Check_Light = 16,
        CPT_Check_BK_Light = 17,
        CPT_Check_Camera_Center_X = 18,
        CPT_Trim = 19,
        CPT_Trim_Offset = 20,
        CPT_Trim_Reset = 21,
        CPT_Trim_Scale = 22,
        CPT_Trim_Y_Speed = 23,
        CPT_Mark_Camera_Offset_X = 24,
        CPT_Mark_Camera_Offset_Y = 25,
        CPT_Mark_Camera_Width = 26,
        CPT_Mark_Camera_Height = 27,
        CPT_Mark_Light = 28,
        CPT_Mark_Size = 29,
        CPT_Auto_Roll = 30,
        CPT_Gyroscope_Trigger = 31,
        CPT_Gyroscope_Limit = 32,
        CPT_Gyroscope_speed = 33,
        CPT_Print_Roller_Trigger = 34,
        CPT_Print_Roller_Limit = 35,
        CPT_Print_Roller_Max = 36,
        CPT_Film_Roller_Trigger = 37,
        CPT_Film_Roller_Limit = 38,
        CPT_Film_Roller_Max = 39,
        CPT_Film_Speed = 40,
        CPT_Collect_Roller_Trigger = 41,
        CPT_Collect_Roller_Limit = 42,
        CPT_Collect_Roller_Max = 43,
        CPT_Collect_Speed = 44,
        CPT_Collect_Scale = 45,
        CPT_Rectify_Reset = 46,
        CPT_Rectify_Speed = 47,
        CPT_Rectify_Span = 48,
        CPT_Rectify_Len = 49,
        CPT_Poll_Time_Span = 50,
        CPT_printCopiesOnce = 51,
        CPT_printPagesOnce = 52,
        CPT_LOG_ERROR = 53,
        CPT_LOG_WARNNING = 54,
        CPT_LOG_INFO = 55,
        CPT_LOG_DEBUG = 56,
        CPT_Enable_Sort = 57,
        CPT_Enable_Gyroscope = 58,
        CPT_Enable_Print = 59,
        CPT_Enable_Cut = 60,
        CPT_Enable_Print_Roller = 61,
        CPT_Enable_DrawLine = 62,
        CPT_Enable_Rectify = 63,
        CPT_Enable_OCR = 64,
        CPT_Enable_QRCode = 65,
        CPT_Enable_BARCode = 66,
        CPT_Enable_Check_Anomaly_Pause = 67,
        CPT_Collect_len = 68,
        CPT_MODEL_Path = 69,
        CPT_Threshold = 70,
        CPT_iou_Threshold = 71,
        CPT_Enable_Trim = 72,
        CPT_Enable_Detection = 73,
        CPT_Rectify = 74,
        CPT_PageSpacing = 75,
        CPT_Device_Version = 76,
        CPT_Version = 77,
        CPT_Mark_Camera_Rotation = 78,
        CPT_Check_Camera_Rotation = 79,
        CPT_SAVE_Check_Img = 80,
        CPT_Printer_Name = 81,
        CPT_Printer_Copies = 82,
        CPT_Wait_Print = 83,
        CPT_Wait_Capture = 84,
        CPT_wait_TcpRet_Msecs = 85,
        CPT_wait_TcpRet_Msecs_Max = 86,
        CPT_RIIN_Path = 87,
        CPT_RIIN_Input = 88,
        CPT_Enable_RIIN_Input = 89,
        CPT_Printer_Soft_Path = 90,
        CPT_Package_size = 91,
        CPT_Min_PaperWidthPix = 92,
        CPT_Max_RectifyOffset = 93,
        CPT_Film_Roller_Num = 94,
        CPT_Collect_Roller_Num = 95,
        CPT_Enable_Print_Marker_Type = 96,
        CPT_Enable_Cut_Marker_Type = 97,
        CPT_Plt_Dir = 98,
        CPT_Cut_Inverse = 99,
        CPT_Cut_Cross = 100,
        CPT_Knife_index = 101,
        CPT_IP = 102,
        CPT_Host_Ip = 103,
        CPT_Host_Ip_Date = 104,
        CPT_Host_Location = 105,
        CPT_Host_Location_Date = 106,
        CPT_Knife_Num = 107,
        CPT_Knife_Interval = 108,
        CPT_Knife_Max_Distance = 109,
        CPT_Cut_Coordinates = 110,
        CPT_UI_Logo = 111,
        CPT_dtMark = 112,
        CPT_dtCenter = 113,
        CPT_dtFindMarkInfo = 114,
        CPT_Run = 115,
        CPT_Run_Error = 116,
        CPT_Has_DefaultCfg = 117,
        CPT_CUT_SPEED = 118,
        CPT_NO_CUT_SPEED = 119,
        CPT_REAL_TIME_COLLOET_SPEED = 120,
        CPT_REAL_TIME_FILM_SPEED = 121,
    };
    Q_ENUM(ConfigParamType)

    enum ModuleType : int { MT_Control = 0, MT_Driver, MT_Sensor, MT_Trim };
    Q_ENUM(ModuleType)

    enum VersionType : int { VT_UNKNOWN = 0, VT_7x3, VT_7x4, VT_7x5, VT_7x6, VT_7x7, VT_7x8 };
    Q_ENUM(VersionType)

    // appDir is where the configuration files live: the program's folder in
    // the program, a temporary folder in tests.
    explicit Config(const QString &appDir, QObject *parent = nullptr);
    ~Config() override;

    // The process-wide store; null before construction and after destruction.
    static Config *instance();

    // The value lookup: the row's value, or int 0 when the id has no row.
    Q_INVOKABLE QVariant getProperty(Config::ConfigParamType key) const;
    // Stores, writes to the working file when the row has a key, emits
    // propertyChanged on every call, runs the id's side effects and, when the
    // value really changed, emits the change signal of the row's property.
    Q_INVOKABLE void setProperty(Config::ConfigParamType key, const QVariant &val);
    // Books delta onto a counter (copies, scans, metres) as setProperty
    // would, but read and written in one step: threads booking at once
    // each count.
    void addToCounter(Config::ConfigParamType key, double delta);
    Q_INVOKABLE void setPropertyName(Config::ConfigParamType key, const QString &showName);
    Q_INVOKABLE void setCheckCameraName(const QString &newCheckCamera);

    // Camera source: true when camera (0 mark, 1 check) is a QML camera.
    bool usedQMLCamera(int camera) const;
    bool usedQMLCamera() const;
    void setUsedQMLCamera(bool v);

    // Per-knife mark-camera offsets in millimetres.
    double markCameraOffsetX(int knife) const;
    double markCameraOffsetY(int knife) const;
    void setMarkCameraOffsetX(int knife, double mm);
    void setMarkCameraOffsetY(int knife, double mm);
    double markCameraOffsetX() const;
    double markCameraOffsetY() const;
    void setMarkCameraOffsetX(double mm);
    void setMarkCameraOffsetY(double mm);

    // Configuration files.
    void loadCfg(bool bSave);
    Q_INVOKABLE void saveProperty(Config::ConfigParamType key, const QVariant &val, bool bTmp);
    Q_INVOKABLE void saveCfg();
    // Drops every staged edit; each dropped parameter is announced with its
    // stored value through propertyChanged, so that editors show it again.
    Q_INVOKABLE void discardCfg();
    Q_INVOKABLE void saveDefaultCfg();
    Q_INVOKABLE void saveDefaultProperty(Config::ConfigParamType key, const QVariant &val);
    Q_INVOKABLE void resetDefaultCfg();
    Q_INVOKABLE void resetFactoryCfg();
    void resetVersionParam(Config::VersionType v);
    QMap<ConfigParamType, QVariant> stagedEdits() const;

    // Settings-page queries and module names.
    Q_INVOKABLE QStringList getShowPropertiesClass() const;
    Q_INVOKABLE QList<int> getShowProperties(const QString &strType) const;
    Q_INVOKABLE QString getPropertyName(Config::ConfigParamType key) const;
    Q_INVOKABLE double getPropertyMax(Config::ConfigParamType key) const;
    Q_INVOKABLE double getPropertyMin(Config::ConfigParamType key) const;
    Q_INVOKABLE QVariant getDefaultProperty(Config::ConfigParamType key) const;
    Q_INVOKABLE bool isShowPorperty(Config::ConfigParamType key) const;
    Q_INVOKABLE bool isShowPorperty(const QString &key) const;
    Q_INVOKABLE QStringList getModuleName() const;
    Q_INVOKABLE QList<int> getModules() const;
    Q_INVOKABLE bool containModules(Config::ModuleType type) const;
    void updateModuleName(Config::VersionType v);

    // The cut scene the five cut-scene properties follow: the application
    // object's; none until it registers.
    void setCutSceneSource(std::function<GScene *()> source);
    GScene *cutScene() const;
    bool autoSort() const;
    void setAutoSort(bool on);
    bool closeCompensate() const;
    void setCloseCompensate(bool on);
    double closeCompensateVal() const;
    void setCloseCompensateVal(double mm);
    bool knifeCompensate() const;
    void setKnifeCompensate(bool on);
    double knifeCompensateVal() const;
    void setKnifeCompensateVal(double mm);
    // Records a tool's settings in the working file (never read back).
    void saveToolTable(GSp *tool);

    // The production database.
    DbConfig &db() { return m_db; }

    // The public address and location of this computer's network, asked of
    // the online-services server at most once a day (HostLookup).
    QString updateHostIp();
    QString updateHostLocation();

    QString cfgPath() const { return m_file.cfgPath(); }
    QString defaultCfgPath() const { return m_file.defaultCfgPath(); }
    // The file the working settings handle is on ("config.ini" or "tmp.ini").
    QString settingsFileName() const;

    // Property accessors (QML properties and direct callers).
    int version() const;
    QString ident() const;
    QString markCamera() const;
    QString checkCamera() const;
    int markCameraRotation() const;
    int checkCameraRotation() const;
    int showCamera() const;
    bool trim() const;
    int knifeNum() const;
    int knifeNo() const;
    float todayCut() const;
    float todayPrint() const;
    int todayCopies() const;
    int todayScanMark() const;
    int todayScanMarkOk() const;
    float totalCut() const;
    float totalPrint() const;
    qulonglong totalCopies() const;
    qulonglong totalScanMark() const;
    qulonglong totalScanMarkOk() const;
    bool autoRoll() const;
    double gyroscopeTrigger() const;
    double gyroscopeLimit() const;
    double filmRollerTrigger() const;
    double filmRollerLimit() const;
    double filmRollerMax() const;
    double collectRollerTrigger() const;
    double collectRollerLimit() const;
    double collectRollerMax() const;
    double printRollerTrigger() const;
    double printRollerLimit() const;
    double printRollerMax() const;
    QString printerName() const;
    int markCameraWidth() const;
    int markCameraHeight() const;
    double markSize() const;
    int trimYSpeed() const;
    double trimOffset() const;
    QDate today() const;
    int markLight() const;
    int checkBKLight() const;
    int checkLight() const;
    double collectScale() const;
    double trimScale() const;
    double checkCameraCenterX() const;
    bool enableSort() const;
    bool rectify() const;
    bool enableRectify() const;
    double pageSpacing() const;
    int language() const;
    bool enableCut() const;
    bool enablePrint() const;
    bool enablePrintRoller() const;
    bool enableGyroscope() const;
    bool enableTrim() const;
    bool enableDetection() const;
    bool trimReset() const;
    bool rectifyReset() const;
    int cutCoordinates() const;
    double knifeInterval() const;
    QString runTip() const;
    QString runErrTip() const;
    bool hasDefaultCfg() const;
    int filmSpeedRealTime() const;
    int collectSpeedRealTime() const;

public slots:
    void setVersion(int v);
    void setIdent(const QString &v);
    void setMarkCamera(const QString &v);
    void setCheckCamera(const QString &v);
    void setMarkCameraRotation(int v);
    void setCheckCameraRotation(int v);
    void setShowCamera(int v);
    void setTrim(bool v);
    void setKnifeNum(int v);
    void setKnifeNo(int v);
    void setTodayCut(float v);
    void setTodayPrint(float v);
    void setTodayCopies(int v);
    void setTodayScanMark(int v);
    void setTodayScanMarkOk(int v);
    void setTotalCut(float v);
    void setTotalPrint(float v);
    void setTotalCopies(qulonglong v);
    void setTotalScanMark(qulonglong v);
    void setTotalScanMarkOk(qulonglong v);
    void setAutoRoll(bool v);
    void setGyroscopeTrigger(double v);
    void setGyroscopeLimit(double v);
    void setFilmRollerTrigger(double v);
    void setFilmRollerLimit(double v);
    void setFilmRollerMax(double v);
    void setCollectRollerTrigger(double v);
    void setCollectRollerLimit(double v);
    void setCollectRollerMax(double v);
    void setPrintRollerTrigger(double v);
    void setPrintRollerLimit(double v);
    void setPrintRollerMax(double v);
    void setPrinterName(const QString &v);
    void setMarkCameraWidth(int v);
    void setMarkCameraHeight(int v);
    void setMarkSize(double v);
    void setTrimYSpeed(int v);
    void setTrimOffset(double v);
    void setToday(const QDate &v);
    void setMarkLight(int v);
    void setCheckBKLight(int v);
    void setCheckLight(int v);
    void setCollectScale(double v);
    void setTrimScale(double v);
    void setCheckCameraCenterX(double v);
    void setEnableSort(bool v);
    void setRectify(bool v);
    void setEnableRectify(bool v);
    void setPageSpacing(double v);
    void setLanguage(int v);
    void setEnableCut(bool v);
    void setEnablePrint(bool v);
    void setEnablePrintRoller(bool v);
    void setEnableGyroscope(bool v);
    void setEnableTrim(bool v);
    void setEnableDetection(bool v);
    void setTrimReset(bool v);
    void setRectifyReset(bool v);
    void setCutCoordinates(int v);
    void setKnifeInterval(double v);
    void setRunTip(const QString &v);
    void setRunErrTip(const QString &v);
    void setHasDefaultCfg(bool v);
    void setFilmSpeedRealTime(int v);
    void setCollectSpeedRealTime(int v);

signals:
    void propertyChanged(Config::ConfigParamType key, const QVariant &val);
    void versionChanged();
    void identChanged();
    void markCameraChanged();
    void checkCameraChanged();
    void markCameraRotationChanged();
    void checkCameraRotationChanged();
    void showCameraChanged();
    void trimChanged();
    void knifeNumChanged();
    void knifeNoChanged();
    void markCameraOffsetXChanged();
    void markCameraOffsetYChanged();
    void todayCutChanged();
    void todayPrintChanged();
    void todayCopiesChanged();
    void todayScanMarkChanged();
    void todayScanMarkOkChanged();
    void totalCutChanged();
    void totalPrintChanged();
    void totalCopiesChanged();
    void totalScanMarkChanged();
    void totalScanMarkOkChanged();
    void autoRollChanged();
    void gyroscopeTriggerChanged();
    void gyroscopeLimitChanged();
    void filmRollerTriggerChanged();
    void filmRollerLimitChanged();
    void filmRollerMaxChanged();
    void collectRollerTriggerChanged();
    void collectRollerLimitChanged();
    void collectRollerMaxChanged();
    void printRollerTriggerChanged();
    void printRollerLimitChanged();
    void printRollerMaxChanged();
    void printerNameChanged();
    void markCameraWidthChanged();
    void markCameraHeightChanged();
    void markSizeChanged();
    void trimYSpeedChanged();
    void trimOffsetChanged();
    void todayChanged();
    void markLightChanged();
    void checkBKLightChanged();
    void checkLightChanged();
    void collectScaleChanged();
    void trimScaleChanged();
    void checkCameraCenterXChanged();
    void enableSortChanged();
    void rectifyChanged();
    void enableRectifyChanged();
    void pageSpacingChanged();
    void languageChanged();
    void enableCutChanged();
    void enablePrintChanged();
    void enablePrintRollerChanged();
    void enableGyroscopeChanged();
    void enableTrimChanged();
    void enableDetectionChanged();
    void trimResetChanged();
    void rectifyResetChanged();
    void usedQMLCameraChanged();
    void cutCoordinatesChanged();
    void knifeIntervalChanged();
    void runTipChanged();
    void runErrTipChanged();
    void hasDefaultCfgChanged();
    void filmSpeedRealTimeChanged();
    void collectSpeedRealTimeChanged();
    void closeCompensateChanged();
    void closeCompensateValChanged();
    void knifeCompensateChanged();
    void knifeCompensateValChanged();
    void autoSortChanged();

private:
    template <typename T>
    T rowValue(ConfigParamType id) const;
    template <typename T>
    void writeRow(ConfigParamType id, const T &v);
    qulonglong totalValue(ConfigParamType id) const;
    void writeTotal(ConfigParamType id, qulonglong v);
    void emitRowChanged(ConfigParamType key);
    void sideEffect(ConfigParamType key, const QVariant &val, const QVariant &old);
    void writeDayRow();
    void rollOverDay();
    void setCameraSource(int camera, bool qml);
    void loadAdjustments();
    void applyVersionPreset(VersionType v);

    ParamFile m_file;
    ParamRows m_rows;
    KnifeOffsets m_knives;
    CutSceneSettings m_cutScene;
    DbConfig m_db;
    HostLookup m_hostLookup{*this};
    Guarded<QString> m_checkCameraName;
    Guarded<QMap<int, bool>> m_usedQMLCamera;
    Guarded<bool> m_shownCameraIsQml{true}; // the usedQMLCamera property as last signalled
    Guarded<QMap<ModuleType, QString>> m_modules;
    Guarded<QMap<ConfigParamType, QVariant>> m_stagedEdits;
};
