#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickImageProvider>

// "image://myImage/...": the print preview for every id that contains
// "printImg", the latest camera frame for "frameImg". The images are handed
// in by the application object, from any thread.
class ImageProvider : public QQuickImageProvider
{
public:
    ImageProvider();

    void setPrintImage(const QImage &image);
    void setFrameImage(const QImage &image);

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

private:
    QMutex m_lock;
    QImage m_printImage;
    QImage m_frameImage;
};
