#include "UpgradesSoftWidget.h"

#include "UpgradeService.h"

#include <QDebug>
#include <QMetaEnum>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <QUrlQuery>

namespace {
QString requestUrl(const QString &host)
{
    return UpgradeService::url(host, QStringLiteral("/machine/software/version"));
}
} // namespace

UpgradesSoftWidget::UpgradesSoftWidget(QWidget *parent)
    : QDialog(parent), m_url(requestUrl(QStringLiteral("127.0.0.1")))
{
    connect(&m_manager, &QNetworkAccessManager::finished, this, &UpgradesSoftWidget::onGetFinished);
}

UpgradesSoftWidget::~UpgradesSoftWidget() = default;

void UpgradesSoftWidget::setHost(const QString &host)
{
    m_url = requestUrl(host);
}

void UpgradesSoftWidget::check(const QString &softName, const QString &softVersion, const QString &softCode)
{
    m_softName = softName;
    m_softVersion = softVersion;
    m_softCode = softCode;
    QUrl url(m_url);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("softName"), softName);
    query.addQueryItem(QStringLiteral("softVersion"), softVersion);
    query.addQueryItem(QStringLiteral("softCode"), softCode);
    url.setQuery(query);
    m_manager.get(QNetworkRequest(url));
}

void UpgradesSoftWidget::onGetFinished(QNetworkReply *reply)
{
    if (reply->error() != QNetworkReply::NoError) {
        qCritical().noquote() << "UpgradesSoftWidget::onGetFinished"
                              << QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(reply->error())
                              << reply->url().toString();
    } else {
        qDebug().noquote() << "UpgradesSoftWidget::onGetFinished" << reply->url().toString();
        qDebug().noquote() << "UpgradesSoftWidget::onGetFinished" << QString::fromUtf8(reply->readAll());
    }
    reply->deleteLater();
}
