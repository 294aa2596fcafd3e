// The numbered commands that only read or write a value: one body each,
// framed with "CCMD", most waiting for the reply under their command id.
#include "configuration/Config.h"
#include "device/Varnok120X.h"

namespace {

QString general(double v)
{
    return QString::number(v, 'g', 6);
}

QString fixed(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

} // namespace

bool Varnok120X::rDeviceInfo()
{
    return command(QStringLiteral("1,0,0,0,0,0;"));
}

bool Varnok120X::rDeviceInfo(int type)
{
    return command(QStringLiteral("1,0,%1,0,0,0,0;").arg(type));
}

bool Varnok120X::rRectifyMotorReset()
{
    if (featureFlag(FF_PerModule) != 1)
        return false;
    return command(QStringLiteral("2,0,0,4;"));
}

bool Varnok120X::rTrimMotorYReset()
{
    if (featureFlag(FF_PerModule) != 1)
        return false;
    return command(QStringLiteral("2,0,3,1;"));
}

bool Varnok120X::rCutMotorStatus()
{
    return command(QStringLiteral("3;"));
}

bool Varnok120X::rDevicePoint(int knifeIndex)
{
    if (featureFlag(FF_KnifePosition) == 1)
        return command(QStringLiteral("4,0,%1,0,0;").arg(knifeIndex));
    return command(QStringLiteral("4,0,0,0;"));
}

bool Varnok120X::wDevicePoint(int knife, int x, int y)
{
    if (featureFlag(FF_KnifePosition) == 1)
        return command(QStringLiteral("4,1,%1,%2,%3;").arg(knife).arg(x).arg(y), true, 10000);
    return command(QStringLiteral("4,1,%1,%2;").arg(x).arg(y), true, 10000);
}

bool Varnok120X::wKnifePD(int knife)
{
    return command(QStringLiteral("5,%1,1;").arg(knife));
}

bool Varnok120X::wKnifePU(int knife)
{
    return command(QStringLiteral("5,%1,0;").arg(knife));
}

bool Varnok120X::rSpeed()
{
    return command(QStringLiteral("6,0,0,0;"));
}

bool Varnok120X::rPressure(int knifeIndex)
{
    return command(QStringLiteral("7,0,%1,0;").arg(knifeIndex));
}

bool Varnok120X::rCheckCameraCenterX()
{
    return command(QStringLiteral("8,0,0,0,0;"));
}

bool Varnok120X::rMarkCameraOffset(int index)
{
    return command(QStringLiteral("8,0,%1,0,0;").arg(index + 1));
}

bool Varnok120X::rScale()
{
    return command(QStringLiteral("9,0,0,0;"));
}

bool Varnok120X::scale()
{
    return rScale();
}

bool Varnok120X::wScale(double sx, double sy)
{
    return command(QStringLiteral("9,1,%1,%2;").arg(fixed(sx, 4), fixed(sy, 4)));
}

bool Varnok120X::setScale(double sx, double sy)
{
    if (qFuzzyCompare(scalex(), sx) && qFuzzyCompare(scaley(), sy))
        return true;
    return command(QStringLiteral("9,1,%1,%2;").arg(general(sx), general(sy)));
}

bool Varnok120X::rCutModel()
{
    return command(QStringLiteral("10,0,0;"));
}

bool Varnok120X::workArea()
{
    return command(QStringLiteral("11,0,0,0;"));
}

bool Varnok120X::setWorkArea(QSizeF area)
{
    const QSizeF stored = workAreaSize();
    if (qFuzzyCompare(stored.width(), area.width()) && qFuzzyCompare(stored.height(), area.height()))
        return true;
    return command(QStringLiteral("11,1,%1,%2;").arg(qRound(area.width())).arg(qRound(area.height())));
}

bool Varnok120X::wPause(bool bChangeAppTask)
{
    // Only the operator's pause pauses the application's task; the limit
    // check's pauses the machine alone. The reply is this sender's own, so
    // the decision cannot mix with another pause sent meanwhile.
    const bool ok = command(QStringLiteral("12,0;"), true, 101);
    if (ok && bChangeAppTask)
        host()->setTaskStatus(0);
    return ok;
}

bool Varnok120X::wResume()
{
    return command(QStringLiteral("12,1;"), true, 102);
}

bool Varnok120X::wStop()
{
    return command(QStringLiteral("12,2;"), true, 100);
}

bool Varnok120X::rMarkLight()
{
    return command(QStringLiteral("13,0,0,0,0,0;"));
}

bool Varnok120X::wMarkLight(int val)
{
    return command(QStringLiteral("13,1,0,%1,0,0;").arg(val));
}

bool Varnok120X::rCheckBackgroundLight()
{
    return command(QStringLiteral("13,0,1,0,0,0;"));
}

bool Varnok120X::wCheckBackgroundLight(int val)
{
    return command(QStringLiteral("13,1,1,%1,0,0;").arg(val));
}

bool Varnok120X::rCheckLightStrip()
{
    return command(QStringLiteral("13,0,2,0,0,0;"));
}

bool Varnok120X::wCheckLightStrip(int val)
{
    return command(QStringLiteral("13,1,2,%1,0,0;").arg(val));
}

bool Varnok120X::rRGBLightStrip()
{
    return command(QStringLiteral("13,0,3,0,0,0;"));
}

bool Varnok120X::wRGBLightStrip(QColor color)
{
    return command(QStringLiteral("13,1,3,%1,%2,%3;").arg(color.red()).arg(color.green()).arg(color.blue()));
}

bool Varnok120X::rSensor()
{
    return command(QStringLiteral("17;"));
}

bool Varnok120X::rGyroscope()
{
    return command(QStringLiteral("18,0,0;"));
}

bool Varnok120X::rPrePltSend()
{
    return command(QStringLiteral("21;"));
}
