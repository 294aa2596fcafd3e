#pragma once

#include "device/task/TaskInterface.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QPointF>

class Config;
class CutSource;
class TaskHost;
class VisionHost;

// Runs one machine job on the driver's work thread. The task type (1 to 9)
// selects the step list (TaskWorkerTypes.cpp); the steps are in
// TaskStepsMotion.cpp (knives, carriage, web), TaskStepsPlace.cpp (page start
// and end, the next page, the mark-camera offset), TaskStepsData.cpp (cut
// data, printing, copies, the end of a job) and TaskStepsMarks.cpp (finding,
// scanning and fitting the registration marks). Pause, resume and stop of the
// application's task reach the list at its next pass; the packages of the
// cut data follow each other within one pass, each after its "21;".
//
// The job's cut data lives here and nowhere else: a built-in figure comes
// with the job, a production run fits the page of the cut source to the
// scanned marks and keeps the result, a run without cutting makes its walk.
class TaskWorker : public taskInterface
{
    Q_OBJECT

public:
    // A type below 0 builds no list; setTaskType gives it one later. data
    // is what a cut (type 1, or the cut of type 4) cuts.
    TaskWorker(Varnok120X *device, int type, const QByteArray &data = QByteArray(), QObject *parent = nullptr);
    ~TaskWorker() override;

    int taskType() const { return m_taskType; }
    // Builds the list of type, ended by taskStop.
    void setTaskType(int type);
    // Appends the steps of type to list and does the type's build-time
    // work; false for a type without steps.
    bool buildSteps(int type, StepList &list);
    // Runs the list of type nested on this thread; true when it ran to its
    // end, false when a step stopped the job or the task was stopped.
    bool runSubTask(int type);

    // The job's cut data (HPGL).
    QByteArray data() const { return m_data; }
    void setData(const QByteArray &data) { m_data = data; }
    // Knife intervals of the page (HPGL units), one per knife of the job.
    QList<int> knifeIntervals() const { return m_knifeIntervals; }
    void setKnifeIntervals(const QList<int> &intervals) { m_knifeIntervals = intervals; }
    // The knives that the job's moves take (bit n = knife n).
    int knifeMask() const { return m_knifeMask; }
    void setKnifeMask(int mask) { m_knifeMask = mask; }
    // Knife 0's position at the start and at the end of the last cut (HPGL units).
    QPointF startPoint() const { return m_startPoint; }
    QPointF endPoint() const { return m_endPoint; }
    // A mark seen in a mark-camera image: its centre and size in pixels
    // (sub-pixel: the size sets the image's scale).
    void addScannedMark(const QPointF &centre, double size);
    QList<QPointF> scanPoints() const { return m_scanPoints; }
    QList<double> scanSizes() const { return m_scanSizes; }
    // The page's marks in scanning order (HPGL units).
    QList<QPointF> pageMarks() const { return m_pageMarks; }
    void setPageMarks(const QList<QPointF> &marks) { m_pageMarks = marks; }
    // The last offset from a mark to the image centre (HPGL units).
    QPointF centerOffset() const { return m_centerOffset; }
    double findLength() const { return m_findLength; }
    // The web the first-mark search has advanced, and how far it may (mm).
    double searchMoved() const { return m_searchMoved; }
    double searchLimit() const;

    // What the steps share.
    // May the web move by dx mm (forward positive)? Backward onto the rewind
    // limit stops the job.
    bool checkMove(double dx);
    // Moves the knives of mask by offset (HPGL units) with a positioning job.
    bool moveBy(int mask, QPointF offset);
    bool getKnifePoint(QPointF &point, int &knife);
    int allKnivesMask() const;
    // A cut file is open; otherwise the job stops with the reason.
    bool checkCutFile(int &step);
    // The move (HPGL units) that brings the mark seen at pixel p, of the
    // given size in pixels, into the middle of the mark-camera image.
    QPointF imageToDeviceOffset(const QPointF &p, double size) const;

    // Steps.
    void taskClearX(int &step);
    void taskWaitKnife(int &step);
    void taskResetKnife(int &step);
    void taskMoveKnife(int &step);
    void taskSendPltSize(int &step);
    void taskRequestSend(int &step);
    void taskSendPlt(int &step);
    void taskPenUp(int &step);
    void taskStartCut(int &step);
    void taskEnableCut(int &step);
    void taskCheckDone(int &step);
    void taskGetStartPoint(int &step);
    void taskGetEndPoint(int &step);
    void taskMoveToStart(int &step);
    void taskMoveToNextStartPoint(int &step);
    void taskMoveCameraOffset(int &step);
    void taskCameraOffset(int &step);
    void taskStop(int &step);
    // Mark steps.
    void taskFindMarks(int &step);
    void taskTestMark(int &step);
    void taskFindMark(int &step);
    void taskMoveToMarkInfo(int &step);
    void taskScanMarks(int &step);
    void taskMoveToImageCenter(int &step);
    void taskClearMarks(int &step);
    void taskMoveToMark(int &step);
    void taskCheckMarks(int &step);
    void taskScanOK(int &step);

public slots:
    // Follows the application's task status.
    void onAppTaskStatusChanged();

protected:
    void workFinished(bool completed) override;

private:
    Step bindStep(void (TaskWorker::*step)(int &));
    Config *config() const;
    TaskHost *host() const;
    CutSource *cutSource() const;
    VisionHost *vision() const;
    // Keeps the speed in step with the rewind roller while the web runs
    // without cutting.
    void followRewindSpeed();
    // Has the carriage finished? Sleeps a little when not; false also when
    // the status cannot be read.
    bool carriageIdle();
    bool carriageStepReady(int &step, const QString &tip);
    // Empties the step texts 3 s after the job, once.
    void clearTipsLater();
    // A cut-data command failed: true while the job may try again; once it
    // has failed for longer than the long reply time-out the job stops with
    // the reason (a refused announcement, a "21" that stays busy).
    bool mayRetryStream(const char *origin, const QString &why, int &step);
    // Asks the mark camera for an image; true when it came and showed a
    // usable mark, which is then appended to the scanned marks.
    bool captureMark();
    // The scan has failed: the operator learns why, the job stops.
    void failScan(int &step);

    QPointF m_startPoint;
    QPointF m_endPoint;
    QMap<int, bool> m_knifeDone;
    QList<int> m_knifeIntervals;
    QList<QPointF> m_scanPoints;
    QList<double> m_scanSizes;
    QList<QPointF> m_pageMarks;
    QPointF m_centerOffset;
    double m_findLength = 0.0;
    double m_searchMoved = 0.0;
    int m_scanTries = 0;
    int m_retryCount = 0;
    int m_knifeMask = 1;
    int m_taskType = 0;
    QByteArray m_data;
    bool m_tipsClearing = false;
    // Since when the cut-data commands keep failing; invalid while they go.
    QElapsedTimer m_streamFailing;
    QElapsedTimer m_lastStreamFailure;
};
