// Task control: the task status, the checks before a start, the start
// itself, and pause, resume and stop on short-lived threads.
#include "DravolinteApp.h"

#include "GMarkItem.h"
#include "GPage.h"
#include "GScene.h"
#include "Varnok120X.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>

void DravolinteApp::setTaskStatus(int status)
{
    const int old = m_taskStatus.exchange(status);
    qDebug().noquote() << "DravolinteApp::setTaskStatus" << old << status;
    emit taskStatusChanged();
    notifyTaskStatus(status);
}

int DravolinteApp::taskStatus() const
{
    return m_taskStatus.load();
}

bool DravolinteApp::isSupport()
{
    int type = -1;
    {
        QReadLocker lock(&m_sceneLock);
        if (!m_cutScene || m_cutScene->gItemAll().isEmpty())
            return true;
        type = pageMarkTypeLocked();
    }
    if (type == 0 || type == 1 || type == 4 || type == 8)
        return true;
    qCritical().noquote() << "DravolinteApp::isSupport" << "未实现的切割类型" << type;
    if (Varnok120X *device = driver())
        device->setErrorMessage(tr("不支持的切割类型!"));
    return false;
}

bool DravolinteApp::isAllowedStart()
{
    Config *cfg = config();
    Varnok120X *device = driver();
    const CheckParams check = checkParams();
    const int cutTask = cutTaskCopies();
    const int printTask = printTaskCopies();
    QString text;
    if (printTask == 0 && cutTask == 0 && cfg && cfg->enableCut())
        text += tr("任务份数不能为0 \n");
    if (cutTask >= 1 && cutCopies() >= cutTask)
        text += tr("切割份数已完成 \n");
    if (check.enablePrint) {
        if (printTask >= 1 && printCopies() >= printTask)
            text += tr("打印份数已完成 \n");
        const QString printer = cfg ? cfg->getProperty(Config::CPT_Printer_Name).toString() : QString();
        if (printImage().isNull() && printer != QLatin1String("CorelDRAW") && printTask >= 1)
            text += tr("打印文件未打开 \n");
    }
    // Linked is not enough: jobs wait for the initial reads of the link.
    if (!device || !device->isLinked() || !device->isReady())
        text += tr("设备未连接，请重启设备或者选择设备 \n");
    if (text.isEmpty())
        return true;
    if (device)
        device->setErrorMessage(text);
    return false;
}

void DravolinteApp::startTask(bool recount, bool bExecOnce)
{
    Varnok120X *device = driver();
    if (!device)
        return;
    // A job that still runs (or a pause, resume or stop on its way) keeps
    // its counters, records and trial-run flag: nothing changes before this.
    if (!device->isWorkIdle() || m_busy.load()) {
        qWarning().noquote() << "DravolinteApp::startTask" << "机器繁忙，请稍后重试";
        device->setErrorMessage(tr("机器繁忙，请稍后重试"));
        return;
    }
    loadCheckParams();
    m_execOnce.store(bExecOnce);
    if (bExecOnce) {
        QMutexLocker lock(&m_stateLock);
        m_check.enablePrint = false;
    }
    if (!isAllowedStart() || !isSupport()) {
        loadCheckParams();
        return;
    }
    if (recount)
        reCount();
    const double printRoller = device->printRoller();
    const double filmRoller = device->filmRoller();
    {
        QMutexLocker lock(&m_stateLock);
        m_taskStarted = true;
        m_runLength = 0.0;
        m_copyRunLength = 0.0;
        m_startPrintRoller = printRoller;
        m_startFilmRoller = filmRoller;
        m_workRecord.timestamp = QDateTime::currentDateTime();
    }
    if (m_segmentX.exchange(0) != 0)
        emit segmentXChanged();
    device->wStart();
}

void DravolinteApp::reCount()
{
    if (m_printCopies.exchange(0) != 0)
        emit printCopiesChanged();
    if (m_cutCopies.exchange(0) != 0)
        emit cutCopiesChanged();
    if (m_checkedCopies.exchange(0) != 0)
        emit checkedCopiesChanged();
}

namespace {
void refuseBusy(const char *origin)
{
    qCritical().noquote() << origin << "正在执行,请稍后重试";
    if (Varnok120X *device = DravolinteApp::driver())
        device->setErrorMessage(DravolinteApp::tr("请稍后重试 \n"));
}
} // namespace

void DravolinteApp::pauseTask(bool bWait)
{
    if (taskStatus() != 1)
        return;
    // Claimed before anything else: two requests must not both pass.
    if (m_busy.exchange(true)) {
        refuseBusy("DravolinteApp::pauseTask");
        return;
    }
    runThread("DravolinteApp::pauseTask", [this] { pauseBody(); m_busy.store(false); }, bWait, true);
}

void DravolinteApp::resumeTask(bool bWait)
{
    // Only a paused job resumes: from a stopped task there is nothing to go on with.
    Varnok120X *device = driver();
    if (taskStatus() != 0 || !device || device->isWorkIdle())
        return;
    if (m_busy.exchange(true)) {
        refuseBusy("DravolinteApp::resumeTask");
        return;
    }
    runThread("DravolinteApp::resumeTask", [this] { resumeBody(); m_busy.store(false); }, bWait, true);
}

void DravolinteApp::stopTask(bool bWait)
{
    Varnok120X *device = driver();
    // A job that ends itself stops from its own thread, and must: a pause or
    // resume on its way only delays that stop (bounded), it does not refuse it.
    const bool fromJob = device && QThread::currentThread() == device->workThread();
    QDeadlineTimer patience(kJobStopPatienceMs);
    while (m_busy.exchange(true)) {
        if (!fromJob || patience.hasExpired()) {
            refuseBusy("DravolinteApp::stopTask");
            return;
        }
        QThread::msleep(10);
    }
    runThread("DravolinteApp::stopTask", [this] { stopBody(); m_busy.store(false); }, bWait, true);
}

void DravolinteApp::pauseBody()
{
    Varnok120X *device = driver();
    if (!device)
        return;
    if (!device->rCutMotorStatus()) {
        qCritical().noquote() << "DravolinteApp::pauseTask::<lambda_1>::operator ()" << "rCutMotorStatus failed";
        return;
    }
    const int motor = device->cutMotorStatus();
    qDebug().noquote() << "DravolinteApp::pauseTask::<lambda_1>::operator ()" << "cutMotorStatus: " << motor
                       << "PPLT:" << device->cutSent();
    if (device->cutSent() && motor == 1 && !device->wPause(true)) {
        qCritical().noquote() << "DravolinteApp::pauseTask::<lambda_1>::operator ()" << "wPause failed, 请稍后重试";
        device->setErrorMessage(tr("请稍后重试 \n"));
        return;
    }
    setTaskStatus(0);
}

void DravolinteApp::resumeBody()
{
    Varnok120X *device = driver();
    if (!device)
        return;
    if (!device->rCutMotorStatus()) {
        qCritical().noquote() << "DravolinteApp::resumeTask::<lambda_1>::operator ()" << "rCutMotorStatus failed";
        return;
    }
    const int motor = device->cutMotorStatus();
    qDebug().noquote() << "DravolinteApp::resumeTask::<lambda_1>::operator ()" << "cutMotorStatus: " << motor
                       << "PPLT:" << device->cutSent();
    if (device->cutSent() && motor == 2 && !device->wResume()) {
        qCritical().noquote() << "DravolinteApp::resumeTask::<lambda_1>::operator ()" << "wResume failed, 请稍后重试";
        device->setErrorMessage(tr("请稍后重试 \n"));
        return;
    }
    setTaskStatus(1);
}

void DravolinteApp::stopBody()
{
    Varnok120X *device = driver();
    if (!device)
        return;
    if (!device->exitTask()) {
        qCritical().noquote() << "DravolinteApp::stopTask::<lambda_1>::operator ()" << "exitTask failed, 请稍后重试";
        device->setErrorMessage(tr("请稍后重试 \n"));
        return;
    }
    loadCheckParams();
}

bool DravolinteApp::runThread(const char *origin, std::function<void()> body, bool wait, bool releasesBusy)
{
    std::shared_ptr<QThread> thread(QThread::create(std::move(body)));
    {
        QMutexLocker lock(&m_threadsLock);
        if (m_threadsClosed) {
            lock.unlock();
            if (releasesBusy)
                m_busy.store(false);
            qWarning().noquote() << origin << "the program is closing";
            return false;
        }
        m_taskThreads.erase(std::remove_if(m_taskThreads.begin(), m_taskThreads.end(),
                                           [](const std::shared_ptr<QThread> &t) { return t->isFinished(); }),
                            m_taskThreads.end());
        m_taskThreads.append(thread);
        // Started under the lock: once joinTaskThreads has the list, every
        // thread in it has started and its wait means something.
        thread->start();
    }
    if (wait)
        thread->wait();
    return true;
}

void DravolinteApp::joinTaskThreads()
{
    QList<std::shared_ptr<QThread>> threads;
    {
        QMutexLocker lock(&m_threadsLock);
        m_threadsClosed = true;
        threads.swap(m_taskThreads);
    }
    for (const auto &thread : threads)
        thread->wait();
}
