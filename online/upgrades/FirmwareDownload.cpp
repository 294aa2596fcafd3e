#include "online/upgrades/FirmwareDownload.h"

#include <QNetworkReply>
#include <QUrl>

FirmwareDownload::FirmwareDownload(QObject *parent)
    : QObject(parent)
{
}

FirmwareDownload::~FirmwareDownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        delete m_reply;
    }
}

bool FirmwareDownload::start(const QString &address, QString *why)
{
    if (m_reply) {
        *why = QStringLiteral("a download runs");
        return false;
    }
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    QNetworkReply *reply = BoundedGet::start(m_manager, url, m_limits);
    if (!reply) {
        *why = QStringLiteral("not an http(s) address: %1").arg(address);
        return false;
    }
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, &FirmwareDownload::progress);
    connect(reply, &QNetworkReply::finished, this, &FirmwareDownload::done);
    return true;
}

void FirmwareDownload::done()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    const QString why = BoundedGet::fault(reply, body);
    if (why.isEmpty())
        emit finished(body);
    else
        emit failed(why);
}
