#include "device/HostListeners.h"

#include <QThread>

struct HostListeners::Entry
{
    int id = 0;
    Listener call;
    bool removed = false;
    // The threads in a call of it right now (a thread may be in it twice).
    QList<Qt::HANDLE> callers;
};

int HostListeners::add(Listener listener)
{
    QMutexLocker lock(&m_lock);
    auto entry = std::make_shared<Entry>();
    entry->id = m_nextId++;
    entry->call = std::move(listener);
    m_entries.append(entry);
    return entry->id;
}

void HostListeners::remove(int id)
{
    QMutexLocker lock(&m_lock);
    std::shared_ptr<Entry> entry;
    for (qsizetype i = 0; i < m_entries.size() && !entry; ++i) {
        if (m_entries.at(i)->id == id)
            entry = m_entries.takeAt(i);
    }
    if (!entry)
        return;
    entry->removed = true;
    // A call on this very thread is the caller's own: waiting for it would
    // never end.
    const Qt::HANDLE self = QThread::currentThreadId();
    const auto othersCalling = [&] {
        for (Qt::HANDLE caller : std::as_const(entry->callers)) {
            if (caller != self)
                return true;
        }
        return false;
    };
    while (othersCalling())
        m_callEnded.wait(&m_lock);
}

void HostListeners::notify(int value)
{
    QList<std::shared_ptr<Entry>> entries;
    {
        QMutexLocker lock(&m_lock);
        entries = m_entries;
    }
    const Qt::HANDLE self = QThread::currentThreadId();
    for (const std::shared_ptr<Entry> &entry : std::as_const(entries)) {
        {
            QMutexLocker lock(&m_lock);
            if (entry->removed)
                continue;
            entry->callers.append(self);
        }
        entry->call(value);
        QMutexLocker lock(&m_lock);
        entry->callers.removeOne(self);
        m_callEnded.wakeAll();
    }
}
