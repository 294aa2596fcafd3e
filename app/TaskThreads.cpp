#include "TaskThreads.h"

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
        m_threads.erase(std::remove_if(m_threads.begin(), m_threads.end(),
                                       [](const std::shared_ptr<QThread> &t) { return t->wait(0); }),
                        m_threads.end());
        m_threads.append(thread);
        // Started under the lock: once joinAll has the list, every thread in
        // it has started and its wait means something.
        thread->start();
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
    for (const auto &thread : threads)
        thread->wait();
}
