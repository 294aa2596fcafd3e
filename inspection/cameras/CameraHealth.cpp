#include "inspection/cameras/CameraHealth.h"

#include <QDebug>

namespace {
// Items joined by blanks, as the log's stream writes them.
QString line(const char *method, const QString &text, const CameraStatus *status)
{
    QStringList items{QString::fromLatin1(method), text};
    if (status)
        items << status->codeText() << status->message;
    return items.join(QLatin1Char(' '));
}
} // namespace

void CameraHealth::log(const char *method, const QString &text, const CameraStatus *status)
{
    qCritical().noquote() << line(method, text, status);
}

void CameraHealth::failure(const QByteArray &serial, const char *method, const QString &text,
                           const CameraStatus *status)
{
    const QString said = line(method, text, status);
    {
        QMutexLocker lock(&m_lock);
        QString &last = m_logged[serial];
        if (last == said)
            return;
        last = said;
    }
    log(method, text, status);
}

void CameraHealth::recovered(const QByteArray &serial, const char *method)
{
    bool hadFailed = false;
    {
        QMutexLocker lock(&m_lock);
        hadFailed = m_logged.remove(serial) > 0;
    }
    if (hadFailed)
        qInfo().noquote() << method << "camera works again:" << serial;
}

bool CameraHealth::grabFailed(const QByteArray &serial)
{
    QMutexLocker lock(&m_lock);
    auto it = m_failingSince.find(serial);
    if (it == m_failingSince.end()) {
        m_failingSince[serial].start();
        return false;
    }
    return it->elapsed() >= kGiveUpMs;
}

void CameraHealth::grabbed(const QByteArray &serial)
{
    QMutexLocker lock(&m_lock);
    m_failingSince.remove(serial);
}
