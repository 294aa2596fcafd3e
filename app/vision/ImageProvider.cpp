#include "app/vision/ImageProvider.h"

ImageProvider::ImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

void ImageProvider::setPrintImage(const QImage &image)
{
    QMutexLocker lock(&m_lock);
    m_printImage = image;
}

void ImageProvider::setFrameSource(std::function<QImage()> source)
{
    QMutexLocker lock(&m_lock);
    m_frameSource = std::move(source);
}

QImage ImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    QImage image;
    std::function<QImage()> frameSource;
    {
        QMutexLocker lock(&m_lock);
        if (id.contains(QLatin1String("printImg")))
            image = m_printImage;
        else if (id.contains(QLatin1String("frameImg")))
            frameSource = m_frameSource;
    }
    if (frameSource)
        image = frameSource();
    if (!image.isNull() && requestedSize.isValid())
        image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}

QPixmap ImageProvider::requestPixmap(const QString &id, QSize *size, const QSize &requestedSize)
{
    return QPixmap::fromImage(requestImage(id, size, requestedSize));
}
