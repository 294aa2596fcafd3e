#pragma once

#include "online/BoundedGet.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

class QNetworkReply;

// One image of the carousel: where it comes from, what a click on it opens
// (may be empty), and the picture once it has arrived (null until then, and
// for ever when it could not be had).
struct CarouselItem
{
    QString url;
    QString link;
    QImage image;
};

// The carousel's images and their downloads. A new list replaces the old one
// whole and ends its downloads; each answer finds its image by the reply it
// came in (a redirected image keeps its place). Lists, sizes and pictures are
// bounded: an ad message is outside input.
class CarouselImages : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxImages = 20;
    static constexpr qint64 kMaxPixels = 40000000;
    static constexpr BoundedGet::Limits kLimits{30000, 120000, 10 << 20};

    explicit CarouselImages(QObject *parent = nullptr);
    ~CarouselImages() override;

    // Image i gets links[0] when there is one link for all, else links[i]
    // when there is one, else none. Only http(s) images are fetched.
    void setUrls(const QList<QString> &images, const QList<QString> &links);
    const QList<CarouselItem> &items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    int pendingDownloads() const { return int(m_replies.size()); }

signals:
    // Item index has its picture.
    void imageArrived(int index);

private:
    void finished(QNetworkReply *reply);
    void abortAll();

    QNetworkAccessManager m_network;
    QList<CarouselItem> m_items;
    QHash<QNetworkReply *, int> m_replies;
};
