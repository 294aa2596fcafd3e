// The step list of each task type. The positions matter: steps that jump
// count entries of their own list.
#include "TaskWorker.h"

#include "Config.h"
#include "Varnok120X.h"

#include <QDebug>

bool TaskWorker::buildSteps(int type, StepList &list)
{
    m_retryCount = 0;
    switch (type) {
    case 1: {
        // One cut of the job's data: place the knives, send the data in
        // packages, wait until the carriage has cut it. Data set before the
        // build (a pen-up walk of the outer job) is what is cut.
        if (m_data.isEmpty())
            m_data = m_device->pltData();
        list << bindStep(&TaskWorker::taskWaitKnife) << bindStep(&TaskWorker::taskResetKnife)
             << bindStep(&TaskWorker::taskMoveKnife) << bindStep(&TaskWorker::taskWaitKnife)
             << bindStep(&TaskWorker::taskSendPltSize) << bindStep(&TaskWorker::taskRequestSend)
             << bindStep(&TaskWorker::taskSendPlt);
        if (m_taskType == 3 && config()->enablePrint())
            list << bindStep(&TaskWorker::taskEnableCut);
        list << bindStep(&TaskWorker::taskWaitKnife);
        return true;
    }
    case 2: {
        // The web runs without cutting: a pen-up walk fed as cut data, over
        // and over, printing and counting copies when printing is on.
        const int speed = config()->getProperty(Config::CPT_NO_CUT_SPEED).toInt();
        if (m_device->speed() != speed)
            m_device->wSpeed(speed);
        if (config()->enablePrint())
            list << bindStep(&TaskWorker::taskEnableCut) << bindStep(&TaskWorker::taskCheckDone);
        list << bindStep(&TaskWorker::taskWaitKnife) << bindStep(&TaskWorker::taskClearX)
             << bindStep(&TaskWorker::taskPenUp) << bindStep(&TaskWorker::taskStartCut)
             << [this](int &step) { taskRestart(step); };
        return true;
    }
    case 9:
        // The knives that the job does not use go back to their origin
        // offsets; with no job knives, that is every knife.
        m_knifeDone.clear();
        m_knifeIntervals.clear();
        list << bindStep(&TaskWorker::taskResetKnife) << bindStep(&TaskWorker::taskWaitKnife);
        return true;
    default:
        // Types 3 to 8 find, scan and fit the registration marks; their lists
        // join this switch with the mark steps. Until then, and for unknown
        // types, the list is empty and the job stops at its first pass.
        qWarning().noquote() << "TaskWorker::buildSteps" << "no steps for task type" << type;
        return false;
    }
}
