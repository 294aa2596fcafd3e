#pragma once

#include <QImage>
#include <QMutex>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QThread;

// The label check's thread and the images waiting for it: one image is
// checked at a time, at most one more waits, and a newer image takes the
// waiting one's place (handed back, so that its requester can be answered).
//
// The thread is made with the first image and lives until close(). Only the
// owner joins it (finish, close); the thread never waits for itself, and
// nothing it runs may call them.
class CheckQueue
{
public:
    // Runs on the queue's thread, one image after the other.
    using Work = std::function<void(int id, const QImage &image)>;

    explicit CheckQueue(Work work);
    ~CheckQueue();
    CheckQueue(const CheckQueue &) = delete;
    CheckQueue &operator=(const CheckQueue &) = delete;

    struct Handed
    {
        bool accepted = false;      // false: closed, or no thread could be made; not checked
        std::optional<int> replaced; // the id of the waiting image this one replaced, now unchecked
    };
    Handed submit(int id, const QImage &image);

    // Returns once every image handed in before the call has been checked
    // or handed back; new images are still taken.
    void finish();
    // Takes no more images, joins the thread; the id of the image that was
    // still waiting, now unchecked.
    std::optional<int> close();

    bool isClosed() const;

private:
    struct Pending
    {
        int id = 0;
        QImage image;
        quint64 serial = 0;
    };

    void run();
    bool onOwnThread() const;

    Work m_work;
    mutable QMutex m_lock; // the members below
    QWaitCondition m_wake; // an image waits, or the queue closes
    QWaitCondition m_done; // an image was checked
    std::optional<Pending> m_pending;
    quint64 m_submitted = 0; // serial of the last image handed in
    quint64 m_handled = 0;   // serial of the last image checked or handed back
    bool m_closed = false;
    std::unique_ptr<QThread> m_thread;
    std::atomic<QThread *> m_self{nullptr}; // the thread, for telling it from its owner
};
