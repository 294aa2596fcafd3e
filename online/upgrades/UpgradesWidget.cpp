#include "online/upgrades/UpgradesWidget.h"

#include "online/upgrades/FirmwareDownload.h"
#include "configuration/Notifier.h"
#include "online/upgrades/UpgradeService.h"

#include <QDebug>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkReply>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QTreeView>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace {
const QString kPath = QStringLiteral("/machine/firmware/versions");
const char *kReplyOrigin = "UpgradesWidget::onGetFinished";
const char *kUpgradeOrigin = "UpgradesWidget::on_pushButton_upgrade_clicked";
// Not translated: the boxes' title reads "tip" in either language.
const QString kTip = QStringLiteral("tip");

QString text(const QVariantMap &record, const char *key)
{
    return record.value(QLatin1String(key)).toString();
}
} // namespace

UpgradesWidget::UpgradesWidget(QWidget *parent)
    : QDialog(parent), m_url(UpgradeService::url(QStringLiteral("127.0.0.1"), kPath))
{
    m_download = new FirmwareDownload(this);
    buildUi();
    connect(&m_manager, &QNetworkAccessManager::finished, this, &UpgradesWidget::onGetFinished);
    connect(this, &UpgradesWidget::downloadProgress, this, &UpgradesWidget::onDownloadProgress);
    connect(m_download, &FirmwareDownload::progress, this, &UpgradesWidget::downloadProgress);
    connect(m_download, &FirmwareDownload::finished, this, &UpgradesWidget::downloaded);
    connect(m_download, &FirmwareDownload::failed, this, &UpgradesWidget::downloadFailed);
}

UpgradesWidget::~UpgradesWidget() = default;

void UpgradesWidget::buildUi()
{
    QFont font = this->font();
    font.setPointSize(12);
    resize(800, 500);
    auto *grid = new QGridLayout(this);
    auto *caption = new QLabel(tr("升级模块"), this);
    caption->setFont(font);
    grid->addWidget(caption, 0, 0, 1, 2);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    m_tree = new QTreeView(splitter);
    m_tree->setFont(font);
    m_tree->setStyleSheet(QStringLiteral("QTreeView::item:selected { background-color: #6a5acd; color: white; }"));
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setModel(m_versions.model());
    m_tree->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_tree->setColumnWidth(0, 130);
    m_groupBox = new QGroupBox(splitter);
    auto *notes = new QVBoxLayout(m_groupBox);
    m_contentEdit = new QTextEdit(m_groupBox);
    m_contentEdit->setReadOnly(true);
    notes->addWidget(m_contentEdit);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_groupBox);
    splitter->setStretchFactor(0, 5);
    splitter->setStretchFactor(1, 6);
    grid->addWidget(splitter, 1, 0, 1, 2);
    grid->setRowStretch(1, 1);

    auto *bottom = new QHBoxLayout;
    m_progressBar = new QProgressBar(this);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(24);
    m_progressBar->hide();
    bottom->addWidget(m_progressBar, 1);
    bottom->addStretch();
    m_ignoreButton = new QPushButton(tr("忽略"), this);
    m_upgradeButton = new QPushButton(tr("升级"), this);
    for (QPushButton *button : {m_ignoreButton, m_upgradeButton}) {
        button->setFont(font);
        button->setMinimumSize(75, 30);
        bottom->addWidget(button);
    }
    grid->addLayout(bottom, 2, 0, 1, 2);

    // Nothing chosen yet: nothing to read or install.
    m_contentEdit->hide();
    m_ignoreButton->hide();
    m_upgradeButton->hide();
    connect(m_upgradeButton, &QPushButton::clicked, this, &UpgradesWidget::on_pushButton_upgrade_clicked);
    connect(m_ignoreButton, &QPushButton::clicked, this, &UpgradesWidget::on_pushButton_ignore_clicked);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &UpgradesWidget::on_select_changed);
}

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
    const int module = q.firmModule;
    if (m_queries.contains(module)) {
        if (!m_download->isRunning())
            m_upgradeButton->setEnabled(true);
        const FirmwareQuery before = m_queries.value(module);
        switch (m_outcome.judge(before, q)) {
        case FirmwareOutcome::Upgraded:
            Notifier::warning(kTip, tr("升级成功"));
            break;
        case FirmwareOutcome::NotWhatWasSent:
            qWarning().noquote() << "UpgradesWidget::check" << "module" << module << "firmware" << before.firmNo << "->"
                                 << q.firmNo << "machine" << q.machineCode << "is not the version this dialog sent";
            break;
        case FirmwareOutcome::OtherController:
            qInfo().noquote() << "UpgradesWidget::check" << "module" << module << "machine" << before.machineCode << "->"
                              << q.machineCode << "firmware" << before.firmNo << "->" << q.firmNo << "another controller";
            break;
        case FirmwareOutcome::Unchanged:
            break;
        }
    }
    m_versions.removeModule(module);
    m_queries.insert(module, q);

    QUrl url(m_url);
    url.setQuery(q.items());
    QNetworkReply *reply = UpgradeService::ask(m_manager, url, "UpgradesWidget::check");
    // Only the newest query of a module may fill its rows.
    for (auto it = m_pending.begin(); it != m_pending.end();)
        it = it.value() == module ? m_pending.erase(it) : std::next(it);
    if (reply)
        m_pending.insert(reply, module);
}

void UpgradesWidget::onGetFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const auto pending = m_pending.constFind(reply);
    if (pending == m_pending.constEnd()) {
        qDebug().noquote() << kReplyOrigin << "a later query replaced" << reply->url().toString();
        return;
    }
    const int module = pending.value();
    m_pending.remove(reply);
    QJsonObject object;
    if (!UpgradeService::answer(reply, kReplyOrigin, object, QStringLiteral("rows")))
        return;
    const QList<QVariantMap> rows =
        FirmwareTree::acceptRows(module, object.value(QStringLiteral("rows")).toArray(), kReplyOrigin);
    if (rows.isEmpty() || rows.first().value(QStringLiteral("isCurrentVersion")).toBool())
        return;
    const QString latest = text(rows.first(), "firmNo");
    if (m_ignored.available()) {
        const QString ignored = m_ignored.version(QString::number(module));
        if (ignored == latest) {
            qInfo().noquote() << kReplyOrigin << "module" << module << "Ignore" << ignored;
            return;
        }
    }
    addReply(module, rows);
    show();
}

void UpgradesWidget::addReply(int module, const QList<QVariantMap> &rows)
{
    const FirmwareQuery query = m_queries.value(module);
    const QModelIndex latest = m_versions.addModule(module, query.moduleName, query.firmNo, rows);
    m_tree->expand(latest.parent());
    m_tree->setCurrentIndex(latest);
}

void UpgradesWidget::on_select_changed(const QModelIndex &current, const QModelIndex &)
{
    if (!FirmwareTree::versionCell(current).isValid())
        return;
    const QVariantMap record = FirmwareTree::record(current);
    if (record.isEmpty()) {
        m_groupBox->setTitle(QString());
        m_contentEdit->hide();
        if (!m_download->isRunning())
            m_progressBar->hide();
        m_upgradeButton->hide();
        m_ignoreButton->hide();
        return;
    }
    m_groupBox->setTitle(text(record, "firmModuleStr") + QStringLiteral(" : ") + text(record, "firmNo"));
    m_contentEdit->setHtml(text(record, "content"));
    m_contentEdit->show();
    m_upgradeButton->show();
    m_ignoreButton->setVisible(FirmwareTree::isLatest(current));
}

void UpgradesWidget::on_pushButton_ignore_clicked()
{
    const QModelIndex current = m_tree->currentIndex();
    const QVariantMap record = FirmwareTree::record(current);
    const int module = m_versions.moduleOf(current);
    // The button shows on a module's latest version alone: it is that which is not offered again.
    if (record.isEmpty() || !FirmwareTree::isLatest(current) || module < 0 || !m_ignored.available())
        return;
    if (!m_ignored.ignore(QString::number(module), text(record, "firmNo")))
        return;
    m_versions.removeModule(module);
    if (!m_tree->currentIndex().isValid())
        on_select_changed(m_versions.model()->index(0, 0), {});
    if (!m_tree->currentIndex().isValid()) {
        m_groupBox->setTitle(QString());
        m_contentEdit->hide();
        m_upgradeButton->hide();
        m_ignoreButton->hide();
    }
}

void UpgradesWidget::on_pushButton_upgrade_clicked()
{
    const QModelIndex current = m_tree->currentIndex();
    const QVariantMap record = FirmwareTree::record(current);
    const int module = m_versions.moduleOf(current);
    if (record.isEmpty() || module < 0) {
        Notifier::warning(kTip, tr("请选择正确版本升级"));
        return;
    }
    const QString files = text(record, "files").trimmed();
    if (files.isEmpty()) {
        Notifier::warning(tr("警告"), tr("没有下载链接"));
        return;
    }
    if (m_download->isRunning())
        return;
    if (m_transferRunning && m_transferRunning()) {
        Notifier::warning(kTip, tr("请等待升级结束"));
        return;
    }
    QString why;
    if (!m_download->start(files, &why)) {
        downloadFailed(why);
        return;
    }
    qInfo().noquote() << kUpgradeOrigin << "module" << module << "version" << text(record, "firmNo") << "from" << files;
    m_downloadModule = module;
    m_downloadRecord = record;
    m_upgradeButton->setEnabled(false);
    m_transferShown = false;
    m_progressBar->setFormat(tr("下载进度%p%"));
    m_progressBar->setValue(0);
    m_progressBar->show();
}

void UpgradesWidget::downloaded(const QByteArray &file)
{
    const int module = m_downloadModule;
    // A file sent from elsewhere meanwhile still goes into the board.
    if (m_transferRunning && m_transferRunning()) {
        downloadFailed(tr("请等待升级结束"));
        return;
    }
    m_progressBar->setValue(m_progressBar->maximum());
    m_outcome.sent(module, m_queries.value(module).machineCode, text(m_downloadRecord, "firmNo"));
    qInfo().noquote() << kUpgradeOrigin << "module" << module << "downloaded" << file.size() << "bytes";
    emit upgrade(module, file, m_downloadRecord);
}

void UpgradesWidget::downloadFailed(const QString &reason)
{
    qCritical().noquote() << kUpgradeOrigin << "download failed:" << reason;
    resetProgress();
    m_upgradeButton->setEnabled(true);
    Notifier::warning(tr("警告"), tr("下载失败：%1").arg(reason));
}

void UpgradesWidget::resetProgress()
{
    m_transferShown = false;
    m_progressBar->setFormat(tr("下载进度%p%"));
    m_progressBar->setValue(0);
    m_progressBar->hide();
}

void UpgradesWidget::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal)
{
    if (bytesTotal > 0)
        m_progressBar->setValue(int(qBound(0LL, bytesReceived * 100 / bytesTotal, 100LL)));
}

void UpgradesWidget::setUpgradeProgress(int percent)
{
    if (m_progressBar->value() == m_progressBar->maximum() && !m_transferShown) {
        m_progressBar->setFormat(tr("升级进度%p%"));
        m_transferShown = true;
    }
    const int value = qBound(0, percent, 100);
    // Back to nothing half-way: the transfer broke off, and may be tried again.
    const int before = m_progressBar->value();
    if (value == 0 && m_transferShown && before > 0 && before < 100 && !m_download->isRunning())
        m_upgradeButton->setEnabled(true);
    m_progressBar->setValue(value);
}

int UpgradesWidget::upgradeProgress() const
{
    return m_progressBar->value();
}
