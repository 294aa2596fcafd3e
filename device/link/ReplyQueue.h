#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <deque>

// The requests of each wait key that still expect a reply, in the order they
// went on the wire, and which of them a reply answers. Not locked: its owner
// (ControllerLink) holds its wait lock around every call.
//
// The controller answers the requests of one key in the order it was asked.
// A sender that stops waiting leaves its request in the queue: the reply is
// still owed to it, and when it comes it is that request's late reply, which
// updates the machine state like any other but goes to no later sender.
//
// Whose a reply is: the oldest request of its key, unless the reply
// contradicts that request's arguments (the controller echoes them: "6,1,0,500;"
// is answered "6,0,1,0,500;") and a later request's arguments are confirmed
// where the first one's are contradicted: then it is that later request's, and
// the ones passed over keep waiting (their replies came out of turn, or not
// at all). A "0" argument proves nothing (reads send 0 where the reply puts a
// value).
//
// A reply that never comes would shift every later reply of its key for ever:
// each would be taken as the late reply of the request before. An owed reply
// is therefore given up as lost (logged, and no longer waited for):
//  - once its request is older than its bound, at least the sender's wait
//    (the driver gives waitTcpRetMax): a late reply comes within it or never;
//  - when the requests of its key have been behind for longer than that
//    bound (every reply since went to a request that had given up while the
//    next one was already on the wire) and the reply could as well be the
//    next waiting sender's. Lost replies look exactly like that; late ones
//    only while the controller stays behind for so long. The owed requests
//    before that sender are then taken as the ones whose replies were lost,
//    and the key is in step again.
// One more case needs no waiting: the very same frame sent again while the
// reply to it is owed. Both would be told the same, so the reply goes to the
// sender that waits and the owed ones before it are given up.
// So a late reply is told from a lost one by its age and by what it echoes.
class ReplyQueue
{
public:
    // A sender's side of a request, owned by the sender; the queue only
    // hands it back with the reply.
    struct Waiter
    {
    };

    struct Answer
    {
        Waiter *waiter = nullptr; // the sender that waits for this reply
        bool late = false;        // the reply of a request whose sender gave up
        QByteArray frame;         // the request answered (when waiter or late)
    };

    // A request just written (under the send lock, so in wire order).
    void push(int key, const QByteArray &frame, Waiter *waiter, qint64 nowNs, qint64 boundNs);
    // The request was not written after all: nothing is owed.
    void withdraw(int key, Waiter *waiter);
    // The sender stops waiting; its reply stays owed to the request.
    void giveUp(int key, Waiter *waiter);
    // Whose a reply of key with these fields (status first) is.
    Answer answer(int key, const QStringList &fields, qint64 nowNs);
    // The connection is gone: no reply will come. Returns the senders still waiting.
    QList<Waiter *> clear();
    // One sender still waiting, if any (to hand it the read turn).
    Waiter *anyWaiter() const;
    // Requests of key still in the queue, waited for or owed (for tests).
    int size(int key) const;

private:
    struct Request
    {
        QByteArray frame;
        QStringList arguments; // after the id
        qint64 sentNs = 0;
        qint64 boundNs = 0;
        // Since when this request's reply may have been taken by the request
        // before it (each late reply leaves the next request in doubt).
        qint64 doubtSinceNs = 0;
        Waiter *waiter = nullptr; // null: the sender gave up
    };
    using Queue = std::deque<Request>;

    static void expire(Queue &queue, qint64 nowNs);
    static int pick(const Queue &queue, const QStringList &fields);
    static void lost(const char *origin, const Request &request, const char *why);

    QHash<int, Queue> m_keys; // kept when empty: a key's next request needs no new queue
};
