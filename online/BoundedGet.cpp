#include "online/BoundedGet.h"

#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

// Set on a reply that this code aborted, with the reason.
const char *kAbortReason = "boundedGetAbort";

void abortFor(QNetworkReply *reply, const QString &reason)
{
    if (reply->isFinished())
        return;
    reply->setProperty(kAbortReason, reason);
    reply->abort();
}

} // namespace

bool BoundedGet::isWebUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QNetworkReply *BoundedGet::start(QNetworkAccessManager &manager, const QUrl &url, const Limits &limits)
{
    if (!isWebUrl(url))
        return nullptr;
    QNetworkRequest request(url);
    request.setTransferTimeout(limits.idleMs);
    QNetworkReply *reply = manager.get(request);
    // The transfer time-out counts silence only: a trickle would hold it.
    auto *total = new QTimer(reply);
    total->setSingleShot(true);
    QObject::connect(total, &QTimer::timeout, reply, [reply, limits] {
        abortFor(reply, QStringLiteral("not done within %1 s").arg(limits.totalMs / 1000));
    });
    total->start(limits.totalMs);
    const qint64 maxBytes = limits.maxBytes;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, maxBytes] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > maxBytes)
            abortFor(reply, QStringLiteral("larger than %1 bytes").arg(maxBytes));
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxBytes](qint64 received, qint64 announced) {
        if (received > maxBytes || announced > maxBytes)
            abortFor(reply, QStringLiteral("larger than %1 bytes").arg(maxBytes));
    });
    return reply;
}

QString BoundedGet::errorName(QNetworkReply *reply)
{
    return QString::fromLatin1(QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(reply->error()));
}

QString BoundedGet::fault(QNetworkReply *reply, const QByteArray &body)
{
    const QString aborted = reply->property(kAbortReason).toString();
    if (!aborted.isEmpty())
        return aborted;
    if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError)
        return QStringLiteral("no data for too long (%1)").arg(errorName(reply));
    if (reply->error() != QNetworkReply::NoError)
        return errorName(reply);
    if (!reply->isFinished())
        return QStringLiteral("unfinished");
    // Redirects are followed; where they led must still be the web.
    if (!isWebUrl(reply->url()))
        return QStringLiteral("not an http(s) address: %1").arg(reply->url().toString());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200)
        return QStringLiteral("HTTP status %1").arg(status);
    if (body.isEmpty())
        return QStringLiteral("empty body");
    // A compressed body is unpacked on arrival: its announced length is the packed one.
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if ((encoding.isEmpty() || encoding == "identity") && announced.isValid() && announced.toLongLong() != body.size())
        return QStringLiteral("%1 of %2 bytes").arg(body.size()).arg(announced.toLongLong());
    return QString();
}
