#include "online/carousel/CarouselImages.h"

#include <QBuffer>
#include <QDebug>
#include <QImageReader>
#include <QNetworkReply>
#include <QUrl>

namespace {
// The window's function, whose work this is.
const char *kOrigin = "CarouselImageWindow::handleNetworkResponse";
} // namespace

CarouselImages::CarouselImages(QObject *parent)
    : QObject(parent)
{
}

CarouselImages::~CarouselImages()
{
    abortAll();
}

void CarouselImages::abortAll()
{
    const QList<QNetworkReply *> replies = m_replies.keys();
    m_replies.clear();
    for (QNetworkReply *reply : replies) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void CarouselImages::setUrls(const QList<QString> &images, const QList<QString> &links)
{
    abortAll();
    m_items.clear();
    if (images.size() > kMaxImages)
        qWarning().noquote() << "CarouselImageWindow::setImageUrl" << images.size() << "images, the first" << kMaxImages
                             << "kept";
    const qsizetype count = qMin<qsizetype>(images.size(), kMaxImages);
    for (qsizetype i = 0; i < count; ++i) {
        CarouselItem item;
        if (links.size() == 1)
            item.link = links.first();
        else if (i < links.size())
            item.link = links.at(i);
        const QUrl url(images.at(i), QUrl::TolerantMode);
        item.url = url.toString();
        m_items << item;
        QNetworkReply *reply = BoundedGet::start(m_network, url, kLimits);
        if (!reply) {
            qWarning().noquote() << "CarouselImageWindow::setImageUrl" << "not an http(s) image" << images.at(i);
            continue;
        }
        m_replies.insert(reply, int(i));
        connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
    }
}

void CarouselImages::finished(QNetworkReply *reply)
{
    reply->deleteLater();
    const auto found = m_replies.constFind(reply);
    if (found == m_replies.constEnd())
        return;
    const int index = found.value();
    m_replies.erase(found);
    const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    const QString why = BoundedGet::fault(reply, body);
    if (!why.isEmpty()) {
        qCritical().noquote() << kOrigin << BoundedGet::errorName(reply) << reply->url().toString() << why;
        return;
    }
    QBuffer buffer;
    buffer.setData(body);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (qint64(size.width()) * size.height() > kMaxPixels) {
        qWarning().noquote() << kOrigin << "image too large" << size << reply->url().toString();
        return;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        qWarning().noquote() << kOrigin << "not an image" << reply->url().toString() << reader.errorString();
        return;
    }
    m_items[index].image = image;
    emit imageArrived(index);
}
