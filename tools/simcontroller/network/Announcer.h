#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

// Announces the controller as discovery expects: "DISA;" + id + 0x03 by UDP.
// The datagrams leave from the listen address, since discovery links to the
// sender's address.
class Announcer : public QObject
{
    Q_OBJECT

public:
    Announcer(const QString &id, QObject *parent = nullptr);
    bool start(const QHostAddress &from, const QHostAddress &to, quint16 port, int intervalMs, QString &error);

private:
    void announce();

    QUdpSocket m_socket;
    QTimer m_timer;
    QByteArray m_datagram;
    QHostAddress m_to;
    quint16 m_port = 0;
};
