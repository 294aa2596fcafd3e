#pragma once

#include "online/upgrades/IgnoredVersions.h"
#include "online/upgrades/UpgradeService.h"

#include <QDialog>
#include <QNetworkAccessManager>
#include <QString>

class QLabel;
class QNetworkReply;
class QPushButton;
class QTextEdit;

// Asks the upgrade service whether a newer version of this program exists
// and offers it: name, version, code, release date and notes, with "忽略"
// (not again for this version) and "更新" (hand over to the upgrade tool).
// Hidden unless a reply offers a version newer than the running one that the
// operator has not ignored.
class UpgradesSoftWidget : public QDialog
{
    Q_OBJECT
public:
    static constexpr quint16 kPort = UpgradeService::kPort;

    explicit UpgradesSoftWidget(QWidget *parent = nullptr);
    ~UpgradesSoftWidget() override;

    // The server that check() asks; the request address is built from it.
    void setHost(const QString &host);
    QString url() const { return m_url; }
    // Where the ignored versions are kept (the program's "config.ini" unless set).
    void setSettingsFile(const QString &file) { m_ignored.setFile(file); }
    // Sends the version query and returns at once; the reply decides.
    void check(const QString &softName, const QString &softVersion, const QString &softCode);

    // What the dialog shows, for its tests.
    QString shownVersion() const;
    QPushButton *ignoreButton() const { return m_ignoreButton; }
    QPushButton *updateButton() const { return m_updateButton; }

signals:
    void upgrade();

private slots:
    void onGetFinished(QNetworkReply *reply);

private:
    void buildUi();
    void offer(const QVariantMap &data);
    void ignoreShown();

    QString m_url;
    QNetworkAccessManager m_manager;
    IgnoredVersions m_ignored;
    QLabel *m_nameLabel = nullptr;
    QLabel *m_versionLabel = nullptr;
    QLabel *m_codeLabel = nullptr;
    QLabel *m_dateLabel = nullptr;
    QTextEdit *m_contentEdit = nullptr;
    QPushButton *m_ignoreButton = nullptr;
    QPushButton *m_updateButton = nullptr;
    QString m_softName, m_softVersion, m_softCode;
};
