#include "device/link/BackgroundThreads.h"

bool BackgroundThreads::start(const QString &name, std::function<void()> body)
{
    QMutexLocker lock(&m_lock);
    if (m_stopping)
        return false;
    reapFinishedLocked();
    QThread *thread = QThread::create(std::move(body));
    thread->setObjectName(name);
    m_threads.append(thread);
    thread->start();
    return true;
}

void BackgroundThreads::joinAll()
{
    for (;;) {
        QList<QThread *> threads;
        {
            QMutexLocker lock(&m_lock);
            m_stopping = true;
            threads.swap(m_threads);
        }
        if (threads.isEmpty())
            return;
        for (QThread *t : threads) {
            t->wait();
            delete t;
        }
    }
}

int BackgroundThreads::running() const
{
    QMutexLocker lock(&m_lock);
    int n = 0;
    for (QThread *t : m_threads)
        n += t->isFinished() ? 0 : 1;
    return n;
}

void BackgroundThreads::reapFinishedLocked()
{
    for (int i = m_threads.size() - 1; i >= 0; --i) {
        QThread *t = m_threads.at(i);
        if (t->isFinished()) {
            t->wait();
            delete t;
            m_threads.removeAt(i);
        }
    }
}
