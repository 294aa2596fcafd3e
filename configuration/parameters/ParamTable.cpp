#include "configuration/parameters/ParamTable.h"

#include "configuration/Config.h"

#include <QDate>
#include <QHash>
#include <QMetaObject>
#include <QtGlobal>

namespace {

// CPT_Language's default follows the system locale; the load pass decides it.
// CPT_IP is the online-services server, kept on this machine by default.
const QList<ParamDef> &definitions()
{
    static const QList<ParamDef> table{
        {Config::CPT_Language, "Dravolinte/Language", QMetaType::Int, QVariant(int(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Today, "Today/Today", QMetaType::QDate, QVariant(QDate::fromJulianDay(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Today_Cut, "Total/Cut", QMetaType::Float, QVariant(float(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Today_Print, "Total/Print", QMetaType::Float, QVariant(float(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Today_Copies, "Total/Copies", QMetaType::UInt, QVariant(uint(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Today_Scan_Mark, "Total/ScanMark", QMetaType::UInt, QVariant(uint(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Today_Scan_Mark_OK, "Total/ScanMarkOk", QMetaType::UInt, QVariant(uint(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Total_Cut, "Today/Cut", QMetaType::Float, QVariant(float(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Total_Print, "Today/Print", QMetaType::Float, QVariant(float(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Total_Copies, "Today/Copies", QMetaType::UInt, QVariant(uint(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Total_Scan_Mark, "Today/ScanMark", QMetaType::UInt, QVariant(uint(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Total_Scan_Mark_OK, "Today/ScanMarkOk", QMetaType::UInt, QVariant(uint(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Ident, "Dravolinte/Ident", QMetaType::QString, QVariant(QString()), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Mark_Camera, "Dravolinte/Mark_Camera", QMetaType::QString, QVariant(QString()), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Check_Camera, "Dravolinte/Check_Camera", QMetaType::QString, QVariant(QString()), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Show_Camera, "Dravolinte/Show_Camera", QMetaType::QString, QVariant(QString()), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Check_Light, "Dravolinte/Check_Light", QMetaType::Int, QVariant(int(100)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Check_BK_Light, "Dravolinte/Check_BK_Light", QMetaType::Int, QVariant(int(60)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Check_Camera_Center_X, "Dravolinte/CheckCameraCenterX", QMetaType::Int, QVariant(int(635)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Trim, "Dravolinte/Trim", QMetaType::Bool, QVariant(false), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Trim_Offset, "Dravolinte/Tirm_Offset", QMetaType::Double, QVariant(double(500.0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Trim_Scale, "Dravolinte/Tirm_Scale", QMetaType::Double, QVariant(double(1.1)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Trim_Y_Speed, "Dravolinte/TirmY_Speed", QMetaType::Int, QVariant(int(150)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Mark_Camera_Width, "Dravolinte/Mark_Camera_Width", QMetaType::Int, QVariant(int(320)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Mark_Camera_Height, "Dravolinte/Mark_Camera_Height", QMetaType::Int, QVariant(int(240)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Mark_Light, "Dravolinte/Mark_Light", QMetaType::Int, QVariant(int(30)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Mark_Size, "Dravolinte/Mark_Size", QMetaType::Double, QVariant(double(3.5)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Auto_Roll, "Dravolinte/AutoRoll", QMetaType::Bool, QVariant(false), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Gyroscope_Trigger, "Dravolinte/Gyroscope_Trigger", QMetaType::Int, QVariant(int(3)), QT_TRANSLATE_NOOP("Config", "陀螺仪触发值"), BasicGroup, -360.0, 360.0},
        {Config::CPT_Gyroscope_Limit, "Dravolinte/Gyroscope_Limit", QMetaType::Int, QVariant(int(20)), QT_TRANSLATE_NOOP("Config", "陀螺仪限位"), BasicGroup, -360.0, 360.0},
        {Config::CPT_Gyroscope_speed, "Dravolinte/Gyroscope_speed", QMetaType::Int, QVariant(int(100)), QT_TRANSLATE_NOOP("Config", "陀螺仪对应速度"), BasicGroup, 0.0, 100.0},
        {Config::CPT_Print_Roller_Trigger, "Dravolinte/Print_Roller_Trigger", QMetaType::Int, QVariant(int(80)), QT_TRANSLATE_NOOP("Config", "打印辊触发值"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Print_Roller_Limit, "Dravolinte/Print_Roller_Limit", QMetaType::Int, QVariant(int(60)), QT_TRANSLATE_NOOP("Config", "打印辊上限位"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Print_Roller_Max, "Dravolinte/Print_Roller_Max", QMetaType::Int, QVariant(int(100)), QT_TRANSLATE_NOOP("Config", "打印辊下限位"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Film_Roller_Trigger, "Dravolinte/Film_Roller_Trigger", QMetaType::Int, QVariant(int(80)), QT_TRANSLATE_NOOP("Config", "覆膜辊触发值"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Film_Roller_Limit, "Dravolinte/Film_Roller_Limit", QMetaType::Int, QVariant(int(60)), QT_TRANSLATE_NOOP("Config", "覆膜辊上限位"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Film_Roller_Max, "Dravolinte/Film_Roller_Max", QMetaType::Int, QVariant(int(100)), QT_TRANSLATE_NOOP("Config", "覆膜辊下限位"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Film_Speed, "Dravolinte/Film_Speed", QMetaType::Int, QVariant(int(50)), QT_TRANSLATE_NOOP("Config", "覆膜速度"), BasicGroup, 0.0, 100.0},
        {Config::CPT_Collect_Roller_Trigger, "Dravolinte/Collect_Roller_Trigger", QMetaType::Int, QVariant(int(80)), QT_TRANSLATE_NOOP("Config", "收纸辊触发值"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Collect_Roller_Limit, "Dravolinte/Collect_Roller_Limit", QMetaType::Int, QVariant(int(60)), QT_TRANSLATE_NOOP("Config", "收纸辊上限位"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Collect_Roller_Max, "Dravolinte/Collect_Roller_Max", QMetaType::Int, QVariant(int(100)), QT_TRANSLATE_NOOP("Config", "收纸辊下限位"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Collect_Speed, "Dravolinte/Collect_Speed", QMetaType::Int, QVariant(int(50)), QT_TRANSLATE_NOOP("Config", "收纸速度"), BasicGroup, 0.0, 100.0},
        {Config::CPT_Collect_Scale, "Dravolinte/Collect_Scale", QMetaType::Double, QVariant(double(1.0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Rectify_Speed, "Dravolinte/Rectify_Speed", QMetaType::Int, QVariant(int(30)), QT_TRANSLATE_NOOP("Config", "纠偏速度"), BasicGroup, 0.0, 100.0},
        {Config::CPT_Rectify_Span, "Dravolinte/Rectify_Span", QMetaType::Int, QVariant(int(500)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Rectify_Len, "Dravolinte/Rectify_Len", QMetaType::Double, QVariant(double(0.5)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Poll_Time_Span, "Dravolinte/Poll_Time_Span", QMetaType::Int, QVariant(int(100)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_printCopiesOnce, "Dravolinte/printCopiesOnce", QMetaType::Int, QVariant(int(1)), QT_TRANSLATE_NOOP("Config", "打印份数"), PrintGroup, 1.0, 9999.0},
        {Config::CPT_printPagesOnce, "Dravolinte/printPagesOnce", QMetaType::Int, QVariant(int(1)), QT_TRANSLATE_NOOP("Config", "最大页数"), PrintGroup, 1.0, 9999.0},
        {Config::CPT_LOG_ERROR, "LogSetting/LOG_ERROR", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "错误"), LogGroup, 0.0, 999.0},
        {Config::CPT_LOG_WARNNING, "LogSetting/LOG_WARNNING", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "警告"), LogGroup, 0.0, 999.0},
        {Config::CPT_LOG_INFO, "LogSetting/LOG_INFO", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "信息"), LogGroup, 0.0, 999.0},
        {Config::CPT_LOG_DEBUG, "LogSetting/LOG_DEBUG", QMetaType::Bool, QVariant(false), QT_TRANSLATE_NOOP("Config", "调试"), LogGroup, 0.0, 999.0},
        {Config::CPT_Enable_Gyroscope, "Dravolinte/enableGyroscope", QMetaType::Bool, QVariant(true), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Enable_Print, "Dravolinte/enablePrint", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "打印"), FlowGroup, 0.0, 999.0},
        {Config::CPT_Enable_Cut, "Dravolinte/enableCut", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "切割"), FlowGroup, 0.0, 999.0},
        {Config::CPT_Enable_Print_Roller, "Dravolinte/enablePrintRoller", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "使用打印辊"), FlowGroup, 0.0, 999.0},
        {Config::CPT_Enable_DrawLine, "Dravolinte/enableDrawLine", QMetaType::Bool, QVariant(false), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Enable_Rectify, "Dravolinte/enableRectify", QMetaType::Bool, QVariant(true), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Enable_OCR, "Dravolinte/enableOCR", QMetaType::Bool, QVariant(false), QT_TRANSLATE_NOOP("Config", "文字识别"), DetectionGroup, 0.0, 999.0},
        {Config::CPT_Enable_QRCode, "Dravolinte/enableQRCode", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "二维码识别"), DetectionGroup, 0.0, 999.0},
        {Config::CPT_Enable_BARCode, "Dravolinte/enableBARCode", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "条形码识别"), DetectionGroup, 0.0, 999.0},
        {Config::CPT_Enable_Check_Anomaly_Pause, "Dravolinte/enableCheckAnomalyPause", QMetaType::Bool, QVariant(false), QT_TRANSLATE_NOOP("Config", "检测异常暂停"), DetectionGroup, 0.0, 999.0},
        {Config::CPT_Collect_len, "Dravolinte/collectLen", QMetaType::Int, QVariant(int(50)), QT_TRANSLATE_NOOP("Config", "收卷距离"), DetectionGroup, 0.0, 999.0},
        {Config::CPT_MODEL_Path, "Dravolinte/modelPath", QMetaType::QString, QVariant(QStringLiteral("./config.json")), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Threshold, "Dravolinte/Threshold", QMetaType::Double, QVariant(double(0.6)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_iou_Threshold, "Dravolinte/iouThreshold", QMetaType::Double, QVariant(double(0.6)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Enable_Trim, "Dravolinte/enableTrim", QMetaType::Bool, QVariant(true), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Enable_Detection, "Dravolinte/enableDetection", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "检测"), FlowGroup, 0.0, 999.0},
        {Config::CPT_Rectify, "Dravolinte/rectify", QMetaType::Bool, QVariant(false), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_PageSpacing, "Dravolinte/pageSpacing", QMetaType::Double, QVariant(double(0.0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Version, "Dravolinte/Version", QMetaType::Int, QVariant(int(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Mark_Camera_Rotation, "Dravolinte/Mark_Camera_Rotation", QMetaType::Int, QVariant(int(90)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Check_Camera_Rotation, "Dravolinte/Check_Camera_Rotation", QMetaType::Int, QVariant(int(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_SAVE_Check_Img, "Dravolinte/saveCheckImg", QMetaType::Bool, QVariant(false), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Printer_Name, "Dravolinte/Printer_Name", QMetaType::QString, QVariant(QString()), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Printer_Copies, "Dravolinte/Printer_Copies", QMetaType::Bool, QVariant(true), QT_TRANSLATE_NOOP("Config", "支持多页副本"), PrintGroup, 0.0, 999.0},
        {Config::CPT_Wait_Print, "Dravolinte/waitPrint", QMetaType::Bool, QVariant(false), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Wait_Capture, "Dravolinte/waitCapture", QMetaType::Int, QVariant(int(10000)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_wait_TcpRet_Msecs, "Dravolinte/waitTcpRet", QMetaType::Int, QVariant(int(100)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_wait_TcpRet_Msecs_Max, "Dravolinte/waitTcpRetMax", QMetaType::Int, QVariant(int(10000)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_RIIN_Path, "Dravolinte/RIIN_Path", QMetaType::QString, QVariant(QString()), QT_TRANSLATE_NOOP("Config", "RIIN路径"), PrintGroup, 0.0, 999.0},
        {Config::CPT_RIIN_Input, "Dravolinte/RIIN_Input", QMetaType::QString, QVariant(QString()), QT_TRANSLATE_NOOP("Config", "热文件夹路径"), PrintGroup, 0.0, 999.0},
        {Config::CPT_Enable_RIIN_Input, "Dravolinte/enable_RIIN_Input", QMetaType::Bool, QVariant(false), QT_TRANSLATE_NOOP("Config", "热文件夹"), PrintGroup, 0.0, 999.0},
        {Config::CPT_Printer_Soft_Path, "Dravolinte/Printer_Soft_Path", QMetaType::QString, QVariant(QString()), QT_TRANSLATE_NOOP("Config", "打印机软件路径"), PrintGroup, 0.0, 999.0},
        {Config::CPT_Package_size, "Dravolinte/package_size", QMetaType::Int, QVariant(int(1024)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Min_PaperWidthPix, "Dravolinte/MinPaperWidthPix", QMetaType::Int, QVariant(int(1000)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Max_RectifyOffset, "Dravolinte/MaxRectifyOffset", QMetaType::Int, QVariant(int(15)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Film_Roller_Num, "Dravolinte/film_roller_num", QMetaType::Int, QVariant(int(1)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Collect_Roller_Num, "Dravolinte/collect_roller_num", QMetaType::Int, QVariant(int(1)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Enable_Print_Marker_Type, "Dravolinte/enablePrintQR", QMetaType::Int, QVariant(int(0)), QT_TRANSLATE_NOOP("Config", "打印标记类型"), PrintGroup, 0.0, 999.0},
        {Config::CPT_Enable_Cut_Marker_Type, "Dravolinte/markType", QMetaType::Int, QVariant(int(0)), QT_TRANSLATE_NOOP("Config", "切割标记类型"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Plt_Dir, "Dravolinte/plt_dir", QMetaType::QString, QVariant(QString()), QT_TRANSLATE_NOOP("Config", "切割文件路径"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Cut_Inverse, "Dravolinte/Cut_Inverse", QMetaType::Bool, QVariant(false), QT_TRANSLATE_NOOP("Config", "反切"), BasicGroup, 0.0, 999.0},
        {Config::CPT_Cut_Cross, "Dravolinte/Cut_Cross", QMetaType::Bool, QVariant(false), QT_TRANSLATE_NOOP("Config", "十字"), BasicGroup, 0.0, 999.0},
        {Config::CPT_IP, "Dravolinte/IP", QMetaType::QString, QVariant(QStringLiteral("127.0.0.1")), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Host_Ip, "Host/Ip", QMetaType::QString, QVariant(QString()), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Host_Ip_Date, "Host/IpDate", QMetaType::QDate, QVariant(QDate::fromJulianDay(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Host_Location, "Host/Location", QMetaType::QString, QVariant(QString()), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Host_Location_Date, "Host/LocationDate", QMetaType::QDate, QVariant(QDate::fromJulianDay(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Knife_Num, "Dravolinte/KnifeNum", QMetaType::Int, QVariant(int(1)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Knife_Interval, "Dravolinte/KnifeInterval", QMetaType::Int, QVariant(int(40)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Knife_Max_Distance, "Dravolinte/KnifeMaxDistance", QMetaType::Int, QVariant(int(380)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_Cut_Coordinates, "Dravolinte/cutCoordinates", QMetaType::Int, QVariant(int(0)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_UI_Logo, "UI/logo", QMetaType::QString, QVariant(QStringLiteral("file:Dravolinte/res/logo.png")), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_dtMark, "Dravolinte/dtMark", QMetaType::Double, QVariant(double(0.1)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_dtCenter, "Dravolinte/dtCenter", QMetaType::Int, QVariant(int(3)), nullptr, NoGroup, 0.0, 999.0},
        {Config::CPT_dtFindMarkInfo, "Dravolinte/dtFindMarkInfo", QMetaType::Int, QVariant(int(4)), nullptr, NoGroup, 0.0, 999.0},
    };
    return table;
}

} // namespace

const ParamDef *paramDef(int id)
{
    static const QHash<int, const ParamDef *> byId = [] {
        QHash<int, const ParamDef *> h;
        for (const ParamDef &s : definitions())
            h.insert(s.id, &s);
        return h;
    }();
    return byId.value(id, nullptr);
}

const QList<int> &loadOrder()
{
    using C = Config;
    static const QList<int> order{
        C::CPT_Host_Ip_Date, C::CPT_Host_Location_Date, C::CPT_Host_Ip, C::CPT_Host_Location, C::CPT_Knife_Num,
        C::CPT_Knife_Interval, C::CPT_Cut_Coordinates, C::CPT_Knife_Max_Distance, C::CPT_Check_Camera_Center_X,
        KnifeOffsetsSlot,
        C::CPT_Ident, C::CPT_Mark_Camera, C::CPT_Check_Camera, C::CPT_Show_Camera, C::CPT_Trim, C::CPT_Auto_Roll,
        C::CPT_Mark_Camera_Width, C::CPT_Mark_Camera_Height, C::CPT_Mark_Size, C::CPT_Trim_Y_Speed,
        C::CPT_Trim_Offset, C::CPT_Today_Cut, C::CPT_Today_Print, C::CPT_Today_Copies, C::CPT_Today_Scan_Mark,
        C::CPT_Today_Scan_Mark_OK, C::CPT_Total_Cut, C::CPT_Total_Print, C::CPT_Total_Copies, C::CPT_Total_Scan_Mark,
        C::CPT_Total_Scan_Mark_OK, C::CPT_Today, C::CPT_Mark_Light, C::CPT_Check_Light, C::CPT_Check_BK_Light,
        C::CPT_Collect_Scale, C::CPT_Trim_Scale, C::CPT_dtMark, C::CPT_dtCenter, C::CPT_dtFindMarkInfo,
        C::CPT_Language, C::CPT_Gyroscope_Trigger, C::CPT_Gyroscope_Limit, C::CPT_Gyroscope_speed,
        C::CPT_Print_Roller_Trigger, C::CPT_Print_Roller_Limit, C::CPT_Print_Roller_Max, C::CPT_Film_Roller_Trigger,
        C::CPT_Film_Roller_Limit, C::CPT_Film_Roller_Max, C::CPT_Collect_Roller_Trigger, C::CPT_Collect_Roller_Limit,
        C::CPT_Collect_Roller_Max, C::CPT_Film_Speed, C::CPT_Collect_Speed, C::CPT_Rectify_Speed,
        C::CPT_Enable_Cut_Marker_Type, C::CPT_Plt_Dir, C::CPT_Cut_Inverse, C::CPT_Cut_Cross,
        C::CPT_Mark_Camera_Rotation, C::CPT_Check_Camera_Rotation, C::CPT_Rectify_Len, C::CPT_Rectify_Span,
        C::CPT_Min_PaperWidthPix, C::CPT_Max_RectifyOffset, C::CPT_Poll_Time_Span, C::CPT_Package_size,
        C::CPT_Film_Roller_Num, C::CPT_Collect_Roller_Num, C::CPT_LOG_ERROR, C::CPT_LOG_WARNNING, C::CPT_LOG_INFO,
        C::CPT_LOG_DEBUG,
        // The switches in this order: printing on brings the print roller on, which is read after it and
        // may take printing away again.
        C::CPT_Enable_Cut, C::CPT_Enable_Print, C::CPT_Enable_Print_Roller, C::CPT_Enable_Detection, C::CPT_Enable_Trim,
        C::CPT_Rectify, C::CPT_Enable_Rectify, C::CPT_Enable_DrawLine, C::CPT_Enable_Gyroscope,
        C::CPT_Printer_Name, C::CPT_Wait_Print, C::CPT_Wait_Capture, C::CPT_wait_TcpRet_Msecs,
        C::CPT_wait_TcpRet_Msecs_Max, C::CPT_PageSpacing, C::CPT_SAVE_Check_Img, C::CPT_Enable_OCR,
        C::CPT_Enable_QRCode, C::CPT_Enable_BARCode, C::CPT_Enable_Check_Anomaly_Pause, C::CPT_Collect_len,
        C::CPT_MODEL_Path, C::CPT_Threshold, C::CPT_iou_Threshold, C::CPT_IP, C::CPT_printCopiesOnce,
        C::CPT_printPagesOnce, C::CPT_Printer_Copies, C::CPT_Enable_Print_Marker_Type,
        // The version last: it relabels rows and widens a range registered before it.
        C::CPT_Version,
        Version7x4RowsSlot};
    return order;
}

const QList<int> &version7x4Rows()
{
    static const QList<int> rows{Config::CPT_RIIN_Path, Config::CPT_RIIN_Input, Config::CPT_Enable_RIIN_Input,
                                 Config::CPT_Printer_Soft_Path};
    return rows;
}

namespace {

// The QML property that shows each row; its NOTIFY signal is the row's change signal.
struct PropertyLink
{
    int id;
    const char *property;
};

const QList<PropertyLink> &propertyLinks()
{
    using C = Config;
    static const QList<PropertyLink> links{
        {C::CPT_Version, "version"}, {C::CPT_Ident, "ident"}, {C::CPT_Mark_Camera, "markCamera"},
        {C::CPT_Check_Camera, "checkCamera"}, {C::CPT_Mark_Camera_Rotation, "markCameraRotation"},
        {C::CPT_Check_Camera_Rotation, "checkCameraRotation"}, {C::CPT_Show_Camera, "showCamera"},
        {C::CPT_Trim, "trim"}, {C::CPT_Knife_Num, "knifeNum"}, {C::CPT_Knife_index, "knifeNo"},
        {C::CPT_Today_Cut, "todayCut"}, {C::CPT_Today_Print, "todayPrint"}, {C::CPT_Today_Copies, "todayCopies"},
        {C::CPT_Today_Scan_Mark, "todayScanMark"}, {C::CPT_Today_Scan_Mark_OK, "todayScanMarkOk"},
        {C::CPT_Total_Cut, "totalCut"}, {C::CPT_Total_Print, "totalPrint"}, {C::CPT_Total_Copies, "totalCopies"},
        {C::CPT_Total_Scan_Mark, "totalScanMark"}, {C::CPT_Total_Scan_Mark_OK, "totalScanMarkOk"},
        {C::CPT_Auto_Roll, "autoRoll"}, {C::CPT_Gyroscope_Trigger, "gyroscopeTrigger"},
        {C::CPT_Gyroscope_Limit, "gyroscopeLimit"}, {C::CPT_Film_Roller_Trigger, "filmRollerTrigger"},
        {C::CPT_Film_Roller_Limit, "filmRollerLimit"}, {C::CPT_Film_Roller_Max, "filmRollerMax"},
        {C::CPT_Collect_Roller_Trigger, "collectRollerTrigger"}, {C::CPT_Collect_Roller_Limit, "collectRollerLimit"},
        {C::CPT_Collect_Roller_Max, "collectRollerMax"}, {C::CPT_Print_Roller_Trigger, "printRollerTrigger"},
        {C::CPT_Print_Roller_Limit, "printRollerLimit"}, {C::CPT_Print_Roller_Max, "printRollerMax"},
        {C::CPT_Printer_Name, "printerName"}, {C::CPT_Mark_Camera_Width, "markCameraWidth"},
        {C::CPT_Mark_Camera_Height, "markCameraHeight"}, {C::CPT_Mark_Size, "markSize"},
        {C::CPT_Trim_Y_Speed, "trimYSpeed"}, {C::CPT_Trim_Offset, "trimOffset"}, {C::CPT_Today, "today"},
        {C::CPT_Mark_Light, "markLight"}, {C::CPT_Check_BK_Light, "checkBKLight"}, {C::CPT_Check_Light, "checkLight"},
        {C::CPT_Collect_Scale, "collectScale"}, {C::CPT_Trim_Scale, "trimScale"},
        {C::CPT_Check_Camera_Center_X, "checkCameraCenterX"}, {C::CPT_Enable_Sort, "enableSort"},
        {C::CPT_Rectify, "rectify"}, {C::CPT_Enable_Rectify, "enableRectify"}, {C::CPT_PageSpacing, "pageSpacing"},
        {C::CPT_Language, "language"}, {C::CPT_Enable_Cut, "enableCut"}, {C::CPT_Enable_Print, "enablePrint"},
        {C::CPT_Enable_Print_Roller, "enablePrintRoller"}, {C::CPT_Enable_Gyroscope, "enableGyroscope"},
        {C::CPT_Enable_Trim, "enableTrim"}, {C::CPT_Enable_Detection, "enableDetection"},
        {C::CPT_Trim_Reset, "trimReset"}, {C::CPT_Rectify_Reset, "rectifyReset"},
        {C::CPT_Cut_Coordinates, "cutCoordinates"}, {C::CPT_Knife_Interval, "knifeInterval"}, {C::CPT_Run, "runTip"},
        {C::CPT_Run_Error, "runErrTip"}, {C::CPT_Has_DefaultCfg, "hasDefaultCfg"},
        {C::CPT_REAL_TIME_FILM_SPEED, "filmSpeedRealTime"}, {C::CPT_REAL_TIME_COLLOET_SPEED, "collectSpeedRealTime"},
    };
    return links;
}

} // namespace

QMetaProperty rowProperty(int id)
{
    static const QHash<int, QMetaProperty> byId = [] {
        QHash<int, QMetaProperty> h;
        const QMetaObject &mo = Config::staticMetaObject;
        for (const PropertyLink &link : propertyLinks()) {
            const int index = mo.indexOfProperty(link.property);
            Q_ASSERT_X(index >= 0 && mo.property(index).hasNotifySignal(), "rowProperty", link.property);
            h.insert(link.id, mo.property(index));
        }
        return h;
    }();
    return byId.value(id);
}

QList<int> rowsWithProperty()
{
    QList<int> ids;
    for (const PropertyLink &link : propertyLinks())
        ids.append(link.id);
    return ids;
}
