#pragma once

#include <QList>
#include <QMutex>
#include <functional>
#include <memory>

class QThread;

// The short-lived threads of the application (pause, resume, stop, label
// check): each runs one body; joinAll waits for every one and refuses new
// ones from then on, so that nothing started outlives the shutdown.
class TaskThreads
{
public:
    TaskThreads() = default;
    TaskThreads(const TaskThreads &) = delete;
    TaskThreads &operator=(const TaskThreads &) = delete;
    ~TaskThreads() { joinAll(); }

    // Runs body on a thread of its own, and with wait returns once it is
    // done; false when closed or when no thread can be made (body not run,
    // origin's warning logged).
    bool run(const char *origin, std::function<void()> body, bool wait);
    void joinAll();

private:
    QMutex m_lock;
    QList<std::shared_ptr<QThread>> m_threads;
    bool m_closed = false;
};
