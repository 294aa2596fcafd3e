// Steps and helpers of the task worker that move the knife carriage and the
// web: waiting for the carriage, placing and resetting knives, zeroing X.
// Positions and offsets are HPGL units (40 per mm); the web runs along x,
// the carriage along y.
#include "device/task/TaskWorker.h"

#include "configuration/Config.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "device/Varnok120X.h"
#include "device/state/MachineAlarms.h"

#include <QDebug>
#include <cmath>

namespace {

// A roller count used as a divisor: a count below 1 would turn every move
// into an infinite one.
double rollerCount(const Config *config, Config::ConfigParamType id)
{
    const double n = config->getProperty(id).toFloat();
    return n > 0.0 ? n : 1.0;
}

int truncated(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(qBound(-2147483647.0, v, 2147483647.0));
}

// Bit of knife k in a knife mask; knives past the mask's width have none.
int knifeBit(int k)
{
    return (k >= 0 && k < 31) ? (1 << k) : 0;
}

} // namespace

bool TaskWorker::checkMove(double dx)
{
    const double film = m_device->filmRoller() - dx * 0.05 / rollerCount(config(), Config::CPT_Film_Roller_Num);
    const double rewind = m_device->collectRoller() + dx * 0.05 / rollerCount(config(), Config::CPT_Collect_Roller_Num);
    if (dx > 0) {
        // Forward: wait (the step stays) until the rollers have room.
        if (config()->filmRollerLimit() > film)
            qCritical().noquote() << "TaskWorker::checkMove" << "覆膜容纸限位，等送纸";
        if (rewind > config()->collectRollerMax())
            qCritical().noquote() << "TaskWorker::checkMove" << "收纸容纸过多，等收卷";
        return film > config()->filmRollerLimit() && rewind < config()->collectRollerMax();
    }
    if (dx < 0) {
        if (rewind > config()->collectRollerLimit())
            return true;
        m_device->setErrorMessage(tr(" 收纸容纸限位 "));
        // The caller's index is not at hand: the stop reaches the list
        // through the task status.
        int ignored = 0;
        taskStop(ignored);
        return false;
    }
    return true;
}

bool TaskWorker::moveBy(int mask, QPointF offset)
{
    if (qFuzzyIsNull(offset.x()) && qFuzzyIsNull(offset.y()))
        return true;
    if (!checkMove(offset.x() * 0.025))
        return false;
    if (!m_device->wDevicePoint(mask, offset))
        return false;
    vision()->clearFilm(0);
    return true;
}

bool TaskWorker::getKnifePoint(QPointF &point, int &knife)
{
    config()->setRunTip(tr("获取第%1把刀的位置").arg(knife));
    if (!m_device->rDevicePoint(knife))
        return false;
    point = m_device->devicePoint(knife);
    return true;
}

int TaskWorker::allKnivesMask() const
{
    const int n = int(m_knifeIntervals.size());
    if (n < 2)
        return 1;
    return n >= 31 ? 0x7fffffff : (1 << n) - 1;
}

bool TaskWorker::carriageIdle()
{
    if (!m_device->rCutMotorStatus())
        return false;
    if (m_device->cutMotorStatus() == 0)
        return true;
    sleepMs(100);
    return false;
}

void TaskWorker::taskClearX(int &step)
{
    config()->setRunTip(tr("清零X轴"));
    if (m_device->cutterXClear())
        ++step;
}

void TaskWorker::taskWaitKnife(int &step)
{
    config()->setRunTip(tr("等待小车完成任务"));
    if (!m_device->rCutMotorStatus())
        return;
    const int state = m_device->cutMotorStatus();
    if (state == 0) {
        ++step;
        return;
    }
    if (host()->taskStatus() != Running)
        return;
    if (state == 2) {
        // Paused by the controller or the limit check, not by the operator:
        // go on once no roller is at a limit.
        const qulonglong limits = MachineAlarms::FilmRollerLimit | MachineAlarms::FilmRollerMax
                                  | MachineAlarms::CollectRollerLimit | MachineAlarms::CollectRollerMax;
        if (!(m_device->deviceState() & limits))
            m_device->wResume();
    } else {
        followRewindSpeed();
    }
    if (m_taskType == 2)
        sleepMs(200);
}

void TaskWorker::followRewindSpeed()
{
    const int version = config()->version();
    if (config()->enableCut() || (version != 1 && version != 5 && version != 6))
        return;
    const int base = config()->getProperty(Config::CPT_NO_CUT_SPEED).toInt();
    const int band = truncated((config()->collectRollerMax() - config()->collectRollerLimit()) * 0.5);
    const double d = m_device->collectRoller() - config()->collectRollerTrigger();
    // Slower the further the rewind roller has risen above its trigger.
    int speed = base;
    if (band != 0 && band > d)
        speed = truncated(base - base * d / band);
    if (speed < 30 || base < 1)
        return;
    speed = qMin(speed, base);
    if (m_device->speed() != speed)
        m_device->wSpeed(speed);
}

// Shared start of the carriage steps: the step text, a wait while the
// carriage moves, and the retry limit, so that a knife that never gets where
// it should does not keep the job moving for ever.
bool TaskWorker::carriageStepReady(int &step, const QString &tip)
{
    config()->setRunTip(tip);
    if (!carriageIdle())
        return false;
    if (m_retryCount > 5) {
        m_device->setErrorMessage(tr("移动小车失败！"));
        taskStop(step);
        return false;
    }
    return true;
}

void TaskWorker::taskResetKnife(int &step)
{
    if (!carriageStepReady(step, tr("复位小车")))
        return;
    const int knives = config()->knifeNum();
    const int used = int(m_knifeIntervals.size());
    if (knives - 1 < used) {
        m_knifeDone.clear();
        ++step;
        return;
    }
    int mask = 0;
    double distance = 0.0;
    for (int k = knives - 1; k >= used; --k) {
        if (m_knifeDone.value(k))
            continue;
        QPointF point;
        int knife = k;
        if (!getKnifePoint(point, knife))
            return;
        const double dy = m_device->knifeOffset(k).y() - point.y();
        qInfo().noquote() << "TaskWorker::taskResetKnife" << k << point << dy;
        if (std::abs(dy) >= 1.0) {
            // Knives move together by the shortest way that one of them
            // needs; the others are measured again at the next pass.
            if (mask == 0 || std::abs(dy) < std::abs(distance))
                distance = dy;
            mask |= knifeBit(k);
        } else {
            m_knifeDone[k] = true;
            m_retryCount = 0;
        }
    }
    if (mask != 0 && knives != 1) {
        ++m_retryCount;
        qInfo().noquote() << "TaskWorker::taskResetKnife" << mask << distance;
        moveBy(mask, QPointF(0.0, distance));
        return;
    }
    m_knifeDone.clear();
    m_retryCount = 0;
    ++step;
}

void TaskWorker::taskMoveKnife(int &step)
{
    if (!carriageStepReady(step, tr("移动小车")))
        return;
    QPointF first;
    int knife = 0;
    if (!getKnifePoint(first, knife))
        return;
    const double sign = config()->cutCoordinates() != 0 ? -1.0 : 1.0;
    const int count = int(m_knifeIntervals.size());
    if (count < 2) {
        m_knifeDone.clear();
        m_retryCount = 0;
        ++step;
        return;
    }
    const int knives = config()->knifeNum();
    const double interval = config()->getProperty(Config::CPT_Knife_Interval).toDouble();
    int mask = 0;
    double distance = 0.0;
    for (int k = 1; k < count; ++k) {
        if (m_knifeDone.value(k))
            continue;
        QPointF point, next;
        int current = k, following = k + 1;
        if (!getKnifePoint(point, current))
            return;
        if (k < knives - 1 && !getKnifePoint(next, following))
            return;
        const double target = first.y() + sign * m_knifeIntervals.at(k)
                              + GPathProcess::mm2Hpgl(config()->markCameraOffsetY(k) - sign * interval * k);
        qInfo().noquote() << "TaskWorker::taskMoveKnife" << k << point << next << "->" << target;
        const double dy = target - point.y();
        qInfo().noquote() << "TaskWorker::taskMoveKnife" << k << point << dy;
        if (std::abs(dy) <= 1.0) {
            m_knifeDone[k] = true;
            m_retryCount = 0;
        } else if (knifeBit(k) != 0) {
            if (mask == 0 || std::abs(dy) < std::abs(distance))
                distance = dy;
            mask |= knifeBit(k);
        }
    }
    int placed = 0;
    for (int k = 1; k < count; ++k)
        placed += m_knifeDone.value(k) ? 1 : 0;
    if (placed == count - 1) {
        m_knifeDone.clear();
        m_retryCount = 0;
        ++step;
    } else if (mask != 0) {
        ++m_retryCount;
        qInfo().noquote() << "TaskWorker::taskMoveKnife" << mask << distance;
        moveBy(mask, QPointF(0.0, distance));
    } else {
        m_device->setErrorMessage(tr(" 异常错误, 无法移动小车到指定位置"));
        taskStop(step);
    }
}
