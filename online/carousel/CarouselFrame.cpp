#include "online/carousel/CarouselFrame.h"

#include <QPainter>
#include <cmath>

namespace {
// The shown image and the one fading out, and the same two after a change.
constexpr qsizetype kCacheEntries = 4;

void drawCentred(QPainter &painter, const QRect &rect, const QImage &scaled)
{
    const int x = rect.x() + (rect.width() - scaled.width()) / 2;
    const int y = rect.y() + (rect.height() - scaled.height()) / 2;
    painter.drawImage(QPoint(x, y), scaled);
}
} // namespace

QSize CarouselFrame::sizeFor(const QSize &image)
{
    if (image.width() <= 0 || image.height() <= 0)
        return QSize();
    const float scale = std::sqrt(float(kArea / (double(image.width()) * double(image.height()))));
    const QSize size(qRound(float(image.width()) * scale), qRound(float(image.height()) * scale));
    if (size.width() < kMinSide || size.height() < kMinSide || size.width() > kMaxSide || size.height() > kMaxSide)
        return QSize();
    return size;
}

QImage CarouselFrame::scaledTo(const QImage &image, const QSize &size)
{
    return image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

const QImage &CarouselFrame::scaled(const QImage &image, const QSize &size)
{
    for (const Entry &entry : std::as_const(m_cache)) {
        if (entry.key == image.cacheKey() && entry.size == size)
            return entry.image;
    }
    if (m_cache.size() >= kCacheEntries)
        m_cache.removeFirst();
    m_cache.append({image.cacheKey(), size, scaledTo(image, size)});
    return m_cache.last().image;
}

void CarouselFrame::paint(QPainter &painter, const QRect &rect, const QImage &current, const QImage &previous,
                          qreal opacity)
{
    if (rect.isEmpty())
        return;
    painter.setOpacity(1.0);
    if (!current.isNull())
        drawCentred(painter, rect, scaled(current, rect.size()));
    if (!previous.isNull() && opacity > 0.0) {
        painter.setOpacity(opacity);
        drawCentred(painter, rect, scaled(previous, rect.size()));
        painter.setOpacity(1.0);
    }
}
