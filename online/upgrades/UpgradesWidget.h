#pragma once

#include "online/upgrades/FirmwareOutcome.h"
#include "online/upgrades/FirmwareQuery.h"
#include "online/upgrades/FirmwareTree.h"
#include "online/upgrades/IgnoredVersions.h"

#include <QByteArray>
#include <QDialog>
#include <QHash>
#include <QList>
#include <QMap>
#include <QModelIndex>
#include <QNetworkAccessManager>
#include <QString>
#include <QVariantMap>
#include <functional>

class FirmwareDownload;
class QGroupBox;
class QNetworkReply;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QTreeView;

// The firmware-upgrade dialog: asks the upgrade service, module by module,
// for the firmware of the controller's boards, lists what is newer in a tree
// (current, latest and older versions), downloads the chosen file and hands
// it on through `upgrade`, then shows the transfer's progress. It shows
// itself only when a module has a newer version that is not ignored.
class UpgradesWidget : public QDialog
{
    Q_OBJECT
public:
    explicit UpgradesWidget(QWidget *parent = nullptr);
    ~UpgradesWidget() override;

    // The server that the queries go to.
    void setHost(const QString &host);
    QString url() const { return m_url; }
    // Where the ignored versions are kept (the program's "config.ini" unless set).
    void setSettingsFile(const QString &file) { m_ignored.setFile(file); }
    // Whether the machine still takes a firmware file: no download starts then.
    void setTransferRunning(std::function<bool()> running) { m_transferRunning = std::move(running); }
    // One version query per entry, in order; each returns at once.
    void checkAll(const QList<FirmwareQuery> &queries);
    void check(const FirmwareQuery &query);
    void setUpgradeProgress(int percent);
    int upgradeProgress() const;
    // Version queries sent and not answered yet.
    int pendingQueries() const { return int(m_pending.size()); }

    // The parts, for the dialog's tests.
    QTreeView *tree() const { return m_tree; }
    QStandardItemModel *model() const { return m_versions.model(); }
    QProgressBar *progressBar() const { return m_progressBar; }
    QPushButton *upgradeButton() const { return m_upgradeButton; }
    QPushButton *ignoreButton() const { return m_ignoreButton; }
    QTextEdit *contentEdit() const { return m_contentEdit; }
    QGroupBox *groupBox() const { return m_groupBox; }
    FirmwareDownload *download() const { return m_download; }

signals:
    // A downloaded firmware file for the module upgradeMode, with its row.
    void upgrade(int upgradeMode, QByteArray upgradeFile, QVariantMap paramList);
    void downloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);

private slots:
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void on_pushButton_upgrade_clicked();
    void on_pushButton_ignore_clicked();
    void on_select_changed(const QModelIndex &current, const QModelIndex &previous);
    void onGetFinished(QNetworkReply *reply);

private:
    void buildUi();
    void addReply(int module, const QList<QVariantMap> &rows);
    void downloaded(const QByteArray &file);
    void downloadFailed(const QString &reason);
    void resetProgress();

    FirmwareTree m_versions;
    QMap<int, FirmwareQuery> m_queries;
    // The last query per module: an earlier answer that comes late is stale.
    QHash<QNetworkReply *, int> m_pending;
    QString m_url;
    QNetworkAccessManager m_manager;
    IgnoredVersions m_ignored;
    std::function<bool()> m_transferRunning;
    FirmwareDownload *m_download = nullptr;
    int m_downloadModule = -1;
    QVariantMap m_downloadRecord;
    FirmwareOutcome m_outcome;
    // The bar shows the machine's transfer now, no longer the download.
    bool m_transferShown = false;
    QTreeView *m_tree = nullptr;
    QTextEdit *m_contentEdit = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QPushButton *m_ignoreButton = nullptr;
    QPushButton *m_upgradeButton = nullptr;
    QGroupBox *m_groupBox = nullptr;
};
