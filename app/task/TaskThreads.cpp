#include "app/task/TaskThreads.h"

#include <QDebug>
#include <QThread>
#include <algorithm>

bool TaskThreads::run(const char *origin, std::function<void()> body, bool wait)
{
    std::shared_ptr<QThread> thread(QThread::create(std::move(body)));
    {
        QMutexLocker lock(&m_lock);
        if (m_closed) {
            lock.unlock();
            qWarning().noquote() << origin << "the program is closing";
            return false;
        }
        // Those done go; wait(0) is true only once a thread is wholly through.
        // A body that starts another (a check that pauses the task) is one of
        // them, and still running: it is not asked to wait for itself.
        QThread *self = QThread::currentThread();
        m_threads.erase(std::remove_if(m_threads.begin(), m_threads.end(),
                                       [self](const std::shared_ptr<QThread> &t) {
                                           return t.get() != self && t->wait(0);
                                       }),
                        m_threads.end());
        // Started under the lock: once joinAll has the list, every thread in
        // it has started and its wait means something.
        thread->start();
        // A thread the system would not make: the body never runs.
        if (!thread->isRunning() && !thread->isFinished()) {
            lock.unlock();
            qCritical().noquote() << origin << "no thread could be started";
            return false;
        }
        m_threads.append(thread);
    }
    if (wait)
        thread->wait();
    return true;
}

void TaskThreads::joinAll()
{
    QList<std::shared_ptr<QThread>> threads;
    {
        QMutexLocker lock(&m_lock);
        m_closed = true;
        threads.swap(m_threads);
    }
    for (const auto &thread : threads) {
        if (thread.get() == QThread::currentThread())
            qCritical().noquote() << "TaskThreads::joinAll" << "called from a task thread: it is not joined";
        else
            thread->wait();
    }
}
