// Jobs on the work thread (one at a time), the job starters, stopping a
// task and the carriage moves that the pages ask for.
#include "configuration/Config.h"
#include "device/Varnok120X.h"
#include "device/task/TaskWorker.h"

#include <QDebug>
#include <QFile>

bool Varnok120X::isWorkIdle() const
{
    QMutexLocker lock(&m_workLock);
    return m_workIdle;
}

bool Varnok120X::refuseIfBusy()
{
    if (isWorkIdle())
        return false;
    qWarning().noquote() << "Varnok120X::createWork" << "thread is running";
    setErrorMessage(tr("机器繁忙，请稍后重试"));
    return true;
}

bool Varnok120X::createWork(QObject *worker)
{
    if (!worker)
        return false;
    bool busy = false, notReady = false;
    {
        // Test and set in one step: two callers must not both see idle.
        QMutexLocker lock(&m_workLock);
        if (!m_workIdle)
            busy = true;
        else if (!m_ready.load() || m_shuttingDown.load())
            notReady = true;
        else
            m_workIdle = false;
    }
    if (busy || notReady) {
        delete worker;
        if (busy) {
            qWarning().noquote() << "Varnok120X::createWork" << "thread is running";
            setErrorMessage(tr("机器繁忙，请稍后重试"));
        } else {
            setErrorMessage(tr("请检查设备状态， 正在执行任务或者未连接"));
        }
        return false;
    }
    host()->setTaskStatus(1);
    connect(&m_workThread, &QThread::finished, worker, &QObject::deleteLater);
    runWorkerOn(&m_workThread, worker);
    return true;
}

bool Varnok120X::reserveWork()
{
    QMutexLocker lock(&m_workLock);
    if (!m_workIdle)
        return false;
    m_workIdle = false;
    return true;
}

void Varnok120X::releaseWork()
{
    QMutexLocker lock(&m_workLock);
    m_workIdle = true;
}

void Varnok120X::runWorkerOn(QThread *thread, QObject *worker)
{
    if (worker->thread() != thread)
        worker->moveToThread(thread);
    // Posted before the start: the thread's event loop runs it first.
    QMetaObject::invokeMethod(worker, "onWork", Qt::QueuedConnection);
    thread->start();
}

bool Varnok120X::startJob(int taskType, const QByteArray &data)
{
    // Building a worker already talks to the controller (a type's speed):
    // a job that would be refused must not get that far.
    if (refuseIfBusy())
        return false;
    return createWork(new TaskWorker(this, taskType, data));
}

void Varnok120X::onWorkThreadFinished()
{
    // finished is sent just before the thread ends: let it end, or a new job
    // could find the thread still running and never start.
    m_workThread.wait();
    // Whatever ended the job (its own stop, a stop whose command failed, a
    // dropped link), no task runs now. Before the idle flag: a job started
    // right after must keep its running status.
    if (host()->taskStatus() != 2)
        host()->setTaskStatus(2);
    host()->loadCheckParams();
    {
        QMutexLocker lock(&m_workLock);
        m_workIdle = true;
    }
    if (!isLinked())
        return;
    const int cutSpeed = configInt(Config::CPT_CUT_SPEED);
    if (cutSpeed != speed())
        wSpeed(cutSpeed);
    if (rDevicePoint(0))
        qInfo().noquote() << "Varnok120X::onWorkThreadFinished" << devicePoint(0);
}

void Varnok120X::cut()
{
    if (refuseIfBusy())
        return;
    const QString path = cutSource()->cutFile();
    if (path.isEmpty() || !QFile::exists(path)) {
        setErrorMessage(tr("切割文件未打开 \n"));
        return;
    }
    // Only a file read whole is cut: a part of it would be cut as if it
    // were all, and an empty one cannot be announced.
    QFile file(path);
    QByteArray data;
    bool whole = file.open(QIODevice::ReadOnly);
    if (whole) {
        data = file.readAll();
        whole = data.size() == file.size();
    }
    if (!whole || data.isEmpty()) {
        qCritical().noquote() << "Varnok120X::cut" << "cannot read the cut file whole" << path << file.errorString()
                              << data.size();
        setErrorMessage(whole ? tr("切割文件为空 \n") : tr("无法读取切割文件 \n"));
        return;
    }
    startJob(1, data);
}

void Varnok120X::cut100mmRect()
{
    if (refuseIfBusy())
        return;
    startJob(1, QByteArrayLiteral("PU0,0;PD0,4000,4000,4000,4000,0,0,0;PU;PG;"));
}

void Varnok120X::checkCameraOffset()
{
    if (refuseIfBusy())
        return;
    QFile file(QStringLiteral("3P5MM.plt"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "Varnok120X::checkCameraOffset" << file.errorString();
        return;
    }
    startJob(4, file.readAll());
}

void Varnok120X::autoFindPoint()
{
    startJob(5);
}

void Varnok120X::autoCheckPoint()
{
    if (refuseIfBusy())
        return;
    vision()->setMarkIndex(1);
    startJob(7);
}

void Varnok120X::cutRepeat()
{
    if (refuseIfBusy())
        return;
    vision()->setMarkIndex(1);
    startJob(8);
}

void Varnok120X::resetKnife()
{
    if (m_config->knifeNum() > 1)
        startJob(9);
}

bool Varnok120X::exitTask()
{
    const bool stopped = wStop();
    if (rDevicePoint(0))
        qInfo().noquote() << "Varnok120X::exitTask" << devicePoint(0);
    if (stopped)
        cutterXClear();
    vision()->clearFilm(-1);
    vision()->setMarkIndex(0);
    return stopped;
}

bool Varnok120X::cutterXClear()
{
    qDebug().noquote() << "Varnok120X::cutterXClear" << "X轴坐标清零";
    return command(featureFlag(FF_PerModule) == 1 ? QStringLiteral("2,1,0,5;") : QStringLiteral("2,0,5;"));
}

void Varnok120X::gotoOrigin()
{
    const QPointF target = origin();
    if (target.isNull()) {
        qWarning().noquote() << "Varnok120X::gotoOrigin" << "未设置原点";
        setErrorMessage(tr("未设置原点"));
        return;
    }
    if (host()->taskStatus() != 2 || jobRunsElsewhere() || !rCutMotorStatus() || cutMotorStatus() != 0) {
        qWarning().noquote() << "Varnok120X::gotoOrigin" << "请检查设备状态， 正在执行任务或者未连接";
        setErrorMessage(tr("请检查设备状态"));
        return;
    }
    if (!rDevicePoint(0)) {
        qWarning().noquote() << "Varnok120X::gotoOrigin" << "未能获取当前位置 rDevicePoint failed";
        setErrorMessage(tr("请重试"));
        return;
    }
    if (wDevicePoint(1, target - devicePoint(0))) {
        qDebug().noquote() << "Varnok120X::gotoOrigin" << "回到原点" << target;
    } else {
        qWarning().noquote() << "Varnok120X::gotoOrigin" << "wDevicePoint failed";
        setErrorMessage(tr("请重试"));
    }
}

void Varnok120X::moveOffset()
{
    if (jobRunsElsewhere()) {
        qWarning().noquote() << "Varnok120X::moveOffset" << "请检查设备状态， 正在执行任务或者未连接";
        setErrorMessage(tr("请检查设备状态"));
        return;
    }
    const double x = m_config->markCameraOffsetX() * kHpglPerMm;
    double y = m_config->markCameraOffsetY() * kHpglPerMm;
    if (configInt(Config::CPT_Cut_Coordinates) != 0)
        y = -y;
    if (!wDevicePoint(0, QPointF(x, y))) {
        qWarning().noquote() << "Varnok120X::moveOffset" << "wDevicePoint failed";
        setErrorMessage(tr("请重试"));
    }
}
