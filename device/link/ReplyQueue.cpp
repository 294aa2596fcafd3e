#include "device/link/ReplyQueue.h"

#include "device/link/FrameCodec.h"

#include <QDebug>

namespace {

QStringList argumentsOf(const QByteArray &frame)
{
    // A command reads like a reply: the id, then its fields.
    const std::optional<FrameCodec::CommandReply> parsed = FrameCodec::parseCommandReply(frame);
    return parsed ? parsed->fields : QStringList();
}

bool isZero(const QString &text)
{
    bool ok = false;
    return text.trimmed().toDouble(&ok) == 0.0 && ok;
}

bool same(const QString &a, const QString &b)
{
    bool okA = false, okB = false;
    const double x = a.trimmed().toDouble(&okA), y = b.trimmed().toDouble(&okB);
    return okA && okB ? x == y : a.trimmed() == b.trimmed();
}

// What the reply says of argument i: 1 confirmed, -1 contradicted, 0 nothing
// (a "0" argument, or no such field).
int echo(const QStringList &arguments, const QStringList &fields, int i)
{
    if (i + 1 >= fields.size() || isZero(arguments.at(i)))
        return 0;
    return same(arguments.at(i), fields.at(i + 1)) ? 1 : -1;
}

bool contradicts(const QStringList &arguments, const QStringList &fields)
{
    for (int i = 0; i < arguments.size(); ++i) {
        if (echo(arguments, fields, i) < 0)
            return true;
    }
    return false;
}

QByteArray logFrame(const QByteArray &frame)
{
    constexpr int kMax = 200;
    return frame.size() <= kMax ? frame : frame.left(kMax) + "...";
}

} // namespace

void ReplyQueue::push(int key, const QByteArray &frame, Waiter *waiter, qint64 nowNs, qint64 boundNs)
{
    Queue &queue = m_keys[key];
    expire(queue, nowNs);
    queue.push_back(Request{frame, argumentsOf(frame), nowNs, boundNs, nowNs, waiter});
}

void ReplyQueue::withdraw(int key, Waiter *waiter)
{
    auto found = m_keys.find(key);
    if (found == m_keys.end())
        return;
    for (auto it = found->begin(); it != found->end(); ++it) {
        if (it->waiter == waiter) {
            found->erase(it);
            return;
        }
    }
}

void ReplyQueue::giveUp(int key, Waiter *waiter)
{
    auto found = m_keys.find(key);
    if (found == m_keys.end())
        return;
    for (Request &request : *found) {
        if (request.waiter == waiter) {
            request.waiter = nullptr;
            return;
        }
    }
}

void ReplyQueue::lost(const char *origin, const Request &request, const char *why)
{
    qWarning().noquote() << origin << "no reply to" << logFrame(request.frame) << why;
}

void ReplyQueue::expire(Queue &queue, qint64 nowNs)
{
    for (auto it = queue.begin(); it != queue.end();) {
        if (!it->waiter && nowNs - it->sentNs > it->boundNs) {
            lost("ReplyQueue::expire", *it, "within its bound, given up");
            it = queue.erase(it);
        } else {
            ++it;
        }
    }
}

int ReplyQueue::pick(const Queue &queue, const QStringList &fields)
{
    const QStringList &first = queue.front().arguments;
    if (!contradicts(first, fields))
        return 0;
    for (int k = 1; k < int(queue.size()); ++k) {
        const QStringList &later = queue[size_t(k)].arguments;
        if (contradicts(later, fields))
            continue;
        for (int i = 0; i < qMin(first.size(), later.size()); ++i) {
            if (echo(first, fields, i) < 0 && echo(later, fields, i) > 0)
                return k;
        }
    }
    // Nothing speaks for another request: the order decides.
    return 0;
}

ReplyQueue::Answer ReplyQueue::answer(int key, const QStringList &fields, qint64 nowNs)
{
    Answer answer;
    auto found = m_keys.find(key);
    if (found == m_keys.end())
        return answer;
    Queue &queue = found.value();
    expire(queue, nowNs);
    if (queue.empty())
        return answer;
    size_t at = size_t(pick(queue, fields));
    if (!queue[at].waiter) {
        // The very same request asked again while its reply is owed: the reply
        // says what either would be told, so it goes to the sender that waits,
        // who would otherwise time out on an answer it has. The owed ones
        // before it are not waited for any more.
        size_t again = at + 1;
        while (again < queue.size() && !queue[again].waiter && queue[again].frame == queue[at].frame)
            ++again;
        if (again < queue.size() && queue[again].waiter && queue[again].frame == queue[at].frame) {
            for (size_t i = at; i < again; ++i)
                lost("ReplyQueue::answer", queue[i], "while the same request waits again, given up");
            queue.erase(queue.begin() + qsizetype(at), queue.begin() + qsizetype(again));
        }
    }
    if (!queue[at].waiter && nowNs - queue[at].doubtSinceNs > queue[at].boundNs) {
        // Behind for too long: the owed requests up to the next sender that
        // waits are taken as the ones whose replies were lost, and the reply
        // as that sender's, when it can be.
        size_t waiting = at + 1;
        while (waiting < queue.size() && !queue[waiting].waiter)
            ++waiting;
        if (waiting < queue.size() && !contradicts(queue[waiting].arguments, fields)) {
            for (size_t i = at; i < waiting; ++i)
                lost("ReplyQueue::answer", queue[i], "while its key was behind for longer than its bound, given up");
            queue.erase(queue.begin() + qsizetype(at), queue.begin() + qsizetype(waiting));
        }
    }
    const Request request = queue[at];
    queue.erase(queue.begin() + qsizetype(at));
    answer.waiter = request.waiter;
    answer.late = !request.waiter;
    answer.frame = request.frame;
    // The reply taken as a late one may have been the next request's.
    if (answer.late && at < queue.size())
        queue[at].doubtSinceNs = qMin(queue[at].doubtSinceNs, request.doubtSinceNs);
    return answer;
}

QList<ReplyQueue::Waiter *> ReplyQueue::clear()
{
    QList<Waiter *> waiting;
    for (const Queue &queue : std::as_const(m_keys)) {
        for (const Request &request : queue) {
            if (request.waiter)
                waiting << request.waiter;
        }
    }
    m_keys.clear();
    return waiting;
}

ReplyQueue::Waiter *ReplyQueue::anyWaiter() const
{
    for (const Queue &queue : m_keys) {
        for (const Request &request : queue) {
            if (request.waiter)
                return request.waiter;
        }
    }
    return nullptr;
}

int ReplyQueue::size(int key) const
{
    return int(m_keys.value(key).size());
}
