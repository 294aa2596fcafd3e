#pragma once

#include <QList>
#include <QMutex>
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

    // Listeners of the task status run on the thread that set it, like a
    // direct connection. The returned id removes the listener.
    using TaskStatusListener = std::function<void(int status)>;
    int addTaskStatusListener(TaskStatusListener listener);
    void removeTaskStatusListener(int id);

protected:
    void notifyTaskStatus(int status);

private:
    QMutex m_listenerLock;
    QList<QPair<int, TaskStatusListener>> m_listeners;
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
