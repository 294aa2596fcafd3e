#pragma once

#include <QMutex>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

// The hand-over of camera images between the threads that ask for them and
// the GUI thread, where the cameras answer. Answers carry no request number:
// they are matched to requests in order per camera, and an answer owed to a
// request that gave up is taken off the next request rather than satisfying it.
class CaptureHandover
{
public:
    CaptureHandover() = default;
    CaptureHandover(const CaptureHandover &) = delete;
    CaptureHandover &operator=(const CaptureHandover &) = delete;

    // Asks camera id through ask (false: no request went out) and waits up
    // to waitMs for the answer of this very request; true when it came.
    // On the GUI thread, which delivers the answers, asks and returns false
    // at once: its answer is handled when it comes and owed to nobody else.
    // One waiting request per camera at a time; others queue behind it.
    bool request(int id, bool onGuiThread, int waitMs, const std::function<bool()> &ask);
    // The camera's answer (after its image was handled).
    void answer(int id);
    // Wakes every waiting request at once (each returns false) and refuses
    // every later one: the shutdown must not wait for a camera that only
    // the GUI thread, now closing, would answer.
    void cancel();
    // Wakes the requests waiting right now (each returns false); later
    // requests wait as usual.
    void abandonWaiting();
    bool isCancelled() const { return m_cancelled.load(); }
    // A request (of a thread other than the GUI thread) waits for its answer.
    bool isWaiting() const { return m_waiting.load() > 0; }

private:
    struct Waiter
    {
        QMutex requests; // one waiting request at a time
        QMutex mutex;    // the fields below
        QWaitCondition answered;
        bool ready = false;   // the waiting request got its answer
        bool waiting = false; // a request waits right now
        // An answer still owed to a request that no longer waits (or to a
        // GUI-thread request, which never waits): the next answer is that.
        bool owed = false;
        // The waiting request took an owed answer off. Should it time out
        // all the same, that answer may have been its own (the camera lost
        // the earlier one): it then leaves no debt, so that one lost answer
        // costs one request, not every request after it.
        bool tookOwed = false;
    };
    Waiter *waiterFor(int id);
    void wakeAll();

    QMutex m_waitersLock;
    std::map<int, std::unique_ptr<Waiter>> m_waiters; // never shrinks: pointers stay valid
    std::atomic<bool> m_cancelled{false};
    // Counts abandonWaiting calls: a request waits only while it stays the same.
    std::atomic<unsigned> m_round{0};
    std::atomic<int> m_waiting{0};
};
