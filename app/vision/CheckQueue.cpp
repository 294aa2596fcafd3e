#include "app/vision/CheckQueue.h"

#include <QDebug>
#include <QThread>
#include <algorithm>

CheckQueue::CheckQueue(Work work) : m_work(std::move(work)) {}

CheckQueue::~CheckQueue()
{
    close();
}

bool CheckQueue::onOwnThread() const
{
    return QThread::currentThread() == m_self.load();
}

bool CheckQueue::isClosed() const
{
    QMutexLocker lock(&m_lock);
    return m_closed;
}

CheckQueue::Handed CheckQueue::submit(int id, const QImage &image)
{
    Handed handed;
    QMutexLocker lock(&m_lock);
    if (m_closed)
        return handed;
    if (!m_thread) {
        std::unique_ptr<QThread> thread(QThread::create([this] { run(); }));
        thread->setObjectName(QStringLiteral("label check"));
        thread->start();
        if (!thread->isRunning() && !thread->isFinished()) {
            qCritical().noquote() << "CheckQueue::submit" << "no thread could be started";
            return handed;
        }
        m_self.store(thread.get());
        m_thread = std::move(thread);
    }
    if (m_pending)
        handed.replaced = m_pending->id;
    m_pending = Pending{id, image, ++m_submitted};
    handed.accepted = true;
    m_wake.wakeOne();
    return handed;
}

void CheckQueue::run()
{
    QMutexLocker lock(&m_lock);
    for (;;) {
        while (!m_pending && !m_closed)
            m_wake.wait(&m_lock);
        if (!m_pending)
            return; // closed, nothing left
        const Pending next = std::move(*m_pending);
        m_pending.reset();
        lock.unlock();
        m_work(next.id, next.image);
        lock.relock();
        m_handled = std::max(m_handled, next.serial);
        m_done.wakeAll();
    }
}

void CheckQueue::finish()
{
    if (onOwnThread()) {
        qCritical().noquote() << "CheckQueue::finish" << "called from the check itself: not waited for";
        return;
    }
    QMutexLocker lock(&m_lock);
    const quint64 target = m_submitted;
    while (m_handled < target && m_thread)
        m_done.wait(&m_lock);
}

std::optional<int> CheckQueue::close()
{
    if (onOwnThread()) {
        qCritical().noquote() << "CheckQueue::close" << "called from the check itself: not joined";
        return std::nullopt;
    }
    std::optional<int> dropped;
    std::unique_ptr<QThread> thread;
    {
        QMutexLocker lock(&m_lock);
        m_closed = true;
        if (m_pending) {
            dropped = m_pending->id;
            m_handled = std::max(m_handled, m_pending->serial);
            m_pending.reset();
        }
        m_wake.wakeAll();
        m_done.wakeAll();
        thread.swap(m_thread);
    }
    if (thread) {
        thread->wait();
        m_self.store(nullptr);
    }
    return dropped;
}
