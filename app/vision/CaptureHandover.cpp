#include "app/vision/CaptureHandover.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <optional>

CaptureHandover::Waiter *CaptureHandover::waiterFor(int id)
{
    QMutexLocker lock(&m_waitersLock);
    std::unique_ptr<Waiter> &slot = m_waiters[id];
    if (!slot)
        slot = std::make_unique<Waiter>();
    return slot.get();
}

bool CaptureHandover::request(int id, bool onGuiThread, int waitMs, const std::function<bool()> &ask)
{
    if (m_cancelled.load())
        return false;
    Waiter *waiter = waiterFor(id);
    std::optional<QMutexLocker<QMutex>> serial;
    if (!onGuiThread)
        serial.emplace(&waiter->requests);
    // From the ask to the end of the wait.
    struct Waiting
    {
        std::atomic<int> *count;
        ~Waiting() { if (count) count->fetch_sub(1); }
    } waiting{onGuiThread ? nullptr : &m_waiting};
    if (!onGuiThread)
        m_waiting.fetch_add(1);
    bool previouslyOwed = false;
    const unsigned round = m_round.load();
    {
        QMutexLocker lock(&waiter->mutex);
        if (m_cancelled.load())
            return false;
        if (onGuiThread) {
            // Its answer is no worker's: the next answer is owed to it.
            previouslyOwed = waiter->owed;
            if (!waiter->waiting)
                waiter->owed = true;
        } else {
            waiter->ready = false;
            waiter->waiting = true;
            waiter->tookOwed = false;
        }
    }
    // Asked without the waiter's mutex held: an answer given within the
    // request itself (a direct connection) takes the mutex as any other.
    const bool asked = ask();

    QMutexLocker lock(&waiter->mutex);
    if (onGuiThread) {
        if (!asked && !waiter->waiting)
            waiter->owed = previouslyOwed;
        return false;
    }
    const QDeadlineTimer deadline(qMax(0, waitMs));
    while (!waiter->ready && !m_cancelled.load() && m_round.load() == round && !deadline.hasExpired())
        waiter->answered.wait(&waiter->mutex, deadline);
    const bool ready = waiter->ready;
    // The answer of a request that stops waiting now may still come: the
    // next request must not take it for its own.
    if (!ready && asked && !waiter->tookOwed)
        waiter->owed = true;
    waiter->waiting = false;
    waiter->ready = false;
    return ready;
}

void CaptureHandover::answer(int id)
{
    Waiter *waiter = waiterFor(id);
    QMutexLocker lock(&waiter->mutex);
    if (waiter->owed) {
        waiter->owed = false;
        if (waiter->waiting)
            waiter->tookOwed = true;
        qDebug().noquote() << "DravolinteApp::answerCapture" << id << "answer of an earlier request: not this request's";
        return;
    }
    if (!waiter->waiting) {
        qDebug().noquote() << "DravolinteApp::answerCapture" << id << "no request waits for this answer";
        return;
    }
    waiter->ready = true;
    waiter->answered.wakeAll();
}

void CaptureHandover::cancel()
{
    m_cancelled.store(true);
    wakeAll();
}

void CaptureHandover::abandonWaiting()
{
    m_round.fetch_add(1);
    wakeAll();
}

void CaptureHandover::wakeAll()
{
    QMutexLocker lock(&m_waitersLock);
    for (auto &entry : m_waiters) {
        // Under the waiter's mutex: a request between its check and its
        // wait cannot miss this wake-up.
        QMutexLocker waiterLock(&entry.second->mutex);
        entry.second->answered.wakeAll();
    }
}
