// Task control: the task status, the checks before a start, the start
// itself, and pause, resume and stop on short-lived threads.
#include "app/task/TaskControl.h"

#include "configuration/Config.h"
#include "app/task/CutScene.h"
#include "app/task/ProductionRecords.h"
#include "app/task/TaskThreads.h"
#include "device/Varnok120X.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QThread>

TaskControl::TaskControl(ProductionRecords &records, CutScene &cut, TaskThreads &threads, QObject *parent)
    : QObject(parent), m_records(records), m_cut(cut), m_threads(threads)
{
}

void TaskControl::taskStatusStored(int old, int status)
{
    qDebug().noquote() << "DravolinteApp::setTaskStatus" << old << status;
    emit taskStatusChanged();
}

int TaskControl::cutTaskCopies() const
{
    return m_records.cutTaskCopies();
}

void TaskControl::loadCheckParams()
{
    m_execOnce.store(false);
    const Config *cfg = Config::instance();
    if (!cfg)
        return;
    CheckParams params;
    params.enablePrint = cfg->getProperty(Config::CPT_Enable_Print).toBool();
    params.enableOCR = cfg->getProperty(Config::CPT_Enable_OCR).toBool();
    params.enableQRCode = cfg->getProperty(Config::CPT_Enable_QRCode).toBool();
    params.enableBARCode = cfg->getProperty(Config::CPT_Enable_BARCode).toBool();
    params.threshold = cfg->getProperty(Config::CPT_Threshold).toDouble();
    params.iouThreshold = cfg->getProperty(Config::CPT_iou_Threshold).toDouble();
    params.modelPath = cfg->getProperty(Config::CPT_MODEL_Path).toString();
    QMutexLocker lock(&m_checkLock);
    m_check = params;
}

TaskControl::CheckParams TaskControl::checkParams() const
{
    QMutexLocker lock(&m_checkLock);
    return m_check;
}

bool TaskControl::finishedOneCopies()
{
    // A trial run ends after its one copy and books nothing.
    if (m_execOnce.exchange(false)) {
        loadCheckParams();
        return false;
    }
    return m_records.finishedOneCopies(m_cut.pageDefSize().height(), checkParams().enablePrint);
}

bool TaskControl::isAllowedStart()
{
    Config *cfg = Config::instance();
    Varnok120X *device = m_driver.load();
    const int cutTask = m_records.cutTaskCopies();
    const int printTask = m_records.printTaskCopies();
    QString reasons;
    if (printTask == 0 && cutTask == 0 && cfg && cfg->enableCut())
        reasons += QCoreApplication::translate("DravolinteApp", "任务份数不能为0 \n");
    if (cutTask >= 1 && m_records.cutCopies() >= cutTask)
        reasons += QCoreApplication::translate("DravolinteApp", "切割份数已完成 \n");
    if (checkParams().enablePrint) {
        if (printTask >= 1 && m_records.printCopies() >= printTask)
            reasons += QCoreApplication::translate("DravolinteApp", "打印份数已完成 \n");
        const QString printer = cfg ? cfg->getProperty(Config::CPT_Printer_Name).toString() : QString();
        const bool printFileOpen = m_printFileOpen && m_printFileOpen();
        if (!printFileOpen && printer != QLatin1String("CorelDRAW") && printTask >= 1)
            reasons += QCoreApplication::translate("DravolinteApp", "打印文件未打开 \n");
    }
    // A run that cuts without a cut file would search the marks for ever;
    // unless a code read at the first mark is to pick the file.
    if (cfg && cfg->enableCut() && cfg->getProperty(Config::CPT_Enable_Cut_Marker_Type).toInt() == 0
        && !m_cut.hasCutItems())
        reasons += QCoreApplication::translate("DravolinteApp", "切割文件未打开 \n");
    // Linked is not enough: jobs wait for the initial reads of the link.
    if (!device || !device->isLinked() || !device->isReady())
        reasons += QCoreApplication::translate("DravolinteApp", "设备未连接，请重启设备或者选择设备 \n");
    if (reasons.isEmpty())
        return true;
    if (device)
        device->setErrorMessage(reasons);
    return false;
}

void TaskControl::startTask(bool recount, bool execOnce)
{
    Varnok120X *device = m_driver.load();
    if (!device)
        return;
    // A job that still runs (or a pause, resume or stop on its way) keeps
    // its counters, records and trial-run flag: nothing changes before this.
    if (!device->isWorkIdle() || m_busy.load()) {
        qWarning().noquote() << "DravolinteApp::startTask" << "机器繁忙，请稍后重试";
        device->setErrorMessage(QCoreApplication::translate("DravolinteApp", "机器繁忙，请稍后重试"));
        return;
    }
    loadCheckParams();
    m_execOnce.store(execOnce);
    if (execOnce) {
        QMutexLocker lock(&m_checkLock);
        m_check.enablePrint = false;
    }
    if (!isAllowedStart() || !m_cut.isSupport()) {
        loadCheckParams();
        return;
    }
    if (recount)
        m_records.reCount();
    m_records.startWork();
    m_records.startRun(device->printRoller(), device->filmRoller());
    if (m_segmentX.set(0))
        emit segmentXChanged();
    device->wStart();
}

void TaskControl::refuseBusy(const char *origin)
{
    qCritical().noquote() << origin << "正在执行,请稍后重试";
    if (Varnok120X *device = m_driver.load())
        device->setErrorMessage(QCoreApplication::translate("DravolinteApp", "请稍后重试 \n"));
}

void TaskControl::runBusy(const char *origin, void (TaskControl::*body)(), bool wait)
{
    const bool ran = m_threads.run(origin, [this, body] {
        (this->*body)();
        m_busy.store(false);
    }, wait);
    if (!ran)
        m_busy.store(false);
}

void TaskControl::pauseTask(bool wait)
{
    if (taskStatus() != 1)
        return;
    // Claimed before anything else: two requests must not both pass.
    if (m_busy.exchange(true)) {
        refuseBusy("DravolinteApp::pauseTask");
        return;
    }
    runBusy("DravolinteApp::pauseTask", &TaskControl::pauseBody, wait);
}

void TaskControl::resumeTask(bool wait)
{
    // Only a paused job resumes: from a stopped task there is nothing to go on with.
    Varnok120X *device = m_driver.load();
    if (taskStatus() != 0 || !device || device->isWorkIdle())
        return;
    if (m_busy.exchange(true)) {
        refuseBusy("DravolinteApp::resumeTask");
        return;
    }
    runBusy("DravolinteApp::resumeTask", &TaskControl::resumeBody, wait);
}

void TaskControl::stopTask(bool wait)
{
    Varnok120X *device = m_driver.load();
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
    runBusy("DravolinteApp::stopTask", &TaskControl::stopBody, wait);
}

void TaskControl::pauseBody()
{
    moveJob("DravolinteApp::pauseTask::<lambda_1>::operator ()", 1, "wPause", [](Varnok120X *d) { return d->wPause(true); }, 0);
}

void TaskControl::resumeBody()
{
    moveJob("DravolinteApp::resumeTask::<lambda_1>::operator ()", 2, "wResume", [](Varnok120X *d) { return d->wResume(); }, 1);
}

// Pause and resume ask the motor first: the machine is told only while the
// job it runs is in the state to leave (running for a pause, paused for a
// resume); the task's status follows unless the machine refused.
void TaskControl::moveJob(const char *origin, int fromMotor, const char *actName,
                          const std::function<bool(Varnok120X *)> &act, int status)
{
    Varnok120X *device = m_driver.load();
    if (!device)
        return;
    if (!device->rCutMotorStatus()) {
        qCritical().noquote() << origin << "rCutMotorStatus failed";
        return;
    }
    const int motor = device->cutMotorStatus();
    qDebug().noquote() << origin << "cutMotorStatus: " << motor << "PPLT:" << device->cutSent();
    if (device->cutSent() && motor == fromMotor && !act(device)) {
        qCritical().noquote() << origin << actName << "failed, 请稍后重试";
        device->setErrorMessage(QCoreApplication::translate("DravolinteApp", "请稍后重试 \n"));
        return;
    }
    setTaskStatus(status);
}

void TaskControl::stopBody()
{
    Varnok120X *device = m_driver.load();
    if (!device)
        return;
    if (!device->exitTask()) {
        qCritical().noquote() << "DravolinteApp::stopTask::<lambda_1>::operator ()" << "exitTask failed, 请稍后重试";
        device->setErrorMessage(QCoreApplication::translate("DravolinteApp", "请稍后重试 \n"));
        return;
    }
    loadCheckParams();
}
