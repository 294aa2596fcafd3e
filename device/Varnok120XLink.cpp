// The link to the controller and the command transport: connect, the reader
// thread, sendCMD with its wait records, sendMsg and asyncSend.
#include "Config.h"
#include "TcpLink.h"
#include "Varnok120X.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QElapsedTimer>

namespace {

// Frames can be a whole firmware file: the log keeps their start.
QByteArray logBytes(const QByteArray &bytes)
{
    constexpr int kMax = 200;
    return bytes.size() <= kMax ? bytes : bytes.left(kMax) + "...";
}

} // namespace

int Varnok120X::configInt(int id) const
{
    return m_config->getProperty(Config::ConfigParamType(id)).toInt();
}

std::shared_ptr<TcpLink> Varnok120X::currentLink() const
{
    QMutexLocker lock(&m_linkLock);
    return m_link;
}

void Varnok120X::closeLinkLocked(std::shared_ptr<TcpLink> *closed)
{
    // A new generation tells a link thread still connecting that it lost.
    ++m_linkGeneration;
    m_linked.store(false);
    if (m_link) {
        m_link->close();
        *closed = std::move(m_link);
    }
}

void Varnok120X::closeLink()
{
    {
        std::shared_ptr<TcpLink> closed;
        QMutexLocker lock(&m_linkLock);
        closeLinkLocked(&closed);
    }
    m_pending.wakeAll();
    host()->setTaskStatus(2);
}

void Varnok120X::forgetAddress()
{
    {
        std::shared_ptr<TcpLink> closed;
        QMutexLocker lock(&m_linkLock);
        closeLinkLocked(&closed);
        m_ip.clear();
    }
    m_pending.wakeAll();
    host()->setTaskStatus(2);
}

void Varnok120X::changeIp(const QString &address, const TcpLink *expected, quint64 generation)
{
    QString old;
    {
        QMutexLocker lock(&m_linkLock);
        // A reader or link thread of an older link must not touch the new one.
        if (expected && m_link.get() != expected)
            return;
        if (generation && generation != m_linkGeneration)
            return;
        if (address == m_ip)
            return;
        old = m_ip;
        std::shared_ptr<TcpLink> closed;
        closeLinkLocked(&closed);
        m_ip = address;
        if (!address.isEmpty() && !m_shuttingDown.load()) {
            const quint64 gen = m_linkGeneration;
            m_threads.start(QStringLiteral("link"), [this, address, gen] { linkTo(address, gen); });
        }
    }
    qInfo().noquote() << "Varnok120X::setIp" << old << address;
    m_pending.wakeAll();
    host()->setTaskStatus(2);
    emit ipChanged();
}

void Varnok120X::dropLink(const std::shared_ptr<TcpLink> &link)
{
    changeIp(QString(), link.get());
}

bool Varnok120X::link()
{
    QString address;
    quint64 generation;
    {
        std::shared_ptr<TcpLink> closed;
        QMutexLocker lock(&m_linkLock);
        closeLinkLocked(&closed);
        address = m_ip;
        generation = m_linkGeneration;
    }
    return linkTo(address, generation);
}

bool Varnok120X::linkTo(const QString &address, quint64 generation)
{
    auto link = std::make_shared<TcpLink>();
    if (!link->open(address, kPort, kConnectTimeoutMs)) {
        qCritical().noquote() << "Varnok120X::link" << link->errorText();
        changeIp(QString(), nullptr, generation);
        return false;
    }
    {
        QMutexLocker lock(&m_linkLock);
        if (generation != m_linkGeneration || m_shuttingDown.load()) {
            // Another address was chosen (or the driver closes) meanwhile.
            link->close();
            return false;
        }
        m_link = link;
        m_linked.store(true);
    }
    qInfo().noquote() << "Varnok120X::link" << "Connect succeed" << address;
    {
        QMutexLocker lock(&m_stateLock);
        m_alarmText.clear();
        m_rollerReading.invalidate();
    }
    setDeviceState(0);
    m_threads.start(QStringLiteral("reader"), [this, link] { readData(link); });

    readInitialState();
    {
        QMutexLocker lock(&m_linkLock);
        if (generation != m_linkGeneration)
            return false; // dropped during the initial reads: they are incomplete
    }
    m_ready.store(true);
    if (m_config->knifeNum() > 1)
        startJob(9);
    return true;
}

void Varnok120X::readData(std::shared_ptr<TcpLink> link)
{
    FrameCodec::FrameSplitter splitter;
    char buffer[512];
    for (;;) {
        int err = 0;
        const qint64 n = link->receive(buffer, sizeof(buffer), &err);
        if (n <= 0) {
            // A link that we closed ourselves ends quietly: it may already
            // have been replaced by a new one.
            if (link->isClosing())
                return;
            if (n == 0)
                qInfo().noquote() << "Varnok120X::readData" << "socket closed";
            else
                qCritical().noquote() << "Varnok120X::readData" << "Recv failed: " << n << err;
            dropLink(link);
            return;
        }
        const QList<QByteArray> frames = splitter.feed(QByteArray(buffer, int(n)));
        for (const QByteArray &frame : frames)
            decode(frame);
    }
}

bool Varnok120X::command(const QString &text, bool wantReply, int waitId)
{
    return sendCMD(FrameCodec::frameCommand(text, QStringLiteral("CCMD")), wantReply, waitId);
}

bool Varnok120X::sendCMD(const QByteArray &frame, bool wantReply, int id)
{
    if (!m_linked.load()) {
        qCritical().noquote() << "Varnok120X::sendCMD" << "send failed, dislink" << logBytes(frame);
        return false;
    }
    if (!wantReply)
        return sendMsg(frame);

    int timeout = configInt(Config::CPT_wait_TcpRet_Msecs);
    if (id == 0)
        id = qMax(0, FrameCodec::sentCommandId(frame));
    else if (id >= 10000)
        timeout = configInt(Config::CPT_wait_TcpRet_Msecs_Max);

    const std::shared_ptr<PendingReply> record = m_pending.obtain(id, timeout);
    QMutexLocker lock(&record->mutex);
    record->id = id;
    record->sendTime.start();
    record->frame = frame;
    record->fields.clear();
    record->replied = false;
    record->ok = false;

    if (sendMsg(frame)) {
        // Wait until the reply is in, the deadline passed or the link went:
        // a wake-up that brought none of these waits again.
        const QDeadlineTimer deadline(record->timeoutMs);
        while (!record->replied && m_linked.load() && !deadline.hasExpired())
            record->condition.wait(&record->mutex, deadline);
    }
    const bool result = record->replied && record->ok;
    if (record->replied && !record->ok)
        qCritical().noquote() << "Varnok120X::sendCMD" << logBytes(frame) << "result error";
    else if (!record->replied)
        qCritical().noquote() << "Varnok120X::sendCMD" << record->timeoutMs << "send no return " << logBytes(frame);
    return result;
}

bool Varnok120X::sendMsg(const QByteArray &bytes)
{
    QMutexLocker lock(&m_sendMutex);
    const std::shared_ptr<TcpLink> link = currentLink();
    if (!link) {
        qCritical().noquote() << "Varnok120X::sendMsg" << "send failed: " << "no link" << logBytes(bytes);
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    int err = 0;
    const bool ok = link->sendAll(bytes.constData(), bytes.size(), &err);
    const qint64 ms = clock.elapsed();
    if (ms > 20)
        qWarning().noquote() << "Varnok120X::sendMsg" << "package size:" << bytes.size() << "send time" << ms
                             << logBytes(bytes);
    if (ok)
        return true;
    qCritical().noquote() << "Varnok120X::sendMsg" << "send failed: " << err << logBytes(bytes);
    lock.unlock();
    // Part of the frame may be on the wire: the controller's framing is out
    // of step, so the link goes.
    if (!link->isClosing())
        dropLink(link);
    return false;
}

void Varnok120X::asyncSend(const QByteArray &frame)
{
    if (!m_threads.start(QStringLiteral("asyncSend"), [this, frame] { sendMsg(frame); }))
        qWarning().noquote() << "Varnok120X::asyncSend" << "driver is closing, not sent" << frame.size();
}
