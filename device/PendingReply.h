#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QStringList>
#include <QWaitCondition>
#include <memory>

// The wait record of one wait key (a command id, or a derived reply id).
// The sender holds the mutex from before its send until its wait ends; the
// reader thread fills the record and wakes the sender under the same mutex,
// so a reply that comes before the sender waits is not lost.
struct PendingReply
{
    PendingReply(int waitId, int waitMs) : id(waitId), timeoutMs(waitMs) {}

    QMutex mutex;
    QWaitCondition condition;
    int id;
    int timeoutMs;           // fixed when the record is made
    bool replied = false;    // a reply arrived since the last send
    bool ok = false;         // that reply reported success
    QElapsedTimer sendTime;  // monotonic, started at the last send
    QByteArray frame;        // the last frame sent
    QStringList fields;      // reply fields after the id, status first
};

// The records by wait key. Records live until clear(); holders keep a shared
// reference so that clearing never frees a record somebody waits on.
class PendingReplies
{
public:
    // The record for id, made with timeoutMs when absent.
    std::shared_ptr<PendingReply> obtain(int id, int timeoutMs)
    {
        QMutexLocker lock(&m_lock);
        auto &slot = m_records[id];
        if (!slot)
            slot = std::make_shared<PendingReply>(id, timeoutMs);
        return slot;
    }
    // Null when nobody ever waited on id.
    std::shared_ptr<PendingReply> find(int id) const
    {
        QMutexLocker lock(&m_lock);
        return m_records.value(id);
    }
    // Wakes every waiter so that it can see that the link is gone (the
    // caller has already marked it gone). A record whose mutex is held is not
    // waited on at this moment: its holder tests the link before it waits.
    // Never blocks, so it may run on a thread that holds a record itself.
    void wakeAll() const
    {
        const auto records = all();
        for (const auto &r : records) {
            if (r->mutex.tryLock()) {
                r->condition.wakeAll();
                r->mutex.unlock();
            } else {
                r->condition.wakeAll();
            }
        }
    }
    void clear()
    {
        QMutexLocker lock(&m_lock);
        m_records.clear();
    }
    bool contains(int id) const
    {
        QMutexLocker lock(&m_lock);
        return m_records.contains(id);
    }

private:
    QList<std::shared_ptr<PendingReply>> all() const
    {
        QMutexLocker lock(&m_lock);
        return m_records.values();
    }

    mutable QMutex m_lock;
    QHash<int, std::shared_ptr<PendingReply>> m_records;
};
