#pragma once

#include "configuration/Config.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QWaitCondition>

class Varnok120X;

// What the two pollers share: safe arithmetic on the controller's readings,
// the speed ranges, and the clocks that space their commands. Every interval
// is measured on the monotonic clock.
namespace PollSupport {

// The integer part of v, bounded to the int range; 0 for no number at all.
// Readings and parameters can be anything, and a double converted to int
// outside its range is undefined.
int truncated(double v);
// A parameter read as a double; 0 when it is no finite number.
double param(const Config *config, Config::ConfigParamType id);
bool flag(const Config *config, Config::ConfigParamType id);
// The speed parameter id, bounded to its own range (0 to 100 for the motor
// speeds): the highest speed a motor may be sent.
int speedLimit(const Config *config, Config::ConfigParamType id);
// The top of the speed parameter's own range (100 for the motor speeds).
int speedRangeTop(const Config *config, Config::ConfigParamType id);
// v bounded to 0..limit.
int boundedSpeed(double v, int limit);
// A motor whose last reported state is 0 or 3 takes a new command.
inline bool idleState(int state) { return state == 0 || state == 3; }
// The pollers send only while the driver is linked and has done its first
// initial reads: a command on a dropped link only fails and logs.
bool mayPoll(const Varnok120X *device);

// Spaces the tries of a command that keeps failing (a controller that stopped
// answering): the pause doubles from first to at most max, and a success
// ends it. Callers log the first failure and the recovery only.
class RetryBackoff
{
public:
    RetryBackoff(int firstMs, int maxMs) : m_firstMs(firstMs), m_maxMs(maxMs) {}
    // Records a failure; returns the pause before the next try.
    int failed();
    // Records a success; true when it ended a run of failures.
    bool succeeded();
    int failures() const { return m_failures; }
    // Whether the pause after the last failure has passed; true while not failing.
    bool ready() const;

private:
    int m_firstMs;
    int m_maxMs;
    int m_failures = 0;
    int m_pauseMs = 0;
    QElapsedTimer m_lastFailure;
};

// "At most once per interval": a command repeated while a condition lasts.
class Repeat
{
public:
    explicit Repeat(int intervalMs) : m_intervalMs(intervalMs) {}
    bool due() const { return !m_last.isValid() || m_last.elapsed() >= m_intervalMs; }
    void sent() { m_last.start(); }
    // The condition has ended: the next time it holds, the command goes at once.
    void reset() { m_last.invalidate(); }

private:
    int m_intervalMs;
    QElapsedTimer m_last;
};

// Lets the initial reads of a link run alone: each poll step passes through
// the gate, and the reads close it, waiting (bounded) for the steps under way.
class PollGate
{
public:
    // false while closed: the step does not run now.
    bool enter();
    void leave();
    // Closes the gate and waits up to waitMs for the steps under way; false
    // when they did not end in time. Closes nest.
    bool close(int waitMs);
    void open();
    // A step that waits on something other than the controller (a capture)
    // is not under way on the link meanwhile.
    struct Outside
    {
        explicit Outside(PollGate &gate) : gate(gate) { gate.leave(); }
        ~Outside() { gate.resume(); }
        PollGate &gate;
    };

private:
    void resume();

    QMutex m_lock;
    QWaitCondition m_idle;
    int m_active = 0;
    int m_closed = 0;
};

// Runs one poll step through the gate; the step is left for the next pass
// (the index unchanged) while the gate is closed.
template <typename Step>
void gated(PollGate &gate, int &step, Step &&run)
{
    if (!gate.enter())
        return;
    run(step);
    gate.leave();
}

} // namespace PollSupport
