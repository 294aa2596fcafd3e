#include "tools/simcontroller/network/Announcer.h"

#include "device/link/FrameCodec.h"

Announcer::Announcer(const QString &id, QObject *parent)
    : QObject(parent)
    , m_datagram("DISA;" + id.toUtf8() + FrameCodec::kEnd)
{
    connect(&m_timer, &QTimer::timeout, this, &Announcer::announce);
}

bool Announcer::start(const QHostAddress &from, const QHostAddress &to, quint16 port, int intervalMs, QString &error)
{
    if (intervalMs <= 0)
        return true;
    if (!m_socket.bind(from, 0)) {
        error = m_socket.errorString();
        return false;
    }
    m_to = to;
    m_port = port;
    announce();
    m_timer.start(intervalMs);
    return true;
}

void Announcer::announce()
{
    // Nobody listening is normal; a failed datagram is simply tried again next time.
    m_socket.writeDatagram(m_datagram, m_to, m_port);
}
