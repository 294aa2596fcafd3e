#include "device/task/TaskInterface.h"

#include "device/Varnok120X.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QThread>

void TaskStatusGate::set(int status)
{
    QMutexLocker lock(&m_lock);
    m_status.store(status);
    m_changed.wakeAll();
}

void TaskStatusGate::sleep(int ms)
{
    if (ms <= 0)
        return;
    QMutexLocker lock(&m_lock);
    const int start = m_status.load();
    const QDeadlineTimer deadline(ms);
    while (m_status.load() == start && !deadline.hasExpired())
        m_changed.wait(&m_lock, deadline);
}

taskInterface::taskInterface(Varnok120X *device, QObject *parent)
    : QObject(parent), m_device(device), m_taskStatus(std::make_shared<TaskStatusGate>(Paused))
{
}

taskInterface::~taskInterface() = default;

bool taskInterface::deviceReady() const
{
    return m_device && m_device->isReady();
}

void taskInterface::workFinished(bool)
{
}

bool taskInterface::doWork(StepList &steps)
{
    const int count = int(steps.size());
    int step = 0;
    while (m_taskStatus->status() != Stopped) {
        const int status = m_taskStatus->status();
        if (status == Paused) {
            sleepMs(m_pausedSleep);
            sleepMs(m_stepInterval);
        } else if (status == Running && deviceReady()) {
            if (step >= 0 && step < count) {
                const int before = step;
                const Step current = steps.at(step);
                current(step);
                if (step == before)
                    sleepMs(100);
            }
            if (step < 0 || step >= count) {
                if (step < 0) {
                    // Would index before the list: end the job instead.
                    qCritical().noquote() << "taskInterface::doWork" << "step index out of range" << step;
                    step = kEndStep;
                }
                qDebug().noquote() << "taskInterface::doWork" << "curStep >= steps" << step << count;
                return step == count;
            }
            sleepMs(m_stepInterval);
        } else if (status == Running) {
            sleepMs(500);
        } else {
            qCritical().noquote() << "taskInterface::doWork" << "unidentifiable taskStatus: " << status;
            // No step runs in this state: do not spin on it.
            sleepMs(qMax(m_stepInterval, m_pausedSleep));
        }
    }
    qInfo().noquote() << "taskInterface::doWork" << "exit thread";
    return step == count;
}

void taskInterface::taskRestart(int &step)
{
    sleepMs(m_loopSleep);
    step = 0;
}

void taskInterface::onWork()
{
    const bool completed = doWork(m_steps);
    workFinished(completed);
    thread()->exit(0);
}
