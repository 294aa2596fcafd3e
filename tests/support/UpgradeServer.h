#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

// The upgrade server of a test: plain HTTP on a loopback address of the
// test's own at port 38021. Each path answers with its canned JSON body (a
// path without one: 404), after an optional delay; every request target
// ("/path?query") is kept in arrival order.
class UpgradeServer : public QObject
{
    Q_OBJECT
public:
    explicit UpgradeServer(QObject *parent = nullptr);

    // Listens on the first free address of 127.0.0.first .. 127.0.0.(first + 9).
    bool listen(int first);
    QString address() const { return m_address; }
    void setReply(const QString &path, const QByteArray &json, int delayMs = 0);
    QStringList requests() const { return m_requests; }
    // The requests for one path, their queries decoded to "key=value" lists.
    QList<QStringList> queries(const QString &path) const;

signals:
    // A request came in (before it is answered).
    void requested(const QString &target);

private:
    void serve();

    QTcpServer m_server;
    QString m_address;
    QHash<QString, QPair<QByteArray, int>> m_replies;
    QStringList m_requests;
};
