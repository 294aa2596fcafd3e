#include "HostLookup.h"

#include "UpgradeService.h"

#include <QDebug>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

QString HostLookup::ask(const QString &server, const QString &path, int timeoutMs)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(UpgradeService::url(server, path))};
    request.setTransferTimeout(timeoutMs);
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QTimer overall; // the transfer time-out counts silence only: a trickle would hold it
    overall.setSingleShot(true);
    QObject::connect(&overall, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received) {
        if (received > kMaxReplyBytes)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    overall.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec();
    QString text;
    if (reply->error() == QNetworkReply::NoError) {
        const QJsonValue data = QJsonDocument::fromJson(reply->readAll()).object().value(QStringLiteral("data"));
        text = data.isString() ? data.toString() : QString();
    }
    if (text.isEmpty())
        qDebug().noquote() << "HostLookup::ask" << reply->url().toString() << "no answer" << reply->errorString();
    delete reply;
    return text;
}
