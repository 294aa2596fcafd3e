#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

class QPainter;

// How the carousel draws and sizes its images. Each image is scaled to fit
// the window, aspect kept, smoothly, and centred. A fade repaints dozens of
// times a second, and scaling a full-size photo takes milliseconds: the
// scaled copies are kept while the image and the window's size stay.
class CarouselFrame
{
public:
    // The window's area in square pixels, and the sides it may take.
    static constexpr double kArea = 100000.0;
    static constexpr int kMinSide = 20;
    static constexpr int kMaxSide = 1600;

    // The window's size for a first image of this size: its aspect ratio at
    // about kArea (1000 × 250 gives 632 × 158). Invalid for an image without
    // pixels, or one so narrow or wide that a side would leave the bounds.
    static QSize sizeFor(const QSize &image);
    // The image scaled into size as it is drawn there.
    static QImage scaledTo(const QImage &image, const QSize &size);

    // current in rect, then previous over it at opacity (a fade), when given.
    // Null images draw nothing.
    void paint(QPainter &painter, const QRect &rect, const QImage &current, const QImage &previous = QImage(),
               qreal opacity = 0.0);
    void clear() { m_cache.clear(); }

private:
    const QImage &scaled(const QImage &image, const QSize &size);

    struct Entry
    {
        qint64 key;
        QSize size;
        QImage image;
    };
    QList<Entry> m_cache;
};
