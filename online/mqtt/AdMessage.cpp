#include "online/mqtt/AdMessage.h"

#include <QJsonDocument>
#include <QJsonObject>

AdMessage AdMessage::parse(const QByteArray &payload)
{
    AdMessage ad;
    if (payload.size() > kMaxPayload) {
        ad.problem = QStringLiteral("%1 bytes, over %2").arg(payload.size()).arg(kMaxPayload);
        return ad;
    }
    const QJsonDocument document = QJsonDocument::fromJson(payload);
    if (!document.isObject())
        ad.problem = QStringLiteral("not a JSON object");
    const QJsonObject object = document.object();
    const QJsonValue type = object.value(QStringLiteral("messageType"));
    if (!type.isUndefined())
        ad.messageType = type.toInt(0);
    const QJsonValue images = object.value(QStringLiteral("coverImage"));
    const QJsonValue links = object.value(QStringLiteral("link"));
    ad.coverImage = images.isString() ? images.toString() : QString();
    ad.link = links.isString() ? links.toString() : QString();
    if (ad.problem.isEmpty() && !ad.shows())
        ad.problem = QStringLiteral("messageType %1, %2 image text").arg(ad.messageType).arg(ad.coverImage.isEmpty() ? "no" : "an");
    return ad;
}
