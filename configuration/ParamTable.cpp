#include "ParamTable.h"

#include "Config.h"

#include <QDate>
#include <QHash>
#include <QtGlobal>

#include <cmath>

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
    static const QList<int> order{
        Config::CPT_Host_Ip_Date, Config::CPT_Host_Location_Date, Config::CPT_Host_Ip, Config::CPT_Host_Location,
        Config::CPT_Knife_Num, Config::CPT_Knife_Interval, Config::CPT_Cut_Coordinates, Config::CPT_Knife_Max_Distance,
        Config::CPT_Check_Camera_Center_X, KnifeOffsetsSlot,
        12, 13, 14, 15, 19, 30, 26, 27, 29, 23, 20, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 1, 28, 16, 17, 45, 22, 112, 113,
        114, 0, 31, 32, 33, 34, 35, 36, 37, 38, 39, 41, 42, 43, 40, 44, 47, 97, 98, 99, 100, 78, 79, 49, 48, 92, 93,
        50, 91, 94, 95, 53, 54, 55, 56, 60, 59, 61, 73, 72, 74, 63, 62, 58, 81, 83, 84, 85, 86, 75, 80, 64, 65, 66,
        67, 68, 69, 70, 71, 102, 51, 52, 82, 96, 77, Version7x4RowsSlot};
    return order;
}

const QList<int> &version7x4Rows()
{
    static const QList<int> rows{Config::CPT_RIIN_Path, Config::CPT_RIIN_Input, Config::CPT_Enable_RIIN_Input,
                                 Config::CPT_Printer_Soft_Path};
    return rows;
}

bool convertStored(const QVariant &raw, QMetaType::Type type, QVariant *out)
{
    bool ok = true;
    const QString text = raw.toString().trimmed();
    switch (type) {
    case QMetaType::Int: {
        const int v = raw.typeId() == QMetaType::Int ? raw.toInt() : text.toInt(&ok);
        *out = QVariant(v);
        break;
    }
    case QMetaType::UInt: {
        const uint v = raw.typeId() == QMetaType::UInt ? raw.toUInt() : text.toUInt(&ok);
        *out = QVariant(v);
        break;
    }
    case QMetaType::Float: {
        const float v = text.toFloat(&ok);
        ok = ok && std::isfinite(v);
        *out = QVariant(v);
        break;
    }
    case QMetaType::Double: {
        const double v = text.toDouble(&ok);
        ok = ok && std::isfinite(v);
        *out = QVariant(v);
        break;
    }
    case QMetaType::Bool: {
        if (raw.typeId() == QMetaType::Bool) {
            *out = raw;
        } else if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1")) {
            *out = QVariant(true);
        } else if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || text == QLatin1String("0")) {
            *out = QVariant(false);
        } else {
            ok = false;
        }
        break;
    }
    case QMetaType::QDate: {
        QDate d = raw.typeId() == QMetaType::QDate ? raw.toDate() : QDate::fromString(text, Qt::ISODate);
        // The settings file keeps dates in an old stream format that reads
        // Julian day 0, the default of every date row, back as a null date.
        if (raw.typeId() == QMetaType::QDate && d.isNull())
            d = QDate::fromJulianDay(0);
        ok = d.isValid();
        *out = QVariant(d);
        break;
    }
    case QMetaType::QString:
        // A list (an unquoted comma in the file) is taken back as the text it was.
        *out = raw.typeId() == QMetaType::QStringList ? QVariant(raw.toStringList().join(QLatin1Char(',')))
                                                       : QVariant(raw.toString());
        break;
    default:
        *out = raw;
        break;
    }
    return ok;
}
