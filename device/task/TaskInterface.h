#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>

class Varnok120X;

// The task status of one worker loop: read by the loop, written from other
// threads (the application's pause, resume and stop, the link). A write
// wakes the loop's sleeps, so that the change reaches the loop at once rather
// than after a paused second.
class TaskStatusGate
{
public:
    explicit TaskStatusGate(int status) : m_status(status) {}
    int status() const { return m_status.load(); }
    void set(int status);
    // Sleeps ms milliseconds, or less when the status changes meanwhile.
    void sleep(int ms);

private:
    std::atomic<int> m_status;
    QMutex m_lock;
    QWaitCondition m_changed;
};

// The base of the workers that drive the machine in the background. A worker
// runs a list of steps on a thread of its own; each step takes the current
// step index and moves it on, leaves it (the step runs again after 100 ms)
// or jumps. The loop reads the task status between passes: 0 pauses it,
// 1 runs it, 2 ends it.
class taskInterface : public QObject
{
    Q_OBJECT

public:
    using Step = std::function<void(int &step)>;
    using StepList = QList<Step>;
    // The pages read it by name too: TaskStatus.Stopped.
    enum TaskStatus { Paused = 0, Running = 1, Stopped = 2 };
    Q_ENUM(TaskStatus)
    // A step that ends its job sets this index: the list ends with false.
    static constexpr int kEndStep = 2147483647;

    explicit taskInterface(Varnok120X *device, QObject *parent = nullptr);
    ~taskInterface() override;

    // Runs steps until the index leaves the list or the status becomes 2;
    // true when the index stopped exactly at the end of the list.
    bool doWork(StepList &steps);
    int taskStatus() const { return m_taskStatus->status(); }
    // Any thread; the loop sees it at its next pass.
    void setTaskStatus(int status) { m_taskStatus->set(status); }
    // Sleeps m_loopSleep ms and starts the list again.
    virtual void taskRestart(int &step);
    int stepCount() const { return int(m_steps.size()); }

public slots:
    // Runs the worker's own list, then ends the event loop of its thread.
    void onWork();

protected:
    // Sleeps, waking early when the status changes.
    void sleepMs(int ms) { m_taskStatus->sleep(ms); }
    // Whether the driver has finished its first initial reads; steps only
    // run then.
    virtual bool deviceReady() const;
    // Runs on the worker's thread when its own list has ended.
    virtual void workFinished(bool completed);

    Varnok120X *m_device;
    // Shared, so that a status write racing with the worker's destruction
    // still finds it.
    std::shared_ptr<TaskStatusGate> m_taskStatus;
    int m_stepInterval = 50;
    int m_pausedSleep = 1000;
    int m_loopSleep = 0;
    StepList m_steps;
};
