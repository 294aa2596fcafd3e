#include "tests/support/online/UpgradeServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

UpgradeServer::UpgradeServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &UpgradeServer::serve);
}

bool UpgradeServer::listen(int first, quint16 port)
{
    for (int host = first; host < first + 10; ++host) {
        const QString address = QStringLiteral("127.0.0.%1").arg(host);
        if (m_server.listen(QHostAddress(address), port)) {
            m_address = address;
            return true;
        }
    }
    return false;
}

QString UpgradeServer::url(const QString &path) const
{
    return QStringLiteral("http://%1:%2%3").arg(m_address).arg(port()).arg(path);
}

void UpgradeServer::setReply(const QString &path, const QByteArray &body, int delayMs)
{
    m_replies.insert(path, {Canned, body, delayMs});
}

void UpgradeServer::setRawReply(const QString &path, const QByteArray &response, bool close)
{
    m_replies.insert(path, {close ? Raw : RawOpen, response, 0});
}

void UpgradeServer::setHang(const QString &path)
{
    m_replies.insert(path, {Hang, {}, 0});
}

void UpgradeServer::setEndless(const QString &path)
{
    m_replies.insert(path, {Endless, {}, 0});
}

QList<QStringList> UpgradeServer::queries(const QString &path) const
{
    QList<QStringList> out;
    for (const QString &target : m_requests) {
        const QUrl url(QStringLiteral("http://host") + target);
        if (url.path() != path)
            continue;
        QStringList items;
        for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
            items << key + QLatin1Char('=') + value;
        out << items;
    }
    return out;
}

void UpgradeServer::serve()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto *request = new QByteArray;
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [request] { delete request; });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            *request += socket->readAll();
            if (!request->contains("\r\n\r\n"))
                return;
            const QString target = QString::fromLatin1(request->split(' ').value(1));
            request->clear();
            m_requests << target;
            emit requested(target);
            answer(socket, target);
        });
    }
}

void UpgradeServer::answer(QTcpSocket *socket, const QString &target)
{
    const auto found = m_replies.constFind(QUrl(QStringLiteral("http://host") + target).path());
    const Reply reply = found == m_replies.constEnd() ? Reply{Canned, {}, 0} : *found;
    switch (reply.mode) {
    case Hang:
        return;
    case Raw:
    case RawOpen:
        socket->write(reply.bytes);
        if (reply.mode == Raw)
            socket->disconnectFromHost();
        return;
    case Endless: {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n");
        auto *pump = new QTimer(socket);
        connect(pump, &QTimer::timeout, socket, [socket] {
            if (socket->bytesToWrite() < (1 << 20))
                socket->write(QByteArray(64 * 1024, 'x'));
        });
        pump->start(5);
        return;
    }
    case Canned:
        break;
    }
    const bool known = found != m_replies.constEnd();
    const QByteArray body = known ? reply.bytes : QByteArray("{}");
    const QByteArray status = known ? "200 OK" : "404 Not Found";
    const QByteArray response = "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nConnection: close\r\n"
                                "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    QTimer::singleShot(reply.delayMs, socket, [socket, response] {
        socket->write(response);
        socket->disconnectFromHost();
    });
}
