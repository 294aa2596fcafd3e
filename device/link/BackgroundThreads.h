#pragma once

#include <QList>
#include <QMutex>
#include <QThread>
#include <functional>

// The driver's short-lived threads (link, reader, reruns of the initial
// reads, asynchronous sends). They are kept, not detached, so that the
// driver can wait for every one of them before it goes away.
class BackgroundThreads
{
public:
    BackgroundThreads() = default;
    ~BackgroundThreads() { joinAll(); }
    BackgroundThreads(const BackgroundThreads &) = delete;
    BackgroundThreads &operator=(const BackgroundThreads &) = delete;

    // Starts body on a new thread; false (body not run) once joinAll began.
    bool start(const QString &name, std::function<void()> body);
    // Refuses new threads and waits for all running ones, including any that
    // they start meanwhile. Must not run on one of these threads.
    void joinAll();
    // Threads not yet finished (for tests and the log).
    int running() const;

private:
    void reapFinishedLocked();

    mutable QMutex m_lock;
    QList<QThread *> m_threads;
    bool m_stopping = false;
};
