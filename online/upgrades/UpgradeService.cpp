#include "online/upgrades/UpgradeService.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QUrl>

QString UpgradeService::url(const QString &host, const QString &path)
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    url.setPort(kPort);
    url.setPath(path);
    return url.toString();
}

QNetworkReply *UpgradeService::ask(QNetworkAccessManager &manager, const QUrl &url, const char *origin)
{
    QNetworkReply *reply = BoundedGet::start(manager, url, kAnswerLimits);
    if (!reply)
        qCritical().noquote() << origin << "no server address to ask" << url.toString();
    return reply;
}

bool UpgradeService::answer(QNetworkReply *reply, const char *origin, QJsonObject &object, const QString &list)
{
    const QString address = reply->url().toString();
    if (reply->error() != QNetworkReply::NoError) {
        qCritical().noquote() << origin << BoundedGet::errorName(reply) << address << BoundedGet::fault(reply, {});
        return false;
    }
    const QByteArray body = reply->readAll();
    qDebug().noquote() << origin << address;
    qDebug().noquote() << origin << QString::fromUtf8(body.left(4096));
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject()) {
        qCritical().noquote() << origin << "无法解析json" << address << QString::fromUtf8(body.left(4096));
        return false;
    }
    object = document.object();
    const QJsonValue code = object.value(QStringLiteral("code"));
    // A "code" sent as text ("200") is no success: only the number counts.
    if (code.toInt(0) != 200 || (!list.isEmpty() && !object.value(list).isArray())) {
        qCritical().noquote() << origin << "错误的返回" << address;
        qCritical().noquote() << origin << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact).left(4096));
        return false;
    }
    return true;
}
