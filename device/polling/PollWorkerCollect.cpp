// The collect poller's life and its motor-state, label-capture and trim
// steps. The rewind is in PollWorkerCollectRewind.cpp, the web guide in
// PollWorkerCollectGuide.cpp.
#include "device/polling/PollWorkerCollect.h"

#include "device/Varnok120X.h"

#include <QDebug>
#include <cmath>

using namespace PollSupport;

namespace {

// Speed of the trim X move that follows a rewind, and of the trim Y move
// after a short label.
constexpr int kTrimXSpeed = 40;
constexpr int kTrimYSpeed = 300;
// A paper offset beyond this is no measurement.
constexpr double kMaxPaperOffset = 1.0e6;

} // namespace

pollworkerCollect::pollworkerCollect(Varnok120X *device, QObject *parent) : taskInterface(device, parent)
{
    Q_ASSERT(device);
    m_stepInterval = 0;
    m_loopSleep = 500;
    m_rewinding = flag(device->config(), Config::CPT_Enable_Detection);
    // Each step waits while the initial reads of a link run.
    const auto step = [this](void (pollworkerCollect::*run)(int &)) {
        return Step([this, run](int &s) { gated(m_device->pollGate(), s, [&](int &t) { (this->*run)(t); }); });
    };
    m_steps << step(&pollworkerCollect::doReadMotors) << step(&pollworkerCollect::doLabelCapture)
            << step(&pollworkerCollect::doTrimY) << step(&pollworkerCollect::doCollect)
            << step(&pollworkerCollect::doRectification) << step(&pollworkerCollect::doTrimX)
            << [this](int &s) { taskRestart(s); };
    // Both handlers run on the emitting thread and only store.
    const auto follow = [gate = m_taskStatus, device] { gate->set(device->polling() ? Running : Stopped); };
    follow();
    connect(device, &Varnok120X::pollingChanged, this, follow, Qt::DirectConnection);
    connect(device, &Varnok120X::labelCaptureRequested, this, [this] { m_captureArmed.store(true); },
            Qt::DirectConnection);
}

pollworkerCollect::~pollworkerCollect() = default;

Config *pollworkerCollect::config() const
{
    return m_device->config();
}

TaskHost *pollworkerCollect::host() const
{
    return m_device->host();
}

VisionHost *pollworkerCollect::vision() const
{
    return m_device->vision();
}

bool pollworkerCollect::deviceReady() const
{
    return mayPoll(m_device);
}

void pollworkerCollect::refreshMotors()
{
    const bool trim = flag(config(), Config::CPT_Trim);
    if (!m_motorRead.isValid() || m_motorRead.elapsed() > m_motorReadMs) {
        m_motorRead.start();
        int asked = 0, answered = 0;
        const auto ask = [&](bool (Varnok120X::*read)()) {
            ++asked;
            if ((m_device->*read)())
                ++answered;
        };
        if (!m_rewindIdle)
            ask(&Varnok120X::rCollectMotor);
        if (trim && !m_trimXIdle)
            ask(&Varnok120X::rTrimMotorX);
        if (trim && !m_trimYIdle)
            ask(&Varnok120X::rTrimMotorY);
        if (!m_guideIdle)
            ask(&Varnok120X::rRectifyMotor);
        // A controller that answers none of them is asked less often.
        if (asked > 0 && answered == 0) {
            m_motorReadMs = m_motorReadRetry.failed();
            if (m_motorReadRetry.failures() == 1)
                qWarning().noquote() << "pollworkerCollect::doReadMotors" << "no motor state, asking less often";
        } else if (answered > 0 && m_motorReadRetry.succeeded()) {
            m_motorReadMs = kMotorReadMs;
            qInfo().noquote() << "pollworkerCollect::doReadMotors" << "motor states back";
        }
    }
    m_rewindIdle = idleState(m_device->collectMotorState());
    m_guideIdle = idleState(m_device->rectifyMotorState());
    if (trim) {
        m_trimXIdle = idleState(m_device->trimXMotorState());
        m_trimYIdle = idleState(m_device->trimYMotorState());
    }
}

void pollworkerCollect::doReadMotors(int &step)
{
    refreshMotors();
    ++step;
}

void pollworkerCollect::doLabelCapture(int &step)
{
    const Config *c = config();
    if (!flag(c, Config::CPT_Enable_Detection) || !m_captureArmed.load()) {
        ++step;
        return;
    }
    // The label is still being trimmed: capture on a later pass.
    if (flag(c, Config::CPT_Trim) && !m_trimXIdle) {
        ++step;
        return;
    }
    if (m_rewindIdle) {
        m_captureArmed.store(false);
        // Blocks this thread until the check camera has answered, bounded;
        // the link's initial reads need not wait for that.
        {
            const PollGate::Outside capture(m_device->pollGate());
            vision()->doCapture(2);
        }
        m_shortLength = vision()->collectLen() < 2.0;
        if (flag(c, Config::CPT_Rectify)) {
            const double offset = vision()->paperOffset();
            if (std::isfinite(offset) && std::fabs(offset) < kMaxPaperOffset)
                m_paperOffset = float(offset);
        }
    }
    ++step;
}

void pollworkerCollect::waitForTrimYReset(int &step)
{
    if (!m_trimYResetWait.isValid())
        m_trimYResetWait.start();
    if (m_trimYResetWait.elapsed() > kTrimYResetWaitMs) {
        // A controller that never reports the reset (or cannot) must not
        // hold the rewind and the web guide for ever.
        qCritical().noquote() << "pollworkerCollect::doTrimY" << "trim Y reset not reported within"
                              << kTrimYResetWaitMs << "ms, trim Y not moved";
        m_trimYResetWait.invalidate();
        m_shortLength = false;
        ++step;
        return;
    }
    if (m_device->rTrimMotorYReset() && m_device->trimYResetValue() == 0)
        m_device->wTrimMotorYReset();
    else
        sleepMs(300);
}

void pollworkerCollect::doTrimY(int &step)
{
    const Config *c = config();
    if (!flag(c, Config::CPT_Trim) || !m_shortLength) {
        m_trimYResetWait.invalidate();
        ++step;
        return;
    }
    m_device->rTrimMotorY();
    m_trimYIdle = idleState(m_device->trimYMotorState());
    if (!m_trimYIdle)
        m_shortLength = false;
    if (m_shortLength && m_trimYIdle) {
        if (!m_trimXIdle || !m_rewindIdle) {
            // Waiting for the others: their states come only from reads.
            refreshMotors();
            return;
        }
        if (!flag(c, Config::CPT_Trim_Reset)) {
            waitForTrimYReset(step);
            return;
        }
        m_trimYResetWait.invalidate();
        if (m_device->wTrimMotorYSpeed(kTrimYSpeed)) {
            m_trimYRetry.succeeded();
            m_shortLength = false;
            m_motorRead.invalidate();
            m_trimYIdle = false;
        } else {
            qCritical().noquote() << "pollworkerCollect::doTrimY" << "wTrimMotorYSpeed failed";
            sleepMs(m_trimYRetry.failed());
        }
    }
    if (m_trimYIdle)
        return;
    ++step;
}

void pollworkerCollect::doTrimX(int &step)
{
    if (!flag(config(), Config::CPT_Trim) || !(m_lastRewindLength > 0.0)) {
        ++step;
        return;
    }
    m_device->rTrimMotorX();
    if (!idleState(m_device->trimXMotorState())) {
        // Still trimming the last label: this rewind's trim is dropped.
        m_trimXIdle = false;
        m_lastRewindLength = 0.0;
        ++step;
        return;
    }
    m_trimXIdle = true;
    const int length = truncated(param(config(), Config::CPT_Trim_Scale) * m_lastRewindLength);
    if (m_device->wTrimMotorX(kTrimXSpeed, length)) {
        m_trimXRetry.succeeded();
        m_trimXIdle = false;
        m_lastRewindLength = 0.0;
        ++step;
        return;
    }
    // Tried again with the same length, after a pause that grows while it fails.
    qCritical().noquote() << "pollworkerCollect::doTrimX" << "wTrimMotorX failed";
    sleepMs(m_trimXRetry.failed());
}
