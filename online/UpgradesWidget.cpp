#include "UpgradesWidget.h"

#include "UpgradeService.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace {
const QString kPath = QStringLiteral("/machine/firmware/versions");
}

UpgradesWidget::UpgradesWidget(QWidget *parent)
    : QDialog(parent), m_url(UpgradeService::url(QStringLiteral("127.0.0.1"), kPath))
{
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_progress);
    connect(&m_manager, &QNetworkAccessManager::finished, this, &UpgradesWidget::onGetFinished);
}

UpgradesWidget::~UpgradesWidget() = default;

void UpgradesWidget::setHost(const QString &host)
{
    m_url = UpgradeService::url(host, kPath);
}

void UpgradesWidget::checkAll(const QList<FirmwareQuery> &queries)
{
    for (const FirmwareQuery &query : queries)
        check(query);
}

void UpgradesWidget::check(const FirmwareQuery &q)
{
    QUrl url(m_url);
    QUrlQuery query;
    const std::pair<const char *, QString> items[] = {
        {"deviceId", q.deviceId}, {"firmNo", q.firmNo}, {"pcbCode", q.pcbCode}, {"pcbversion", q.pcbversion},
        {"machineCode", q.machineCode}, {"machineModelCode", q.machineModelCode}, {"ip", q.ip},
        {"location", q.location}, {"language", q.language}, {"loginContext", q.loginContext},
        {"firmModule", QString::number(q.firmModule)}, {"top", QStringLiteral("3")}};
    for (const auto &[key, value] : items)
        query.addQueryItem(QString::fromLatin1(key), value);
    url.setQuery(query);
    m_manager.get(QNetworkRequest(url));
}

void UpgradesWidget::setUpgradeProgress(int percent)
{
    m_progress->setValue(qBound(0, percent, 100));
}

int UpgradesWidget::upgradeProgress() const
{
    return m_progress->value();
}

void UpgradesWidget::onGetFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    QJsonObject object;
    if (!UpgradeService::answer(reply, "UpgradesWidget::onGetFinished", object, QStringLiteral("rows")))
        return;
    const QJsonArray rows = object.value(QStringLiteral("rows")).toArray();
    const QJsonObject latest = rows.isEmpty() ? QJsonObject() : rows.first().toObject();
    qInfo().noquote() << "UpgradesWidget::onGetFinished" << reply->url().toString() << rows.size() << "versions"
                      << "latest" << latest.value(QStringLiteral("firmNo")).toVariant().toString();
}
