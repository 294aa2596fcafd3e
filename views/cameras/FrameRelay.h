#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QVideoFrame>
#include <QVideoSink>

// The video output of one capture session: a sink of its own, given to the
// session once when the session is built and never changed, whose frames go
// on to the view that shows the session now (target: a VideoOutput, or any
// object with a video sink). An image capture only yields images while its
// session has an output, and stalls when that output changes later; so the
// views take turns at the relay, not at the session.
class FrameRelay : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *target READ target WRITE setTarget NOTIFY targetChanged)
    // Frames the session delivered so far: whether its camera runs.
    Q_PROPERTY(int frames READ frames NOTIFY framesChanged)

public:
    explicit FrameRelay(QObject *parent = nullptr);

    // What a capture session asks of its video output.
    Q_INVOKABLE QVideoSink *videoSink() { return &m_sink; }
    QObject *target() const { return m_target; }
    int frames() const { return m_frames; }
    // The view that shows the frames from now on; it is given the latest
    // frame at once. Null shows them nowhere. A target that goes is let go.
    void setTarget(QObject *target);
    // The video sink of a view (a VideoOutput), or the sink itself; null when it has none.
    static QVideoSink *sinkOf(QObject *target);
    // A picture as a camera frame (BGRA); invalid when it cannot be mapped.
    static QVideoFrame frameOf(const QImage &image);

signals:
    void targetChanged();
    void framesChanged();

private:
    void forward(const QVideoFrame &frame);

    QVideoSink m_sink;
    QPointer<QObject> m_target;
    QPointer<QVideoSink> m_targetSink;
    int m_frames = 0;
};
