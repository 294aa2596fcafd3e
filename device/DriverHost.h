#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPointF>
#include <QPolygonF>
#include <QSizeF>
#include <QTransform>
#include <QString>
#include <functional>

// What the driver needs of the application object. The application object
// implements it; until one is installed the driver uses NullDriverHost, so
// the driver runs (and is tested) on its own.
//
// Every call may come from any driver thread (reader, link, work, poll).
class DriverHost
{
public:
    virtual ~DriverHost() = default;

    // Task status: 0 paused, 1 running, 2 stopped.
    virtual int taskStatus() const = 0;
    // Stores the status; the implementation calls notifyTaskStatus() after
    // storing, every time, also when the value did not change.
    virtual void setTaskStatus(int status) = 0;
    // Clears the result of the film record at index (-1: every record).
    virtual void clearFilm(int index) = 0;
    // Path of the open cut file; empty when none is open.
    virtual QString cutFile() const = 0;
    virtual void setMarkIndex(int index) = 0;
    // Reloads the label-check parameters.
    virtual void loadCheckParams() = 0;
    // Forgets the paper centre of the paper-edge check.
    virtual void resetPaperCenter() = 0;
    // The application's current message text, shown after the alarm texts.
    virtual QString messageText() const = 0;
    // Writes the current page's cut file with the identity transform.
    virtual void createPageCutFile() = 0;
    virtual int cutTaskCopies() const = 0;
    // The cut page's mark type is supported (sets the error text if not).
    virtual bool isSupport() = 0;
    // Stops the task as the operator's stop does: the machine's stop
    // (Varnok120X::exitTask) on a thread of its own, after which the status
    // is 2. With wait, returns once that thread is done. A job that ends
    // itself calls it from the work thread, which the driver's shutdown may
    // be waiting for on the main thread: the stop must need neither.
    virtual void stopTask(bool wait) = 0;
    // Books one finished copy; false when the task has all its copies.
    virtual bool finishedOneCopies() = 0;
    // Prints the next batch of the print file.
    virtual void print() = 0;

    // What the rewind, web-guide and trim poller asks. Each has a stand-in
    // here, so that a host without a camera or label check still serves.
    // The rewind length of one label (mm) found by the label check.
    virtual double collectLen() const { return 50.0; }
    // Asks camera 1 (mark) or 2 (check) for an image and waits, bounded, for
    // its handling; true when an image arrived in time. Runs on the calling
    // (collect or work) thread, never on the GUI thread.
    virtual bool doCapture(int camera) { return false; }
    // Horizontal offset of the paper centre in the last label image from the
    // centre before it (mm), measured by the paper-edge check.
    virtual double paperOffset() const { return 0.0; }
    // Shows or hides the lost-label overlay of the check camera.
    virtual void setShowLostLabelView(bool show) {}

    // What the task steps read of the cut page. The size of the opened page
    // in millimetres (height along the web); empty without one.
    virtual QSizeF pageSize() const { return QSizeF(); }
    // The cut scene holds at least one item (a cut file is open).
    virtual bool hasCutItems() const { return false; }

    // What the mark steps read and ask. Stand-ins here: a host without a
    // mark camera sees no mark and has no page marks.
    // The mark being scanned: 0 none, 1 the first.
    virtual int markIndex() const { return 0; }
    // The mark that the last mark capture found: centre in image pixels,
    // (0, 0) for none, and its size in pixels.
    virtual QPointF scanMarkPoint() const { return QPointF(); }
    virtual float scanMarkSize() const { return 0.0f; }
    // Forgets the last capture's mark, so that a capture that brings no
    // image cannot pass off the one before as its own.
    virtual void resetScanMark() {}
    // Web advanced while searching the first mark (mm).
    virtual double searchedLength() const { return 0.0; }
    virtual void setSearchedLength(double /*mm*/) {}
    // A task code was read at the first mark.
    virtual bool hasTaskCode() const { return false; }
    // true before a first-mark search (a code read may switch the cut
    // file), false after it; true when the scene holds the file wanted.
    virtual bool setSwitchCutFile(bool /*b*/) { return true; }
    // The page's marks in scanning order: HPGL units for a scan.
    virtual QPolygonF currentPageMarkPoint(bool /*scan*/ = true) const { return QPolygonF(); }
    // The knife lanes of the page, HPGL units; one per knife of a job.
    virtual QList<int> currentKnifeIntInterval() const { return QList<int>(); }
    // The page's cut data (HPGL) mapped by the fit to the scanned marks.
    virtual QByteArray createPageCutFile(const QTransform & /*transform*/) { return QByteArray(); }

    // Listeners of the task status run on the thread that set it, like a
    // direct connection. The returned id removes the listener.
    using TaskStatusListener = std::function<void(int status)>;
    int addTaskStatusListener(TaskStatusListener listener);
    void removeTaskStatusListener(int id);

    // Listeners of the label-capture request (the application's
    // labelDoCapture: a label template was loaded with trimming on, so the
    // collect side captures at its own moment). Same rules as above.
    using LabelCaptureListener = std::function<void()>;
    int addLabelCaptureListener(LabelCaptureListener listener);
    void removeLabelCaptureListener(int id);

protected:
    void notifyTaskStatus(int status);
    // The implementation calls it whenever it emits labelDoCapture.
    void notifyLabelCapture();

private:
    QMutex m_listenerLock;
    QList<QPair<int, TaskStatusListener>> m_listeners;
    QList<QPair<int, LabelCaptureListener>> m_captureListeners;
    int m_nextListenerId = 1;
};

// Keeps the task status and does nothing else: the driver's host until the
// application object installs itself.
class NullDriverHost : public DriverHost
{
public:
    int taskStatus() const override;
    void setTaskStatus(int status) override;
    void clearFilm(int) override {}
    QString cutFile() const override { return QString(); }
    void setMarkIndex(int) override {}
    void loadCheckParams() override {}
    void resetPaperCenter() override {}
    QString messageText() const override { return QString(); }
    using DriverHost::createPageCutFile;
    void createPageCutFile() override {}
    int cutTaskCopies() const override { return 0; }
    bool isSupport() override { return true; }
    // Without an application nothing else can stop the machine's task: the
    // status alone goes to stopped, so that the next job may start.
    void stopTask(bool) override { setTaskStatus(2); }
    bool finishedOneCopies() override { return true; }
    void print() override {}

private:
    mutable QMutex m_lock;
    int m_taskStatus = 2;
};
