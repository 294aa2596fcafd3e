#pragma once

#include "configuration/Guarded.h"

#include <QImage>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

class QThread;
namespace cv {
class Mat;
}

// The industrial check camera in service: its selection at start-up, the
// grab thread that takes a frame every 100 ms, the latest frame (served as
// "frameImg", checked by doCapture(2), saved by saveFrame), the address the
// pages load it from (framePath), the loop's rate (fps), and the recording
// of the camera's video.
class CheckCameraFeed : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPeriodMs = 100;
    // A grab waits up to 1 s for its frame; the loop sees the end after it.
    static constexpr int kJoinMs = 1100;

    explicit CheckCameraFeed(QObject *parent = nullptr);
    ~CheckCameraFeed() override;

    // Settles the check camera: name is the value of CPT_Check_Camera; an
    // empty one takes the first camera found (and stores it). A camera that
    // is here is opened and the grab thread started; any other name starts
    // nothing. A new selection ends the grab thread of the one before.
    void select(const QString &name);
    // The clean-up: ends the grab thread (the end is seen within kJoinMs
    // unless a camera call takes longer, which closing the cameras waits
    // for) and lets the cameras go; no later selection starts a thread.
    void stop();
    bool isGrabbing() const;

    // The latest frame, 24-bit RGB; null before the first.
    QImage frame() const { return m_frame.get(); }
    QString framePath() const { return m_framePath.get(); }
    void setFramePath(const QString &path);
    int fps() const { return m_fps.get(); }
    void setFps(int fps);

    // Records the check camera's video into fileName (a path or a file URL).
    void startRecorder(const QString &fileName);
    void stopRecorder();

signals:
    void framePathChanged();
    void fpsChanged();

private:
    void hkCameraGrabLoop();
    // Stores the frame, then announces its new address.
    void publish(const cv::Mat &rgb);
    // Ends the grab thread; false when it was still busy after waitMs.
    bool endLoop(int waitMs);
    // Waits ms, or less when the loop is told to end.
    void pause(qint64 ms);
    // The serial the loop grabs follows CPT_Check_Camera.
    void followCheckCamera();

    std::unique_ptr<QThread> m_thread;
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
    std::atomic<bool> m_loopEnd{false};
    std::atomic<bool> m_closed{false};
    bool m_cameraUsed = false; // a selection brought the camera object into use
    QMetaObject::Connection m_cameraFollow;
    Guarded<QByteArray> m_serial;
    Guarded<QImage> m_frame;
    Guarded<QString> m_framePath;
    Guarded<int> m_fps{0};
    qint64 m_lastStamp = 0; // grab thread only
};
