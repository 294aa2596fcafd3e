#include "device/state/MachineAlarms.h"

#include <QCoreApplication>

namespace MachineAlarms {

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Varnok120X", text);
}
} // namespace

QString alarmCodeText(int code)
{
    switch (code) {
    case 1: return tr(QT_TRANSLATE_NOOP("Varnok120X", "驱动X轴电机报错 "));
    case 2: return tr(QT_TRANSLATE_NOOP("Varnok120X", "驱动Y轴电机报错 "));
    case 3: return tr(QT_TRANSLATE_NOOP("Varnok120X", "主控软限位X轴超幅宽 "));
    case 4: return tr(QT_TRANSLATE_NOOP("Varnok120X", "主控软限位Y轴超幅宽 "));
    case 5: return tr(QT_TRANSLATE_NOOP("Varnok120X", "分切X轴电机报错 "));
    case 6: return tr(QT_TRANSLATE_NOOP("Varnok120X", "分切Y轴电机报错 "));
    case 7: return tr(QT_TRANSLATE_NOOP("Varnok120X", "纠偏电机报错 "));
    default: return QString();
    }
}

QString limitTexts(quint64 state, int machineVersion)
{
    QString text;
    if (state & FeedLimit) {
        if (machineVersion == 1)
            text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 送纸限位 "));
        else if (machineVersion == 2 || machineVersion == 3)
            text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 排废限位 "));
    }
    if (state & PrintRollerLimit)
        text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 打印容纸限位 "));
    if (state & PrintRollerMax)
        text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 打印容纸过多 "));
    if (state & FilmRollerLimit)
        text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 覆膜容纸限位 "));
    if (state & FilmRollerMax)
        text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 覆膜容纸过多 "));
    if (state & CollectRollerLimit)
        text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 收纸容纸限位 "));
    if (state & CollectRollerMax)
        text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 收纸容纸过多 "));
    if (state & WebGuideError)
        text += tr(QT_TRANSLATE_NOOP("Varnok120X", " 纠偏错误 "));
    return text;
}

} // namespace MachineAlarms
