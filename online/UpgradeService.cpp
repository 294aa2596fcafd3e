#include "UpgradeService.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
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

bool UpgradeService::answer(QNetworkReply *reply, const char *origin, QJsonObject &object, const QString &list)
{
    const QString address = reply->url().toString();
    if (reply->error() != QNetworkReply::NoError) {
        qCritical().noquote() << origin << QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(reply->error())
                              << address;
        return false;
    }
    const QByteArray body = reply->readAll();
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject()) {
        qCritical().noquote() << origin << "无法解析json" << address << QString::fromUtf8(body.left(4096));
        return false;
    }
    object = document.object();
    if (object.value(QStringLiteral("code")).toInt(0) != 200 || (!list.isEmpty() && !object.value(list).isArray())) {
        qCritical().noquote() << origin << "错误的返回" << address;
        qCritical().noquote() << origin << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact).left(4096));
        return false;
    }
    return true;
}
