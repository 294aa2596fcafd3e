// Steps of the task worker that stream the job's cut data, run a nested
// cut, print, book copies and end the job.
#include "device/task/TaskWorker.h"

#include "configuration/Config.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "device/Varnok120X.h"

#include <QDebug>

bool TaskWorker::mayRetryStream(const char *origin, const QString &why, int &step)
{
    // A controller that is busy cutting answers "21" with busy for a while,
    // and a reply may be lost: the step tries again. One that never takes
    // the data must not hold the job for ever. Failures in a row come one
    // retry apart; a longer gap (the task paused in between) starts again.
    const qint64 retryGap = 2 * (qMax(0, config()->getProperty(Config::CPT_wait_TcpRet_Msecs).toInt()) + 100) + 500;
    const bool inARow = m_lastStreamFailure.isValid() && m_lastStreamFailure.elapsed() <= retryGap;
    m_lastStreamFailure.start();
    if (!m_streamFailing.isValid() || !inARow) {
        m_streamFailing.start();
        return true;
    }
    const qint64 limit = qMax(0, config()->getProperty(Config::CPT_wait_TcpRet_Msecs_Max).toInt());
    const qint64 failing = m_streamFailing.elapsed();
    if (failing <= limit)
        return true;
    m_streamFailing.invalidate();
    qCritical().noquote() << origin << why << "failing for" << failing << "ms";
    config()->setRunErrTip(why);
    m_device->setErrorMessage(why);
    taskStop(step);
    return false;
}

void TaskWorker::taskSendPltSize(int &step)
{
    config()->setRunTip(tr("下发文件大小"));
    // Nothing to cut, or packages of no size: no controller reply can change that.
    const int package = config()->getProperty(Config::CPT_Package_size).toInt();
    if (m_data.isEmpty() || package < 1) {
        const QString why = m_data.isEmpty() ? tr("文件长度错误") : tr("切割数据包大小错误");
        qCritical().noquote() << "TaskWorker::taskSendPltSize" << why << "plt size:" << m_data.size()
                              << "packageSize:" << package;
        config()->setRunErrTip(why);
        m_device->setErrorMessage(why);
        taskStop(step);
        return;
    }
    if (config()->knifeNum() > 1 && !m_device->setKnife(allKnivesMask())) {
        mayRetryStream("TaskWorker::taskSendPltSize", tr("控制器拒绝选刀"), step);
        return;
    }
    // Package size 0: the configured one.
    if (!m_device->wPltSize(size_t(m_data.size()), 0)) {
        mayRetryStream("TaskWorker::taskSendPltSize", tr("控制器拒绝切割数据大小"), step);
        return;
    }
    m_streamFailing.invalidate();
    ++step;
}

void TaskWorker::taskRequestSend(int &step)
{
    config()->setRunTip(tr("请求发送文件"));
    if (!m_device->rPrePltSend()) {
        mayRetryStream("TaskWorker::taskRequestSend", tr("控制器未准备好接收切割数据"), step);
        return;
    }
    m_streamFailing.invalidate();
    ++step;
}

void TaskWorker::taskSendPlt(int &step)
{
    config()->setRunTip(tr("下发文件"));
    // The packages follow each other without the pause between passes, each
    // after its own "21;": the controller paces them. Pause and stop act
    // between two packages, as they would between passes.
    for (;;) {
        if (!m_device->rPrePltSend()) {
            mayRetryStream("TaskWorker::taskSendPlt", tr("控制器未准备好接收切割数据"), step);
            return;
        }
        m_streamFailing.invalidate();
        const Varnok120X::PltTransfer transfer = m_device->pltTransfer();
        const quint64 remaining = transfer.total > transfer.sent ? transfer.total - transfer.sent : 0;
        const quint64 chunk = qMin(remaining, transfer.package);
        if (transfer.total != quint64(m_data.size()) || chunk < 1) {
            config()->setRunErrTip(tr("文件长度错误"));
            qCritical().noquote() << "TaskWorker::taskSendPlt" << "plt size:" << m_data.size() << "remainingLen"
                                  << remaining << "totalSize:" << transfer.total;
            taskStop(step);
            return;
        }
        // A failed write leaves the count: the package goes again at the next
        // pass (a broken link ends the job through the task status).
        if (!m_device->wPlt(m_data.mid(qsizetype(transfer.sent), qsizetype(chunk))))
            return;
        const quint64 sent = m_device->pltTransfer().sent;
        if (sent == transfer.total) {
            ++step;
            return;
        }
        if (sent > transfer.total) {
            config()->setRunErrTip(tr("文件长度错误"));
            qCritical().noquote() << "TaskWorker::taskSendPlt" << "send Plt Len:" << sent << "totalSize:"
                                  << transfer.total;
            taskStop(step);
            return;
        }
        if (taskStatus() != Running)
            return;
    }
}

void TaskWorker::taskPenUp(int &step)
{
    // The web advances 10 m in 10 mm pen-up moves: nothing is cut.
    const int d = qMax(1, int(GPathProcess::mm2Hpgl(10.0)));
    QByteArray data;
    data.reserve(400000 / d * 12);
    for (int x = d; x <= 400000; x += d)
        data += "PU" + QByteArray::number(x) + ",0;";
    m_data = data;
    ++step;
}

void TaskWorker::taskStartCut(int &step)
{
    config()->setRunTip(tr("开始切割"));
    if (runSubTask(1))
        ++step;
    else
        taskStop(step);
}

void TaskWorker::taskEnableCut(int &step)
{
    if (config()->getProperty(Config::CPT_Enable_Print).toBool()
        && config()->getProperty(Config::CPT_Print_Roller_Trigger).toDouble() > m_device->printRoller()) {
        config()->setRunTip(tr("打印"));
        host()->print();
    }
    ++step;
}

void TaskWorker::taskCheckDone(int &step)
{
    config()->setRunTip(tr("检测任务是否完成"));
    if (host()->finishedOneCopies())
        ++step;
    else
        taskStop(step);
}

void TaskWorker::taskStop(int &step)
{
    config()->setRunTip(tr("停止任务"));
    if (m_taskType == 2)
        m_device->wCollectMotor(0, 0);
    if (config()->knifeNum() >= 2 && m_taskType != 9)
        runSubTask(9);
    if (host()->taskStatus() != Stopped)
        host()->stopTask(true);
    // The job ends here even when the machine's stop failed and the
    // application still says running: the loop of this list and of every
    // list around it stops at its next pass.
    m_taskStatus->set(Stopped);
    step = kEndStep;
    clearTipsLater();
}
