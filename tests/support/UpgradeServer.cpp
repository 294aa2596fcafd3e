#include "UpgradeServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

UpgradeServer::UpgradeServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &UpgradeServer::serve);
}

bool UpgradeServer::listen(int first)
{
    for (int host = first; host < first + 10; ++host) {
        const QString address = QStringLiteral("127.0.0.%1").arg(host);
        if (m_server.listen(QHostAddress(address), 38021)) {
            m_address = address;
            return true;
        }
    }
    return false;
}

void UpgradeServer::setReply(const QString &path, const QByteArray &json, int delayMs)
{
    m_replies.insert(path, {json, delayMs});
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
            const auto found = m_replies.constFind(QUrl(QStringLiteral("http://host") + target).path());
            const QByteArray body = found == m_replies.constEnd() ? QByteArray("{}") : found->first;
            const QByteArray status = found == m_replies.constEnd() ? "404 Not Found" : "200 OK";
            const QByteArray response = "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nConnection: close\r\n"
                                        "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
            QTimer::singleShot(found == m_replies.constEnd() ? 0 : found->second, socket, [socket, response] {
                socket->write(response);
                socket->disconnectFromHost();
            });
        });
    }
}
