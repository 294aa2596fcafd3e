#pragma once

#include "UpgradeService.h"

#include <QDialog>
#include <QNetworkAccessManager>
#include <QString>

class QNetworkReply;

// Asks the upgrade service whether a newer version of this program exists.
// For now it sends the query and logs the answer; the offer itself (labels,
// "忽略"/"更新") comes with the online services.
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
    // Sends the version query and returns at once; the answer is logged.
    void check(const QString &softName, const QString &softVersion, const QString &softCode);

signals:
    void upgrade();

private slots:
    void onGetFinished(QNetworkReply *reply);

private:
    QString m_url;
    QNetworkAccessManager m_manager;
    QString m_softName, m_softVersion, m_softCode;
};
