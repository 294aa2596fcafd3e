#pragma once

#include "online/BoundedGet.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>

#include <QNetworkReply>

// The download of one firmware file, one at a time, apart from the version
// queries. Only a whole file is handed on: http(s) only, within kLimits,
// status 200, a non-empty body of the announced length. Anything else ends
// in failed() with the reason; a quit or a new start never passes a part on.
class FirmwareDownload : public QObject
{
    Q_OBJECT
public:
    // A board's firmware is a few hundred kilobytes; a transfer that stalls
    // for 30 s, or takes ten minutes, has failed.
    static constexpr BoundedGet::Limits kLimits{30000, 600000, 16 << 20};

    explicit FirmwareDownload(QObject *parent = nullptr);
    ~FirmwareDownload() override;

    bool isRunning() const { return m_reply != nullptr; }
    // Starts the download of address; false, with why, when it is no
    // http(s) address or a download runs.
    bool start(const QString &address, QString *why);
    void setLimits(const BoundedGet::Limits &limits) { m_limits = limits; }

signals:
    void progress(qint64 received, qint64 total);
    void finished(const QByteArray &file);
    void failed(const QString &reason);

private:
    void done();

    QNetworkAccessManager m_manager;
    QPointer<QNetworkReply> m_reply;
    BoundedGet::Limits m_limits = kLimits;
};
