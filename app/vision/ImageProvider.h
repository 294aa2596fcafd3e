#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickImageProvider>
#include <functional>

// "image://myImage/...": the print preview for every id that contains
// "printImg", the latest camera frame for "frameImg". The preview is handed
// in by the application object, from any thread; the frame is asked of its
// source (the check camera's feed) at each request.
class ImageProvider : public QQuickImageProvider
{
public:
    ImageProvider();

    void setPrintImage(const QImage &image);
    void setFrameSource(std::function<QImage()> source);

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requestedSize) override;

private:
    QMutex m_lock;
    QImage m_printImage;
    std::function<QImage()> m_frameSource;
};
