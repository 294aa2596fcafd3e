#include "ImageProvider.h"

ImageProvider::ImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

void ImageProvider::setPrintImage(const QImage &image)
{
    QMutexLocker lock(&m_lock);
    m_printImage = image;
}

void ImageProvider::setFrameImage(const QImage &image)
{
    QMutexLocker lock(&m_lock);
    m_frameImage = image;
}

QImage ImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    QImage image;
    {
        QMutexLocker lock(&m_lock);
        if (id.contains(QLatin1String("printImg")))
            image = m_printImage;
        else if (id.contains(QLatin1String("frameImg")))
            image = m_frameImage;
    }
    if (!image.isNull() && requestedSize.isValid())
        image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}
