// The task worker's life: construction, following the application's task
// status, nested lists and what happens when a job has ended.
#include "device/task/TaskWorker.h"

#include "configuration/Config.h"
#include "device/Varnok120X.h"

#include <QDebug>
#include <QPointer>
#include <QTimer>

TaskWorker::TaskWorker(Varnok120X *device, int type, const QByteArray &data, QObject *parent)
    : taskInterface(device, parent), m_data(data)
{
    Q_ASSERT(device);
    // Steps follow each other without a pause; waits are the steps' own.
    m_stepInterval = 0;
    if (type >= 0)
        setTaskType(type);
    m_taskStatus->set(Running);
    // The status is written on whatever thread changed the application's
    // status; the lambda holds the gate, not the worker, so a change that
    // races with the worker's end touches nothing freed. Each call holds a
    // reference of its own: the worker's thread may let the connection (and
    // its copy) go while a call runs, and the gate must then outlive the call
    // by our own count, not by how Qt keeps the connection alive.
    connect(
        device, &Varnok120X::appTaskStatusChanged, this,
        [gate = m_taskStatus](int status) {
            const std::shared_ptr<TaskStatusGate> held = gate;
            held->set(status);
        },
        Qt::DirectConnection);
}

TaskWorker::~TaskWorker() = default;

Config *TaskWorker::config() const
{
    return m_device->config();
}

TaskHost *TaskWorker::host() const
{
    return m_device->host();
}

CutSource *TaskWorker::cutSource() const
{
    return m_device->cutSource();
}

VisionHost *TaskWorker::vision() const
{
    return m_device->vision();
}

void TaskWorker::onAppTaskStatusChanged()
{
    m_taskStatus->set(host()->taskStatus());
}

taskInterface::Step TaskWorker::bindStep(void (TaskWorker::*step)(int &))
{
    return [this, step](int &index) { (this->*step)(index); };
}

void TaskWorker::setTaskType(int type)
{
    m_taskType = type;
    m_steps.clear();
    buildSteps(type, m_steps);
    m_steps.append(bindStep(&TaskWorker::taskStop));
}

bool TaskWorker::runSubTask(int type)
{
    StepList steps;
    buildSteps(type, steps);
    return doWork(steps);
}

void TaskWorker::workFinished(bool completed)
{
    // A dropped link sets the task status to stopped, which ends the list
    // wherever it was: tell the operator why the job is gone. (Shutdown
    // clears the ready flag first and needs no message.)
    if (m_device->isReady() && !m_device->isLinked()) {
        qWarning().noquote() << "TaskWorker::workFinished" << "link lost, job ended, type" << m_taskType;
        m_device->setErrorMessage(tr("设备未连接，请重启设备或者选择设备 \n"));
    }
    qInfo().noquote() << "TaskWorker::workFinished" << "type" << m_taskType << "completed" << completed;
    clearTipsLater();
}

void TaskWorker::clearTipsLater()
{
    if (m_tipsClearing)
        return;
    m_tipsClearing = true;
    // On the parameter store's own thread, and only while it exists: the
    // worker and its thread are gone by then.
    QPointer<Config> store(config());
    QMetaObject::invokeMethod(
        store,
        [store] {
            QTimer::singleShot(3000, store, [store] {
                store->setRunTip(QString());
                store->setRunErrTip(QString());
            });
        },
        Qt::QueuedConnection);
}
