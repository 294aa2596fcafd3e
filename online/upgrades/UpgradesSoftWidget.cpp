#include "online/upgrades/UpgradesSoftWidget.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkReply>
#include <QPushButton>
#include <QTextEdit>
#include <QUrl>
#include <QUrlQuery>
#include <QVersionNumber>

namespace {
const char *kOrigin = "UpgradesSoftWidget::onGetFinished";

QString requestUrl(const QString &host)
{
    return UpgradeService::url(host, QStringLiteral("/machine/software/version"));
}
} // namespace

UpgradesSoftWidget::UpgradesSoftWidget(QWidget *parent)
    : QDialog(parent), m_url(requestUrl(QStringLiteral("127.0.0.1")))
{
    buildUi();
    connect(&m_manager, &QNetworkAccessManager::finished, this, &UpgradesSoftWidget::onGetFinished);
}

UpgradesSoftWidget::~UpgradesSoftWidget() = default;

void UpgradesSoftWidget::buildUi()
{
    resize(400, 300);
    auto *grid = new QGridLayout(this);
    const auto caption = [this, grid](const QString &text, int row) {
        auto *label = new QLabel(text, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(label, row, 0);
    };
    const auto value = [this, grid](int row) {
        auto *label = new QLabel(this);
        grid->addWidget(label, row, 1);
        return label;
    };
    caption(tr("软件名称："), 0);
    m_nameLabel = value(0);
    caption(tr("软件版本："), 1);
    m_versionLabel = value(1);
    caption(tr("软件编码："), 2);
    m_codeLabel = value(2);
    caption(tr("发布日期："), 3);
    m_dateLabel = value(3);
    caption(tr("更新内容："), 4);
    m_contentEdit = new QTextEdit(this);
    m_contentEdit->setReadOnly(true);
    grid->addWidget(m_contentEdit, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ignoreButton = new QPushButton(tr("忽略"), this);
    m_updateButton = new QPushButton(tr("更新"), this);
    buttons->addWidget(m_ignoreButton);
    buttons->addWidget(m_updateButton);
    grid->addLayout(buttons, 5, 0, 1, 2);

    connect(m_ignoreButton, &QPushButton::clicked, this, &UpgradesSoftWidget::ignoreShown);
    connect(m_updateButton, &QPushButton::clicked, this, [this] {
        close();
        emit upgrade();
    });
}

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
    UpgradeService::ask(m_manager, url, "UpgradesSoftWidget::check");
}

QString UpgradesSoftWidget::shownVersion() const
{
    return m_versionLabel->text();
}

void UpgradesSoftWidget::onGetFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    QJsonObject object;
    if (!UpgradeService::answer(reply, kOrigin, object))
        return;
    const QVariantMap data = object.value(QStringLiteral("data")).toObject().toVariantMap();
    if (data.isEmpty())
        return;
    const QVersionNumber running = QVersionNumber::fromString(m_softVersion);
    const QVersionNumber offered = QVersionNumber::fromString(data.value(QStringLiteral("softVersion")).toString());
    qInfo().noquote() << kOrigin << "Current" << running.toString() << "Upgrage" << offered.toString();
    if (QVersionNumber::compare(running, offered) >= 0)
        return;
    if (m_ignored.available()) {
        const QString ignored = m_ignored.version(m_softName);
        qInfo().noquote() << kOrigin << "Ignore" << ignored;
        if (QVersionNumber::compare(QVersionNumber::fromString(ignored), offered) == 0)
            return;
    }
    offer(data);
}

void UpgradesSoftWidget::offer(const QVariantMap &data)
{
    const auto text = [&data](const char *key) { return data.value(QLatin1String(key)).toString(); };
    m_nameLabel->setText(text("softName"));
    m_versionLabel->setText(text("softVersion"));
    m_codeLabel->setText(text("softCode"));
    m_dateLabel->setText(text("releaseDate"));
    m_contentEdit->setHtml(text("content"));
    show();
}

void UpgradesSoftWidget::ignoreShown()
{
    if (!m_ignored.ignore(m_softName, m_versionLabel->text()))
        return;
    close();
}
