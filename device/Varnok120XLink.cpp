// The address of the controller and the transport forwards: a new address
// links on a thread of its own and runs the initial reads; sendCMD picks the
// wait key and time-out of a command and waits through the ControllerLink.
#include "configuration/Config.h"
#include "device/Varnok120X.h"

#include <QDebug>

namespace {

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

void Varnok120X::closeLink()
{
    m_link.close();
    noteLinkDown();
    host()->setTaskStatus(2);
}

void Varnok120X::forgetAddress()
{
    quint64 generation = 0;
    if (!m_link.changeAddress(QString(), &generation))
        m_link.close();
    noteLinkDown();
    host()->setTaskStatus(2);
}

void Varnok120X::noteLinkDown()
{
    setFeedMotorRunning(false);
    setFilmMotorRunning(false);
    setCollectMotorRunning(false);
}

void Varnok120X::changeIp(const QString &address, quint64 generation)
{
    QString old;
    // A link thread or reader of an older link must not touch the new one.
    if (!m_link.changeAddress(address, &generation, &old))
        return;
    if (address.isEmpty())
        noteLinkDown();
    else if (!m_shuttingDown.load())
        m_threads.start(QStringLiteral("link"), [this, generation] { linkTo(generation); });
    qInfo().noquote() << "Varnok120X::setIp" << old << address;
    host()->setTaskStatus(2);
    emit ipChanged();
}

bool Varnok120X::link()
{
    return linkTo(m_link.close());
}

bool Varnok120X::linkTo(quint64 generation)
{
    QString error;
    if (!m_link.open(generation, kPort, kConnectTimeoutMs, &error)) {
        qCritical().noquote() << "Varnok120X::link" << error;
        changeIp(QString(), generation);
        return false;
    }
    qInfo().noquote() << "Varnok120X::link" << "Connect succeed" << m_link.address();
    const bool hadAlarm = !alarmText().isEmpty();
    m_state.startLink();
    if (hadAlarm)
        emit alarmTextChanged();
    setDeviceState(0);
    readInitialState();
    if (!m_link.isCurrent(generation))
        return false; // dropped during the initial reads: they are incomplete
    m_ready.store(true);
    if (m_config->knifeNum() > 1)
        startJob(9);
    return true;
}

bool Varnok120X::command(const QString &text, bool wantReply, int waitId)
{
    return sendCMD(FrameCodec::frameCommand(text, QStringLiteral("CCMD")), wantReply, waitId);
}

bool Varnok120X::sendCMD(const QByteArray &frame, bool wantReply, int id)
{
    if (!wantReply)
        return sendMsg(frame);
    int timeout = configInt(Config::CPT_wait_TcpRet_Msecs);
    if (id == 0)
        id = qMax(0, FrameCodec::sentCommandId(frame));
    else if (id >= 10000)
        timeout = configInt(Config::CPT_wait_TcpRet_Msecs_Max);
    // A reply still expected after the wait is owed to this frame for as long as the longest wait.
    const ControllerLink::Reply reply
        = m_link.request(frame, id, timeout, configInt(Config::CPT_wait_TcpRet_Msecs_Max));
    if (reply.replied && !reply.ok)
        qCritical().noquote() << "Varnok120X::sendCMD" << logBytes(frame) << "result error";
    else if (!reply.replied && m_link.isLinked())
        qCritical().noquote() << "Varnok120X::sendCMD" << timeout << "send no return " << logBytes(frame);
    return reply.replied && reply.ok;
}

bool Varnok120X::sendMsg(const QByteArray &bytes)
{
    return m_link.send(bytes);
}

void Varnok120X::asyncSend(const QByteArray &frame)
{
    if (!m_threads.start(QStringLiteral("asyncSend"), [this, frame] { sendMsg(frame); }))
        qWarning().noquote() << "Varnok120X::asyncSend" << "driver is closing, not sent" << frame.size();
}
