#include "configuration/parameters/HostLookup.h"

#include "configuration/Config.h"

#include <QDebug>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

bool HostLookup::parseReply(const QByteArray &body, QString *text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    const QJsonValue data = document.isObject() ? document.object().value(QStringLiteral("data")) : QJsonValue();
    if (!data.isString())
        return false;
    *text = data.toString();
    return true;
}

QString HostLookup::lookup(const QString &path, int textId, int dateId)
{
    const auto textKey = Config::ConfigParamType(textId);
    const auto dateKey = Config::ConfigParamType(dateId);
    const QString kept = m_config.getProperty(textKey).toString();
    if (!kept.isEmpty() && m_config.getProperty(dateKey).toDate() == QDate::currentDate())
        return kept;
    {
        QMutexLocker lock(&m_lock);
        if (m_asking.contains(path))
            return kept;
        m_asking.insert(path);
    }
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(m_config.getProperty(Config::CPT_IP).toString().trimmed());
    url.setPort(kPort);
    url.setPath(path);

    QString text;
    bool answered = false;
    if (url.isValid() && !url.host().isEmpty()) {
        QNetworkAccessManager manager;
        QNetworkRequest request(url);
        request.setTransferTimeout(kIdleTimeoutMs);
        QNetworkReply *reply = manager.get(request);
        // Held at the limit: a larger reply stalls there and is given up.
        reply->setReadBufferSize(kMaxReplyBytes + 1);
        QEventLoop loop;
        QTimer overall;
        overall.setSingleShot(true);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(&overall, &QTimer::timeout, reply, &QNetworkReply::abort);
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
            if (received > kMaxReplyBytes || total > kMaxReplyBytes)
                reply->abort();
        });
        overall.start(kTotalTimeoutMs);
        if (!reply->isFinished())
            loop.exec();
        const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
        if (body.size() > kMaxReplyBytes)
            qInfo().noquote() << "Config::updateHost" << url.toString() << "reply too large:" << body.size() << "bytes";
        else if (reply->error() == QNetworkReply::NoError && !(answered = parseReply(body, &text)))
            qWarning().noquote() << "Config::updateHost" << url.toString() << "reply without a text \"data\":"
                                 << body.left(80);
    }
    {
        QMutexLocker lock(&m_lock);
        m_asking.remove(path);
    }
    if (!answered)
        return kept;
    m_config.setProperty(textKey, text);
    m_config.setProperty(dateKey, QDate::currentDate());
    return m_config.getProperty(textKey).toString();
}

QString Config::updateHostIp()
{
    return m_hostLookup.lookup(QStringLiteral("/getIP"), CPT_Host_Ip, CPT_Host_Ip_Date);
}

QString Config::updateHostLocation()
{
    return m_hostLookup.lookup(QStringLiteral("/getLocation"), CPT_Host_Location, CPT_Host_Location_Date);
}
