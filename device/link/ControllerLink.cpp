#include "device/link/ControllerLink.h"

#include "device/link/FrameCodec.h"
#include "device/link/TcpLink.h"

#include <QDebug>
#include <QElapsedTimer>
#include <cerrno>
#include <thread>

namespace {

// Frames can be a whole firmware file: the log keeps their start.
QByteArray logBytes(const QByteArray &bytes)
{
    constexpr int kMax = 200;
    return bytes.size() <= kMax ? bytes : bytes.left(kMax) + "...";
}

inline void relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// A sender that cannot read itself looks again this often for the read turn.
constexpr auto kTurnRetry = std::chrono::milliseconds(1);
// The reader thread stands aside while commands come this close together,
// looking again this often: waking it more often costs the senders time.
constexpr qint64 kSenderQuietNs = 2000000;
constexpr auto kReaderAside = std::chrono::milliseconds(20);

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// One sender's wait, on its own stack. Its result is written under m_waitLock.
struct ControllerLink::Wait : ReplyQueue::Waiter
{
    enum State { Pending, Replied, Gone };
    std::atomic<int> state{Pending};
    bool ok = false;
    QStringList fields;
    std::condition_variable wake;
};

// One connection. Its read turn (turn) is held by the one thread that reads
// the socket and handles the frames; the splitter and the frames read but
// not yet handled belong to that thread.
struct ControllerLink::Connection
{
    std::shared_ptr<TcpLink> link;
    quint64 generation = 0;
    std::mutex turn;
    FrameCodec::FrameSplitter splitter;
    QList<QByteArray> frames;
};

namespace {
// The connection whose read turn this thread holds: a frame handler that
// sends reads its own reply.
thread_local const void *t_reading = nullptr;
} // namespace

ControllerLink::ControllerLink(FrameHandler onFrame, DropHandler onDrop)
    : m_onFrame(std::move(onFrame)), m_onDrop(std::move(onDrop))
{
}

ControllerLink::~ControllerLink()
{
    shutDown();
}

QString ControllerLink::address() const
{
    QMutexLocker lock(&m_linkLock);
    return m_address;
}

bool ControllerLink::isCurrent(quint64 generation) const
{
    QMutexLocker lock(&m_linkLock);
    return generation == m_generation;
}

std::shared_ptr<ControllerLink::Connection> ControllerLink::current(quint64 *generation) const
{
    QMutexLocker lock(&m_linkLock);
    if (generation)
        *generation = m_generation;
    return m_connection;
}

void ControllerLink::closeLocked(std::shared_ptr<Connection> *closed)
{
    // A new generation tells a connect still under way that it lost.
    ++m_generation;
    m_linked.store(false);
    if (m_connection) {
        m_connection->link->close();
        *closed = std::move(m_connection);
    }
}

bool ControllerLink::changeAddress(const QString &address, quint64 *generation, QString *old)
{
    std::shared_ptr<Connection> closed;
    {
        QMutexLocker lock(&m_linkLock);
        if (generation && *generation && *generation != m_generation)
            return false;
        if (address == m_address)
            return false;
        if (old)
            *old = m_address;
        closeLocked(&closed);
        m_address = address;
        if (generation)
            *generation = m_generation;
    }
    abandonAll();
    return true;
}

quint64 ControllerLink::close()
{
    std::shared_ptr<Connection> closed;
    quint64 generation;
    {
        QMutexLocker lock(&m_linkLock);
        closeLocked(&closed);
        generation = m_generation;
    }
    abandonAll();
    return generation;
}

void ControllerLink::shutDown()
{
    {
        QMutexLocker lock(&m_linkLock);
        m_shutDown = true;
    }
    close();
    m_readers.joinAll();
}

bool ControllerLink::open(quint64 generation, quint16 port, int timeoutMs, QString *error)
{
    auto c = std::make_shared<Connection>();
    c->generation = generation;
    c->link = std::make_shared<TcpLink>();
    if (!c->link->open(address(), port, timeoutMs)) {
        *error = c->link->errorText();
        return false;
    }
    QMutexLocker lock(&m_linkLock);
    if (generation != m_generation || m_shutDown) {
        // Another address was chosen (or the owner closes) meanwhile.
        c->link->close();
        *error = QStringLiteral("superseded");
        return false;
    }
    // Under the lock: a shutdown cannot slip in between and miss this reader.
    if (!m_readers.start(QStringLiteral("reader"), [this, c] { readLoop(c); })) {
        c->link->close();
        *error = QStringLiteral("closing");
        return false;
    }
    m_connection = c;
    m_linked.store(true);
    return true;
}

void ControllerLink::connectionFailed(Connection &c, qint64 n, int err)
{
    // A connection that we closed ourselves ends quietly: it may already
    // have been replaced by a new one.
    if (c.link->isClosing())
        return;
    if (n == 0)
        qInfo().noquote() << "ControllerLink::readLoop" << "socket closed";
    else
        qCritical().noquote() << "ControllerLink::readLoop" << "Recv failed: " << n << err;
    m_onDrop(c.generation);
}

bool ControllerLink::readStep(Connection &c, Clock::time_point spinUntil, Clock::time_point deadline)
{
    if (c.link->isClosing())
        return false;
    if (!c.frames.isEmpty()) {
        const QByteArray frame = c.frames.takeFirst();
        m_onFrame(frame);
        return true;
    }
    char buffer[4096];
    int err = 0;
    const qint64 n = c.link->receive(buffer, sizeof(buffer), &err, false);
    if (n > 0) {
        c.frames += c.splitter.feed(QByteArray::fromRawData(buffer, int(n)));
        return true;
    }
    if (n < 0 && (err == EAGAIN || err == EWOULDBLOCK)) {
        if (Clock::now() < spinUntil) {
            relax();
            return true;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left > 0)
            c.link->waitReadable(int(qMin<qint64>(left, 1000000)));
        return true;
    }
    connectionFailed(c, n, err);
    return false;
}

void ControllerLink::releaseTurn(Connection &c)
{
    // What a closed connection still held belongs to no sender of the next one.
    while (!c.frames.isEmpty() && !c.link->isClosing())
        m_onFrame(c.frames.takeFirst());
    c.frames.clear();
    t_reading = nullptr;
    c.turn.unlock();
    // A sender that waits while another read may now read for itself.
    std::lock_guard<std::mutex> lock(m_waitLock);
    if (ReplyQueue::Waiter *waiter = m_replies.anyWaiter())
        static_cast<Wait *>(waiter)->wake.notify_one();
}

void ControllerLink::readLoop(std::shared_ptr<Connection> c)
{
    for (;;) {
        if (c->link->isClosing())
            return;
        // Senders under way read for themselves: they take these bytes.
        if (m_senders.load() > 0 || nowNs() - m_lastSender.load() < kSenderQuietNs) {
            std::this_thread::sleep_for(kReaderAside);
            continue;
        }
        if (!c->link->waitReadable(100) || m_senders.load() > 0)
            continue;
        if (!c->turn.try_lock()) {
            std::this_thread::sleep_for(kTurnRetry);
            continue;
        }
        t_reading = c.get();
        for (;;) {
            while (!c->frames.isEmpty() && !c->link->isClosing())
                m_onFrame(c->frames.takeFirst());
            char buffer[4096];
            int err = 0;
            const qint64 n = c->link->receive(buffer, sizeof(buffer), &err, false);
            if (n > 0) {
                c->frames += c->splitter.feed(QByteArray::fromRawData(buffer, int(n)));
                continue;
            }
            if (n < 0 && (err == EAGAIN || err == EWOULDBLOCK))
                break;
            releaseTurn(*c);
            connectionFailed(*c, n, err);
            return;
        }
        releaseTurn(*c);
    }
}

bool ControllerLink::send(const QByteArray &bytes)
{
    QMutexLocker lock(&m_sendLock);
    return writeLocked(current(), bytes);
}

bool ControllerLink::writeLocked(const std::shared_ptr<Connection> &c, const QByteArray &bytes)
{
    if (!c) {
        qCritical().noquote() << "ControllerLink::send" << "send failed: " << "no link" << logBytes(bytes);
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    int err = 0;
    const bool ok = c->link->sendAll(bytes.constData(), bytes.size(), &err);
    const qint64 ms = clock.elapsed();
    if (ms > 20)
        qWarning().noquote() << "ControllerLink::send" << "package size:" << bytes.size() << "send time" << ms
                             << logBytes(bytes);
    if (ok)
        return true;
    qCritical().noquote() << "ControllerLink::send" << "send failed: " << err << logBytes(bytes);
    // Part of the frame may be on the wire: the controller's framing is out
    // of step, so the connection goes.
    if (!c->link->isClosing())
        m_onDrop(c->generation);
    return false;
}

ControllerLink::Reply ControllerLink::request(const QByteArray &frame, int waitId, int timeoutMs, int lateMs)
{
    Wait wait;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(qMax(0, timeoutMs));
    ++m_senders;
    struct Leave
    {
        ControllerLink &link;
        ~Leave() { link.m_lastSender.store(nowNs()), --link.m_senders; }
    } leave{*this};
    std::shared_ptr<Connection> c;
    {
        QMutexLocker lock(&m_sendLock);
        c = current();
        if (!c) {
            qCritical().noquote() << "ControllerLink::request" << "send failed, dislink" << logBytes(frame);
            return {};
        }
        {
            std::lock_guard<std::mutex> waits(m_waitLock);
            const qint64 boundNs = qint64(qMax(qMax(0, timeoutMs), lateMs)) * 1000000;
            m_replies.push(waitId, frame, &wait, nowNs(), boundNs);
        }
        if (!writeLocked(c, frame)) {
            std::lock_guard<std::mutex> waits(m_waitLock);
            m_replies.withdraw(waitId, &wait);
            return {};
        }
    }
    // Read for ourselves while nobody else does; otherwise the reader hands
    // the reply over, and we look for the read turn again now and then.
    const bool nested = t_reading == c.get();
    bool reading = nested;
    const Clock::time_point spinUntil = qMin(deadline, Clock::now() + std::chrono::microseconds(kSpinMicros));
    while (wait.state.load(std::memory_order_acquire) == Wait::Pending && Clock::now() < deadline) {
        if (!reading && c->turn.try_lock()) {
            reading = true;
            t_reading = c.get();
        }
        if (reading) {
            if (!readStep(*c, spinUntil, deadline))
                break;
            continue;
        }
        std::unique_lock<std::mutex> lock(m_waitLock);
        if (wait.state.load(std::memory_order_relaxed) == Wait::Pending)
            wait.wake.wait_until(lock, qMin(deadline, Clock::now() + kTurnRetry));
    }
    if (reading && !nested)
        releaseTurn(*c);

    // Under the lock: whoever delivered is done with the wait.
    std::lock_guard<std::mutex> lock(m_waitLock);
    Reply reply;
    reply.replied = wait.state.load(std::memory_order_relaxed) == Wait::Replied;
    // Its reply is still owed: whenever it comes, it is this request's.
    if (wait.state.load(std::memory_order_relaxed) == Wait::Pending)
        m_replies.giveUp(waitId, &wait);
    reply.ok = wait.ok;
    reply.fields = std::move(wait.fields);
    return reply;
}

ControllerLink::Delivery ControllerLink::deliver(int id, bool ok, const QStringList &fields)
{
    Delivery delivery;
    std::lock_guard<std::mutex> lock(m_waitLock);
    const ReplyQueue::Answer answer = m_replies.answer(id, fields, nowNs());
    delivery.sent = answer.frame;
    delivery.late = answer.late;
    if (!answer.waiter)
        return delivery;
    Wait *wait = static_cast<Wait *>(answer.waiter);
    wait->ok = ok;
    wait->fields = fields;
    delivery.matched = true;
    wait->state.store(Wait::Replied, std::memory_order_release);
    // Under the lock: the sender has either not looked yet or sleeps.
    wait->wake.notify_one();
    return delivery;
}

void ControllerLink::abandonAll()
{
    std::lock_guard<std::mutex> lock(m_waitLock);
    const QList<ReplyQueue::Waiter *> waiting = m_replies.clear();
    for (ReplyQueue::Waiter *waiter : waiting) {
        Wait *wait = static_cast<Wait *>(waiter);
        wait->state.store(Wait::Gone, std::memory_order_release);
        wait->wake.notify_one();
    }
}
