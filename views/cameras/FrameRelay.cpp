#include "views/cameras/FrameRelay.h"

#include <QDebug>
#include <cstring>
#include <QMetaMethod>
#include <QVariant>

FrameRelay::FrameRelay(QObject *parent)
    : QObject(parent)
{
    // Queued when the backend hands a frame over on a thread of its own.
    connect(&m_sink, &QVideoSink::videoFrameChanged, this, &FrameRelay::forward);
}

void FrameRelay::setTarget(QObject *target)
{
    if (target == m_target && sinkOf(target) == m_targetSink)
        return;
    m_target = target;
    m_targetSink = sinkOf(target);
    if (target && !m_targetSink)
        qWarning().noquote() << "FrameRelay::setTarget" << target << "shows no video";
    if (m_targetSink && m_sink.videoFrame().isValid())
        m_targetSink->setVideoFrame(m_sink.videoFrame());
    emit targetChanged();
}

void FrameRelay::forward(const QVideoFrame &frame)
{
    ++m_frames;
    emit framesChanged();
    if (m_targetSink)
        m_targetSink->setVideoFrame(frame);
}

QVideoSink *FrameRelay::sinkOf(QObject *target)
{
    if (!target)
        return nullptr;
    if (auto *sink = qobject_cast<QVideoSink *>(target))
        return sink;
    // A VideoOutput names its sink by an invokable, as a capture session asks it.
    const QMetaObject *meta = target->metaObject();
    const int index = meta->indexOfMethod("videoSink()");
    QVideoSink *sink = nullptr;
    if (index >= 0 && meta->method(index).invoke(target, Qt::DirectConnection, Q_RETURN_ARG(QVideoSink *, sink)))
        return sink;
    return target->property("videoSink").value<QVideoSink *>();
}

QVideoFrame FrameRelay::frameOf(const QImage &image)
{
    const QImage bgra = image.convertToFormat(QImage::Format_ARGB32);
    QVideoFrame frame(QVideoFrameFormat(bgra.size(), QVideoFrameFormat::Format_BGRA8888));
    if (!frame.map(QVideoFrame::WriteOnly))
        return QVideoFrame();
    const size_t row = size_t(bgra.width()) * 4;
    for (int y = 0; y < bgra.height(); ++y)
        memcpy(frame.bits(0) + y * frame.bytesPerLine(0), bgra.constScanLine(y), row);
    frame.unmap();
    return frame;
}
