#pragma once

#include "device/link/BackgroundThreads.h"
#include "device/link/ReplyQueue.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// The link to the controller: the address, one TCP connection at a time and
// the senders waiting for their replies.
//
// Every frame sent with request() is queued by wait key in the order the
// frames go on the wire (ReplyQueue): a reply goes to the request it answers,
// so two threads sending the same command each get their own reply, and a
// reply that comes after its sender gave up goes to no later sender.
//
// Whoever waits for a reply reads the socket itself when nobody else does
// (one reader at a time): the reply then wakes the waiting thread directly,
// with no hand-over between threads on the way. While no command has been
// under way for a moment, the connection's reader thread takes the frames
// the controller sends on its own (alarms, progress).
//
// The owner decodes the frames (frame handler, on whichever thread reads)
// and hands each reply back with deliver(). Every member may be called from
// any thread; the frame handler may send.
class ControllerLink
{
public:
    using FrameHandler = std::function<void(const QByteArray &frame)>;
    // The connection of `generation` failed on its own (peer gone, write
    // failed): the owner decides what follows, e.g. changeAddress(QString(), generation).
    using DropHandler = std::function<void(quint64 generation)>;

    struct Reply
    {
        bool replied = false; // a reply came within the time-out
        bool ok = false;      // and reported success
        QStringList fields;   // its fields after the id, status first
    };
    struct Delivery
    {
        bool matched = false; // a sender waited for it
        bool late = false;    // it answers a request whose sender gave up
        QByteArray sent;      // the frame it answers (matched or late)
    };

    ControllerLink(FrameHandler onFrame, DropHandler onDrop);
    ~ControllerLink();
    ControllerLink(const ControllerLink &) = delete;
    ControllerLink &operator=(const ControllerLink &) = delete;

    QString address() const;
    // Closes the connection and takes address; false (nothing done) when
    // address is the current one or when *generation is set and no longer
    // current. *generation becomes the new one.
    bool changeAddress(const QString &address, quint64 *generation = nullptr, QString *old = nullptr);
    // Connects to the address of `generation` within timeoutMs and starts
    // its reader. False when it fails (*error says why) or when another
    // address was taken meanwhile.
    bool open(quint64 generation, quint16 port, int timeoutMs, QString *error);
    // Closes the connection, keeping the address; returns the new generation.
    quint64 close();
    // Closes for good: open() refuses from now on. Then waits for the readers.
    void shutDown();
    bool isLinked() const { return m_linked.load(); }
    bool isCurrent(quint64 generation) const;

    // Writes bytes whole; false when not linked or the write failed (which
    // drops the connection: part of a frame may be on the wire).
    bool send(const QByteArray &bytes);
    // Sends frame and waits up to timeoutMs for the reply of key waitId. A
    // reply that has not come by then is still owed to this request for up
    // to lateMs after the send (at least timeoutMs), then given up as lost.
    Reply request(const QByteArray &frame, int waitId, int timeoutMs, int lateMs = kLateMs);
    // Gives a decoded reply to the request of id it answers.
    Delivery deliver(int id, bool ok, const QStringList &fields);

    // How long a reply is still expected after its request by default: the
    // driver's default waitTcpRetMax.
    static constexpr int kLateMs = 10000;

    // How long a sender looks for its reply without sleeping: a reply
    // usually comes within tens of microseconds, and waking a sleeping
    // thread can cost more than that on a busy or virtual machine.
    static constexpr int kSpinMicros = 100;

private:
    struct Wait;
    struct Connection;
    using Clock = std::chrono::steady_clock;

    std::shared_ptr<Connection> current(quint64 *generation = nullptr) const;
    void closeLocked(std::shared_ptr<Connection> *closed);
    void abandonAll();
    bool writeLocked(const std::shared_ptr<Connection> &connection, const QByteArray &bytes);
    // With the connection's read turn held: handles one received frame, or
    // reads, or waits for bytes (looking without sleeping until spinUntil,
    // then sleeping until deadline). False once the connection is gone.
    bool readStep(Connection &c, Clock::time_point spinUntil, Clock::time_point deadline);
    // Hands the read turn back, after the frames already read are handled.
    void releaseTurn(Connection &c);
    void readLoop(std::shared_ptr<Connection> c);
    void connectionFailed(Connection &c, qint64 n, int err);

    FrameHandler m_onFrame;
    DropHandler m_onDrop;

    mutable QMutex m_linkLock; // guards the four below
    QString m_address;
    std::shared_ptr<Connection> m_connection;
    quint64 m_generation = 1;
    bool m_shutDown = false;
    std::atomic<bool> m_linked{false};

    // One writer at a time, so frames never interleave and the waits queue
    // in wire order.
    QMutex m_sendLock;
    mutable std::mutex m_waitLock; // guards the queue and every Wait's result
    ReplyQueue m_replies;
    // Senders under way, and when the last one ended: while senders come and
    // go, they read for themselves and the reader thread stands aside.
    std::atomic<int> m_senders{0};
    std::atomic<qint64> m_lastSender{0};

    BackgroundThreads m_readers;
};
