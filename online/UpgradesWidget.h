#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QNetworkAccessManager>
#include <QString>
#include <QVariantMap>

class QNetworkReply;
class QProgressBar;

// One controller board's firmware query: who asks (machine, board, host) and
// for which module.
struct FirmwareQuery
{
    QString deviceId;
    QString machineCode;
    QString machineModelCode;
    QString firmNo;
    QString pcbCode;
    QString pcbversion;
    QString ip;
    QString location;
    QString language;
    QString loginContext;
    QString moduleName;
    int firmModule = 0;
};

// The firmware-upgrade dialog: asks the upgrade service, module by module,
// for the firmware versions of the controller's boards and shows the
// progress of a transfer. For now the answers are logged; the version tree,
// the download and the `upgrade` signal's emission come with the online
// services.
class UpgradesWidget : public QDialog
{
    Q_OBJECT
public:
    explicit UpgradesWidget(QWidget *parent = nullptr);
    ~UpgradesWidget() override;

    // The server that the queries go to.
    void setHost(const QString &host);
    QString url() const { return m_url; }
    // One version query per entry, in order; each returns at once.
    void checkAll(const QList<FirmwareQuery> &queries);
    void check(const FirmwareQuery &query);
    void setUpgradeProgress(int percent);
    int upgradeProgress() const;

signals:
    // A downloaded firmware file for the module upgradeMode.
    void upgrade(int upgradeMode, QByteArray upgradeFile, QVariantMap paramList);

private slots:
    void onGetFinished(QNetworkReply *reply);

private:
    QString m_url;
    QNetworkAccessManager m_manager;
    QProgressBar *m_progress = nullptr;
};
