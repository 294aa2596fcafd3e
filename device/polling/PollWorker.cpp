// The roller and dancer poller: limit bits, the film and feed motors that
// follow the rollers, and the reactions to a limit.
#include "device/polling/PollWorker.h"

#include "device/Varnok120X.h"
#include "device/state/MachineAlarms.h"

#include <QDebug>
#include <cmath>

using namespace PollSupport;

namespace {

// The poll interval parameter bounded: 0 would send a roller read after
// every reply, and no interval may hold the limits unwatched for long.
constexpr int kMinLoopMs = 20;
constexpr int kMaxLoopMs = 999;

constexpr qulonglong kPrintBits = MachineAlarms::PrintRollerLimit | MachineAlarms::PrintRollerMax;
constexpr qulonglong kRollerBits = MachineAlarms::FeedLimit | MachineAlarms::FilmRollerLimit
                                   | MachineAlarms::FilmRollerMax | MachineAlarms::CollectRollerLimit
                                   | MachineAlarms::CollectRollerMax;

} // namespace

PollWorker::PollWorker(Varnok120X *device, QObject *parent) : taskInterface(device, parent)
{
    Q_ASSERT(device);
    m_stepInterval = 0;
    // Each step waits while the initial reads of a link run.
    const auto step = [this](void (PollWorker::*run)(int &)) {
        return Step([this, run](int &s) { gated(m_device->pollGate(), s, [&](int &t) { (this->*run)(t); }); });
    };
    m_steps << step(&PollWorker::doReadState) << step(&PollWorker::doFilmMotor) << step(&PollWorker::doFeedMotor)
            << step(&PollWorker::doCheckLimit) << [this](int &s) { taskRestart(s); };
    // The loop runs while polling is on. The handlers run on the emitting
    // thread and touch only the status gate and the driver's guarded state.
    const auto follow = [gate = m_taskStatus, device] { gate->set(device->polling() ? Running : Stopped); };
    follow();
    connect(device, &Varnok120X::pollingChanged, this, follow, Qt::DirectConnection);
    // The print roller is switched by its own parameter; the switch of the
    // print step is watched as well.
    connect(device->config(), &Config::enablePrintRollerChanged, this, [this] { onPrintRollerSwitched(); },
            Qt::DirectConnection);
    connect(device->config(), &Config::enablePrintChanged, this, [this] { onPrintRollerSwitched(); },
            Qt::DirectConnection);
}

PollWorker::~PollWorker() = default;

Config *PollWorker::config() const
{
    return m_device->config();
}

bool PollWorker::deviceReady() const
{
    return mayPoll(m_device);
}

void PollWorker::onPrintRollerSwitched()
{
    if (!flag(config(), Config::CPT_Enable_Print_Roller))
        m_device->changeDeviceState(kPrintBits, 0);
}

void PollWorker::doReadState(int &step)
{
    m_loopSleep = qBound(kMinLoopMs, truncated(param(config(), Config::CPT_Poll_Time_Span)), kMaxLoopMs);
    if (!m_device->rGyroscope()) {
        // A controller that stopped answering gets ever fewer questions, and
        // the log one line for the whole outage.
        const int pause = m_readRetry.failed();
        if (m_readRetry.failures() == 1)
            qWarning().noquote() << "PollWorker::doReadState" << "no roller reading, asking again less often";
        sleepMs(pause);
        return;
    }
    if (m_readRetry.succeeded())
        qInfo().noquote() << "PollWorker::doReadState" << "roller reading back";

    const Config *c = config();
    const double g = m_device->gyroscope();
    const double print = m_device->printRoller();
    const double film = m_device->filmRoller();
    const double rewind = m_device->collectRoller();
    const double gLimit = param(c, Config::CPT_Gyroscope_Limit);
    const double gTrigger = param(c, Config::CPT_Gyroscope_Trigger);

    qulonglong bits = 0;
    // The dancer is past its limit on the side away from its trigger.
    if ((gLimit >= gTrigger && g > gLimit) || (gTrigger >= gLimit && g < gLimit))
        bits |= MachineAlarms::FeedLimit;
    if (param(c, Config::CPT_Print_Roller_Limit) > print)
        bits |= MachineAlarms::PrintRollerLimit;
    if (print > param(c, Config::CPT_Print_Roller_Max))
        bits |= MachineAlarms::PrintRollerMax;
    if (param(c, Config::CPT_Film_Roller_Limit) > film)
        bits |= MachineAlarms::FilmRollerLimit;
    if (film > param(c, Config::CPT_Film_Roller_Max))
        bits |= MachineAlarms::FilmRollerMax;
    if (param(c, Config::CPT_Collect_Roller_Limit) > rewind)
        bits |= MachineAlarms::CollectRollerLimit;
    if (rewind > param(c, Config::CPT_Collect_Roller_Max))
        bits |= MachineAlarms::CollectRollerMax;
    // Only this poller's bits change; alarms that other threads set stay.
    const qulonglong mask = kRollerBits | (flag(c, Config::CPT_Enable_Print_Roller) ? kPrintBits : 0);
    m_device->changeDeviceState(mask, bits);
    ++step;
}

void PollWorker::doFilmMotor(int &step)
{
    const Config *c = config();
    const int max = speedLimit(c, Config::CPT_Film_Speed);
    const double trigger = param(c, Config::CPT_Film_Roller_Trigger);
    const double limit = param(c, Config::CPT_Film_Roller_Limit);
    const qint64 band = truncated((trigger - limit) * 0.65);
    const qint64 below = truncated(trigger - m_device->filmRoller());

    // The speed grows as the roller sinks from its trigger towards its
    // limit. Without a band between the two there is no scale: the speed
    // stays as it is rather than being divided out of nothing.
    int speed = -1;
    if (band >= 1) {
        m_filmSpanWarned = false;
        speed = below >= 1 ? int(qMin<qint64>(max, below * max / band)) : 0;
    } else if (!m_filmSpanWarned) {
        m_filmSpanWarned = true;
        qWarning().noquote() << "PollWorker::doFilmMotor" << "film roller trigger" << trigger << "and limit" << limit
                             << "leave no span, film speed unchanged";
    }
    const qulonglong state = m_device->deviceState();
    if (state & MachineAlarms::FilmRollerMax)
        speed = 0;
    else if (speed > 0 && flag(c, Config::CPT_Enable_Print_Roller)
             && (state & (MachineAlarms::PrintRollerLimit | MachineAlarms::FilmRollerMax)))
        speed = 0;
    if (speed < 0) {
        ++step;
        return;
    }
    speed = boundedSpeed(speed, max);
    const bool recent = m_lastFilmWrite.isValid() && m_lastFilmWrite.elapsed() <= kFilmResendMs;
    if (speed != m_lastFilmSpeed || !recent) {
        if (m_device->wFilmMotorSpeed(speed)) {
            m_lastFilmWrite.start();
            m_lastFilmSpeed = speed;
        }
    }
    ++step;
}

void PollWorker::doFeedMotor(int &step)
{
    const Config *c = config();
    if (!flag(c, Config::CPT_Enable_Gyroscope)) {
        ++step;
        return;
    }
    const double g = m_device->gyroscope();
    const double limit = param(c, Config::CPT_Gyroscope_Limit);
    const double trigger = param(c, Config::CPT_Gyroscope_Trigger);
    const int max = speedLimit(c, Config::CPT_Gyroscope_speed);
    if (trigger == limit) {
        // No span to scale the dancer's travel by: the speed stays.
        if (!m_feedSpanWarned) {
            m_feedSpanWarned = true;
            qWarning().noquote() << "PollWorker::doFeedMotor" << "dancer trigger equals its limit" << limit
                                 << ", feed speed unchanged";
        }
        ++step;
        return;
    }
    m_feedSpanWarned = false;
    double speed = 0.0;
    if ((limit >= trigger && g > trigger) || (trigger >= limit && trigger > g))
        speed = std::fabs((g - trigger) / (trigger - limit)) * (max - 10) + 10.0;
    // Below a top speed of 10 the formula turns negative: the range holds.
    const int v = boundedSpeed(speed, max);
    const int dancer = truncated(g);

    bool write;
    if (v != m_lastFeedSpeed)
        write = true;
    else if (v >= 1)
        write = dancer == m_lastDancer; // running, yet the dancer stands: say it again
    else
        write = dancer != m_lastDancer;
    if (write && m_device->wFeedMotorSpeed(v)) {
        m_lastFeedSpeed = v;
        m_lastDancer = dancer;
        m_device->setFeedMotorRunning(v >= 1);
    }
    ++step;
}

void PollWorker::doCheckLimit(int &step)
{
    if (!m_device->isMoveAllowed())
        m_device->wMoveX(0);
    const qulonglong state = m_device->deviceState();
    // A limit reaction goes out when the limit is reached and again once a
    // second while it lasts, not on every pass.
    if (state & MachineAlarms::CollectRollerLimit) {
        if (m_rewindStop.due()) {
            m_rewindStop.sent();
            m_device->wCollectMotor(0, 0);
        }
    } else {
        m_rewindStop.reset();
    }
    const bool cutting = m_device->host()->taskStatus() == Running && m_device->cutMotorStatus() == 1;
    if (cutting && (state & (MachineAlarms::CollectRollerMax | MachineAlarms::FilmRollerLimit))) {
        if (m_pause.due()) {
            m_pause.sent();
            // The machine pauses; the application's task stays running.
            m_device->wPause(false);
        }
    } else {
        m_pause.reset();
    }
    ++step;
}
