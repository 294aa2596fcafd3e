// The step list of each task type. The positions matter: steps that jump
// count entries of their own list.
#include "device/task/TaskWorker.h"

#include "configuration/Config.h"
#include "device/Varnok120X.h"

#include <QDebug>

bool TaskWorker::buildSteps(int type, StepList &list)
{
    m_retryCount = 0;
    switch (type) {
    case 1: {
        // One cut of the job's data: place the knives, send the data in
        // packages, wait until the carriage has cut it.
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
    case 3:
        // Production run: per page find, check and fit the marks, cut, move
        // on to the next page, book the copy.
        list << bindStep(&TaskWorker::taskClearX) << bindStep(&TaskWorker::taskFindMarks)
             << bindStep(&TaskWorker::taskCheckMarks) << bindStep(&TaskWorker::taskScanOK)
             << bindStep(&TaskWorker::taskGetStartPoint) << bindStep(&TaskWorker::taskStartCut)
             << bindStep(&TaskWorker::taskGetEndPoint) << bindStep(&TaskWorker::taskMoveToNextStartPoint)
             << bindStep(&TaskWorker::taskWaitKnife) << bindStep(&TaskWorker::taskCheckDone)
             << [this](int &step) { taskRestart(step); };
        return true;
    case 4:
        // Camera offset: cut a small figure, bring the mark camera over it,
        // measure how far off it sits.
        m_device->wSpeed(50.0);
        list << bindStep(&TaskWorker::taskWaitKnife) << bindStep(&TaskWorker::taskClearX)
             << bindStep(&TaskWorker::taskStartCut) << bindStep(&TaskWorker::taskMoveCameraOffset)
             << bindStep(&TaskWorker::taskWaitKnife) << bindStep(&TaskWorker::taskScanMarks)
             << bindStep(&TaskWorker::taskCameraOffset);
        return true;
    case 5:
        // The first mark: advance the web until the camera sees it, read its
        // code when the marks carry one, centre it. Each search counts its
        // own web.
        m_searchMoved = 0.0;
        list << bindStep(&TaskWorker::taskWaitKnife) << bindStep(&TaskWorker::taskTestMark)
             << bindStep(&TaskWorker::taskFindMark) << bindStep(&TaskWorker::taskMoveToMarkInfo)
             << bindStep(&TaskWorker::taskWaitKnife) << bindStep(&TaskWorker::taskScanMarks)
             << bindStep(&TaskWorker::taskMoveToImageCenter);
        return true;
    case 6:
        // Every mark of the page in turn, then back to the first.
        list << bindStep(&TaskWorker::taskClearMarks) << bindStep(&TaskWorker::taskWaitKnife)
             << bindStep(&TaskWorker::taskScanMarks) << bindStep(&TaskWorker::taskMoveToMark)
             << bindStep(&TaskWorker::taskWaitKnife);
        return true;
    case 7:
        // Mark test: find, check and fit, over and over, without cutting.
        list << bindStep(&TaskWorker::taskFindMarks) << bindStep(&TaskWorker::taskCheckMarks)
             << bindStep(&TaskWorker::taskScanOK) << [this](int &step) { taskRestart(step); };
        return true;
    case 8:
        // Repeat cut: the same page, fitted and cut, then back to its start.
        list << bindStep(&TaskWorker::taskFindMarks) << bindStep(&TaskWorker::taskCheckMarks)
             << bindStep(&TaskWorker::taskScanOK) << bindStep(&TaskWorker::taskGetStartPoint)
             << bindStep(&TaskWorker::taskStartCut) << bindStep(&TaskWorker::taskGetEndPoint)
             << bindStep(&TaskWorker::taskMoveToStart) << [this](int &step) { taskRestart(step); };
        return true;
    case 9:
        // The knives that the job does not use go back to their origin
        // offsets; with no job knives, that is every knife.
        m_knifeDone.clear();
        m_knifeIntervals.clear();
        list << bindStep(&TaskWorker::taskResetKnife) << bindStep(&TaskWorker::taskWaitKnife);
        return true;
    default:
        // An unknown type: the list is empty and the job stops at its first pass.
        qWarning().noquote() << "TaskWorker::buildSteps" << "no steps for task type" << type;
        return false;
    }
}
