// Commands with guards and side effects: jogging, motors, knife selection,
// the origin and the task start.
#include "configuration/Config.h"
#include "configuration/Notifier.h"
#include "device/Varnok120X.h"
#include "device/state/MachineAlarms.h"

#include <QDebug>

bool Varnok120X::isMoveAllowed() const
{
    const qulonglong state = deviceState();
    switch (m_moveXDir.load()) {
    case -1:
        return !(state & (MachineAlarms::FilmRollerLimit | MachineAlarms::CollectRollerMax));
    case 1:
        return !(state & (MachineAlarms::FilmRollerMax | MachineAlarms::CollectRollerLimit));
    case 0:
        return true;
    default:
        return false;
    }
}

bool Varnok120X::wMoveX(int speed)
{
    if (speed < -1 || speed > 1)
        return false;
    const qulonglong state = deviceState();
    if (speed == -1 && (state & (MachineAlarms::FilmRollerLimit | MachineAlarms::CollectRollerMax)))
        return false;
    if (speed == 1 && (state & (MachineAlarms::FilmRollerMax | MachineAlarms::CollectRollerLimit)))
        return false;
    vision()->clearFilm(0);
    m_moveXDir.store(speed);
    const QString text = featureFlag(FF_FourFieldJog) == 1 ? QStringLiteral("15,0,%1,0;") : QStringLiteral("15,%1,0;");
    return command(text.arg(speed));
}

bool Varnok120X::wMoveY(int speed)
{
    m_testPressureStep.store(0);
    vision()->clearFilm(0);
    const QString text = featureFlag(FF_FourFieldJog) == 1 ? QStringLiteral("15,0,0,%1;") : QStringLiteral("15,0,%1;");
    return command(text.arg(speed));
}

bool Varnok120X::wFeedMotorSpeed(int speed)
{
    return command(QStringLiteral("20,1,0,0,%1,0;").arg(speed));
}

bool Varnok120X::wFilmMotorSpeed(int speed)
{
    // The film motor does not turn below 10.
    const int sent = (speed >= 1 && speed <= 9) ? 10 : speed;
    setFilmMotorRunning(sent >= 1);
    return command(QStringLiteral("20,1,1,0,%1,0;").arg(sent));
}

bool Varnok120X::rRectifyMotor()
{
    return command(QStringLiteral("20,0,2,0,0,0;"), true, 104);
}

bool Varnok120X::wRectifyMotor(uint speed, float length)
{
    return command(QStringLiteral("20,1,2,0,%1,%2;").arg(speed).arg(QString::number(double(length), 'f', 1)), false);
}

bool Varnok120X::rCollectMotor()
{
    return command(QStringLiteral("20,0,3,0,0,0;"), true, 106);
}

bool Varnok120X::wCollectMotor(int speed, int length)
{
    if (speed > 0) {
        if (deviceState() & MachineAlarms::CollectRollerLimit)
            return false;
        speed = qMax(speed, 10);
    }
    const bool ok = command(QStringLiteral("20,1,3,0,%1,%2;").arg(speed).arg(length), true, 105);
    if (ok) {
        m_config->setCollectSpeedRealTime(speed);
        setCollectMotorRunning(speed > 0);
    }
    return ok;
}

bool Varnok120X::rTrimMotorX()
{
    return command(QStringLiteral("20,0,4,0,0,0;"), true, 108);
}

bool Varnok120X::wTrimMotorX(int speed, int length)
{
    return command(QStringLiteral("20,1,4,0,%1,%2;").arg(speed).arg(length), true, 107);
}

bool Varnok120X::rTrimMotorY()
{
    return command(QStringLiteral("20,0,4,1,0,0;"), true, 110);
}

bool Varnok120X::wTrimMotorYSpeed(int speed)
{
    return command(QStringLiteral("20,1,4,1,%1,0;").arg(speed), true, 109);
}

bool Varnok120X::setKnife(int knife)
{
    if (featureFlag(FF_KnifeSelect) != 1)
        return true;
    if (knife == currentKnife() && cutMotorStatus() != 0)
        return true;
    const int mask = qMax(knife, 1);
    QString list;
    const int knives = m_config->knifeNum();
    for (int i = 0; i < knives && i < 31; ++i) {
        if (mask & (1 << i))
            list += QString::number(i + 1) + QLatin1Char(',');
    }
    if (!list.isEmpty()) {
        list.chop(1);
        m_config->setRunTip(tr("移动第%1把刀").arg(list));
    }
    return command(QStringLiteral("19,%1;").arg(mask));
}

void Varnok120X::setOrigin()
{
    m_testPressureStep.store(0);
    if (host()->taskStatus() != 2 || !rCutMotorStatus() || cutMotorStatus() != 0) {
        qWarning().noquote() << "Varnok120X::setOrigin" << "请检查设备状态， 正在执行任务或者未连接";
        qCritical().noquote() << "Varnok120X::setOrigin" << "正在执行,请稍后重试";
        setErrorMessage(tr("请稍后重试 \n"));
        setErrorMessage(tr("请检查设备状态"));
        return;
    }
    if (!rDevicePoint(0)) {
        qWarning().noquote() << "Varnok120X::setOrigin" << "rDevicePoint failed";
        setErrorMessage(tr("请重试"));
        return;
    }
    const QPointF origin = m_state.devicePoint(0);
    m_state.origin.set(origin);
    qDebug().noquote() << "Varnok120X::setOrigin" << "设置原点" << origin;
    Notifier::information(tr("设置成功"));
}

bool Varnok120X::jobRunsElsewhere() const
{
    QMutexLocker lock(&m_workLock);
    return !m_workIdle && QThread::currentThread() != &m_workThread;
}

void Varnok120X::wStart()
{
    m_testPressureStep.store(0);
    m_state.origin.set(QPointF());
    if (host()->cutTaskCopies() != 0 && m_config->enableCut()) {
        if (!cutSource()->isSupport())
            return;
        startJob(3);
        return;
    }
    startJob(2);
}
