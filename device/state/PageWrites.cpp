#include "device/state/PageWrites.h"

#include <cmath>

bool PageWrites::acceptable(Write write, double a, double b)
{
    switch (write) {
    case CutModel:
        return std::isfinite(a) && a == std::trunc(a) && a >= 0 && a <= 2;
    case Speed:
    case Pressure:
        return std::isfinite(a) && a >= 0;
    case CutOffOffset:
        return std::isfinite(a);
    case CameraOffset:
        return std::isfinite(a) && std::isfinite(b);
    case FactoryReset:
    case SaveFactorySettings:
    case RectifyReset:
    case TrimReset:
        return true;
    }
    return false;
}

const char *PageWrites::logName(Write write)
{
    switch (write) {
    case CutModel: return "wCutModel";
    case CutOffOffset: return "wCheckCameraCenterX";
    case Speed: return "wSpeed";
    case Pressure: return "wPressure";
    case CameraOffset: return "wMarkCameraOffset";
    case FactoryReset: return "wFactoryReset";
    case SaveFactorySettings: return "wSaveToFactorySet";
    case RectifyReset: return "wRectifyMotorReset";
    case TrimReset: return "wTrimMotorYReset";
    }
    return "";
}

QString PageWrites::notAccepted(Write write)
{
    switch (write) {
    case CutModel: return tr("工作模式设置失败，请检查设备");
    case CutOffOffset: return tr("裁断偏移设置失败，请检查设备");
    case Speed: return tr("速度设置失败，请检查设备");
    case Pressure: return tr("压力设置失败，请检查设备");
    case CameraOffset: return tr("摄像头偏移设置失败，请检查设备");
    case FactoryReset: return tr("恢复默认设置失败，请检查设备");
    case SaveFactorySettings: return tr("保存默认设置失败，请检查设备");
    case RectifyReset: return tr("纠偏复位失败，请检查设备");
    case TrimReset: return tr("裁断复位失败，请检查设备");
    }
    return QString();
}

QString PageWrites::refusedMidTask()
{
    return tr("任务运行中不可设置");
}
