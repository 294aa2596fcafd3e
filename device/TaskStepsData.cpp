// Steps of the task worker that stream the job's cut data, run a nested
// cut, print, book copies and end the job.
#include "TaskWorker.h"

#include "Config.h"
#include "GPathProcess.h"
#include "Varnok120X.h"

#include <QDebug>

void TaskWorker::taskSendPltSize(int &step)
{
    config()->setRunTip(tr("下发文件大小"));
    if (config()->knifeNum() > 1 && !m_device->setKnife(allKnivesMask()))
        return;
    // Package size 0: the configured one.
    if (m_device->wPltSize(size_t(m_data.size()), 0))
        ++step;
}

void TaskWorker::taskRequestSend(int &step)
{
    config()->setRunTip(tr("请求发送文件"));
    if (m_device->rPrePltSend())
        ++step;
}

void TaskWorker::taskSendPlt(int &step)
{
    config()->setRunTip(tr("下发文件"));
    if (!m_device->rPrePltSend())
        return;
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
    m_device->wPlt(m_data.mid(qsizetype(transfer.sent), qsizetype(chunk)));
    const quint64 sent = m_device->pltTransfer().sent;
    if (sent == transfer.total) {
        ++step;
    } else if (sent > transfer.total) {
        config()->setRunErrTip(tr("文件长度错误"));
        qCritical().noquote() << "TaskWorker::taskSendPlt" << "send Plt Len:" << sent << "totalSize:" << transfer.total;
        taskStop(step);
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
    step = kEndStep;
    clearTipsLater();
}
