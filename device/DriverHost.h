#pragma once

#include "device/HostListeners.h"

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <atomic>
#include <functional>

// What the driver, its task steps and its pollers need of the application,
// in three roles: the task (status and copies), the cut source (the open
// cut page) and vision (the cameras and what they saw). The application's
// parts implement them; until they are installed the driver uses the null
// stand-ins below, so that it runs (and is tested) on its own.
//
// Every call may come from any driver thread (reader, link, work, poll).

// The task: its status, its copies, its stop.
class TaskHost
{
public:
    virtual ~TaskHost() = default;

    // Task status: 0 paused, 1 running, 2 stopped.
    int taskStatus() const { return m_status.load(); }
    // Stores the status and tells the listeners, every time, also when the
    // value did not change. When several threads set it at once, the
    // listeners hear the values in turn and the current one last: a
    // listener is never left with a value the task no longer has.
    void setTaskStatus(int status);

    // Stops the task as the operator's stop does: the machine's stop
    // (Varnok120X::exitTask) on a thread of its own, after which the status
    // is 2. With wait, returns once that thread is done. A job that ends
    // itself calls it from the work thread, which the driver's shutdown may
    // be waiting for on the main thread: the stop must need neither.
    virtual void stopTask(bool wait) = 0;
    // Books one finished copy; false when the task has all its copies.
    virtual bool finishedOneCopies() = 0;
    virtual int cutTaskCopies() const = 0;
    // Prints the next batch of the print file.
    virtual void print() = 0;
    // Reloads the label-check parameters.
    virtual void loadCheckParams() = 0;
    // The application's current message text, shown after the alarm texts.
    virtual QString messageText() const = 0;

    // Listeners of the status run on a thread that set it, like a direct
    // connection. The returned id removes the listener.
    using TaskStatusListener = std::function<void(int status)>;
    int addTaskStatusListener(TaskStatusListener listener) { return m_listeners.add(std::move(listener)); }
    void removeTaskStatusListener(int id) { m_listeners.remove(id); }

protected:
    // Runs on the setting thread right after the store, before the listeners.
    virtual void taskStatusStored(int /*old*/, int /*status*/) {}

private:
    std::atomic<int> m_status{2};
    HostListeners m_listeners;
    QMutex m_deliveryLock;
    int m_undelivered = 0; // stores since the deliverer last read the status
    bool m_delivering = false;
};

// The cut page: what the task steps cut and where its marks are.
class CutSource
{
public:
    virtual ~CutSource() = default;

    // Path of the working cut file; empty when none is chosen.
    virtual QString cutFile() const = 0;
    // The cut scene holds at least one item (a cut file is open).
    virtual bool hasCutItems() const = 0;
    // The size of the opened page in millimetres (height along the web); empty without one.
    virtual QSizeF pageSize() const = 0;
    // The page's marks in scanning order: HPGL units for a scan, else points.
    virtual QPolygonF currentPageMarkPoint(bool scan = true) const = 0;
    // The knife lanes of the page, HPGL units; one per knife of a job.
    virtual QList<int> currentKnifeIntInterval() const = 0;
    // The page's cut data (HPGL) mapped by transform, the fit to the
    // scanned marks. The job that asks keeps it: nobody else holds a copy.
    virtual QByteArray createPageCutFile(const QTransform &transform) = 0;
    // true before a first-mark search (a code read may switch the cut
    // file), false after it; true when the scene holds the file wanted.
    virtual bool setSwitchCutFile(bool b) = 0;
    // The page's mark type is supported (sets the error text if not).
    virtual bool isSupport() = 0;
};

// The cameras and what they saw: mark scans, the label check, the paper edge.
class VisionHost
{
public:
    virtual ~VisionHost() = default;

    // Asks camera 1 (mark) or 2 (check) for an image and waits, bounded, for
    // its handling; true when an image arrived in time. Runs on the calling
    // (collect or work) thread, never on the GUI thread.
    virtual bool doCapture(int camera) = 0;
    // The driver is going: a capture that one of its threads waits for gives
    // up now, since the thread that would answer it may be the one waiting
    // for the driver to end. Later requests (another driver's) go on as usual.
    virtual void abandonCaptures() {}
    // The mark that the last mark capture found: centre in image pixels,
    // (0, 0) for none, and its size in pixels.
    virtual QPointF scanMarkPoint() const = 0;
    virtual float scanMarkSize() const = 0;
    // Forgets the last capture's mark, so that a capture that brings no
    // image cannot pass off the one before as its own.
    virtual void resetScanMark() = 0;
    // The mark being scanned: 0 none, 1 the first.
    virtual int markIndex() const = 0;
    virtual void setMarkIndex(int index) = 0;
    // Clears the result of the film record at index (-1: every record).
    virtual void clearFilm(int index) = 0;
    // Web advanced while searching the first mark (mm).
    virtual double searchedLength() const = 0;
    virtual void setSearchedLength(double mm) = 0;
    // A task code was read at the first mark.
    virtual bool hasTaskCode() const = 0;
    // The rewind length of one label (mm) found by the label check.
    virtual double collectLen() const = 0;
    // Horizontal offset of the paper centre in the last label image from the
    // centre before it (mm), measured by the paper-edge check.
    virtual double paperOffset() const = 0;
    // Forgets the paper centre of the paper-edge check.
    virtual void resetPaperCenter() = 0;
    // Shows or hides the lost-label overlay of the check camera.
    virtual void setShowLostLabelView(bool show) = 0;

    // Listeners of the label-capture request (a label template was loaded
    // with trimming on, so the collect side captures at its own moment);
    // they run on the asking thread. The returned id removes the listener.
    using LabelCaptureListener = std::function<void()>;
    int addLabelCaptureListener(LabelCaptureListener listener);
    void removeLabelCaptureListener(int id) { m_listeners.remove(id); }

protected:
    void notifyLabelCapture() { m_listeners.notify(0); }

private:
    HostListeners m_listeners;
};

// Without an application nothing else can stop the machine's task: the
// status alone goes to stopped, so that the next job may start.
class NullTaskHost : public TaskHost
{
public:
    void stopTask(bool) override { setTaskStatus(2); }
    bool finishedOneCopies() override { return true; }
    int cutTaskCopies() const override { return 0; }
    void print() override {}
    void loadCheckParams() override {}
    QString messageText() const override { return QString(); }
};

// No page open: nothing to cut, no marks, every mark type accepted.
class NullCutSource : public CutSource
{
public:
    QString cutFile() const override { return QString(); }
    bool hasCutItems() const override { return false; }
    QSizeF pageSize() const override { return QSizeF(); }
    QPolygonF currentPageMarkPoint(bool) const override { return QPolygonF(); }
    QList<int> currentKnifeIntInterval() const override { return QList<int>(); }
    QByteArray createPageCutFile(const QTransform &) override { return QByteArray(); }
    bool setSwitchCutFile(bool) override { return true; }
    bool isSupport() override { return true; }
};

// No camera: no capture comes, no mark is seen, the rewind length is the default.
class NullVisionHost : public VisionHost
{
public:
    bool doCapture(int) override { return false; }
    QPointF scanMarkPoint() const override { return QPointF(); }
    float scanMarkSize() const override { return 0.0f; }
    void resetScanMark() override {}
    int markIndex() const override { return 0; }
    void setMarkIndex(int) override {}
    void clearFilm(int) override {}
    double searchedLength() const override { return 0.0; }
    void setSearchedLength(double) override {}
    bool hasTaskCode() const override { return false; }
    double collectLen() const override { return 50.0; }
    double paperOffset() const override { return 0.0; }
    void resetPaperCenter() override {}
    void setShowLostLabelView(bool) override {}
};
