#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

// The upgrade server of a test: plain HTTP on a loopback address of the
// test's own at port 38021 (or a port of the test's choice). Each path
// answers with its canned body (a path without one: 404), after an optional
// delay; or with raw bytes as they stand (a redirect, a truncated body, a
// status of its own), or never (a hang), or with a body without end. Every
// request target ("/path?query") is kept in arrival order.
class UpgradeServer : public QObject
{
    Q_OBJECT
public:
    enum Mode { Canned, Raw, RawOpen, Hang, Endless };

    explicit UpgradeServer(QObject *parent = nullptr);

    // Listens on the first free address of 127.0.0.first .. 127.0.0.(first + 9).
    bool listen(int first, quint16 port = 38021);
    QString address() const { return m_address; }
    quint16 port() const { return m_server.serverPort(); }
    // "http://address:port" + path.
    QString url(const QString &path) const;
    void setReply(const QString &path, const QByteArray &body, int delayMs = 0);
    // The response's bytes as they stand; the connection closes after them
    // unless told to stay open (a body that stops short and waits).
    void setRawReply(const QString &path, const QByteArray &response, bool close = true);
    void setHang(const QString &path);
    // Headers without a length, then 64 KiB chunks until the client goes.
    void setEndless(const QString &path);
    QStringList requests() const { return m_requests; }
    // The requests for one path, their queries decoded to "key=value" lists.
    QList<QStringList> queries(const QString &path) const;

signals:
    // A request came in (before it is answered).
    void requested(const QString &target);

private:
    struct Reply
    {
        Mode mode = Canned;
        QByteArray bytes;
        int delayMs = 0;
    };
    void serve();
    void answer(class QTcpSocket *socket, const QString &target);

    QTcpServer m_server;
    QString m_address;
    QHash<QString, Reply> m_replies;
    QStringList m_requests;
};
