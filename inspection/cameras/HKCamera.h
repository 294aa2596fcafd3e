#pragma once

#include "inspection/cameras/CameraHealth.h"
#include "configuration/Guarded.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <map>
#include <memory>
#include <opencv2/core/mat.hpp>

class CameraDevice;

// The industrial check camera, named by its serial number everywhere: lists
// the cameras (USB3 Vision, and those DRAVO_CAMERAS adds), opens one for
// free-running acquisition at 20 frames a second, hands out single frames as
// 8-bit RGB matrices, records video. One instance for the process.
//
// A facade over the camera layer (CameraDevice: the streams; PixelConversion;
// VideoRecorder) and CameraHealth (what has been logged, how long grabs have
// failed). One lock serialises every camera call: the grab thread and the
// pages' recording share the streams. The camera list has a lock of its own,
// so that reading it never waits for a grab.
class HKCamera
{
public:
    static constexpr int kGrabTimeoutMs = 1000;
    static constexpr double kFrameRate = 20.0;

    static HKCamera *getInstance();

    // Serial numbers found by the last search, in enumeration order.
    QList<QByteArray> cameraList() const { return m_cameraList.get(); }
    void searchCamera();
    // True when the camera is open and grabbing (also when it already was).
    bool openCamera(const QByteArray &serial);
    // The newest frame in RGB order, opening the camera first when needed;
    // empty on any failure. A camera whose grabs have failed for 3 s is let
    // go, so that the next call opens it anew.
    cv::Mat getFrame(const QByteArray &serial);
    // Stops, closes and destroys; true when every step succeeded (and for null).
    bool closeCamera(CameraDevice *handle);
    // Records the open camera's frames into filePath (MJPEG AVI).
    bool startVideo(const QByteArray &serial, const QByteArray &filePath);
    void stopVideo(const QByteArray &serial);

    // Lets every camera go, at clean-up: a GigE Vision camera is then free
    // for the next client (the program's own restart among them).
    void closeCameras();
    bool isOpen(const QByteArray &serial) const;
    // The open camera's stream buffers waiting to be filled and filled ones
    // waiting to be taken; false when it is not open.
    bool bufferCounts(const QByteArray &serial, int *input, int *output) const;
    // Frames in the camera's current (or last) recording.
    int recordedFrames(const QByteArray &serial) const;

private:
    HKCamera();
    bool openLocked(const QByteArray &serial);
    CameraDevice *handleOf(const QByteArray &serial) const;
    // Closes the camera and takes it off the open ones (serial is a copy:
    // the caller's may be the map's own key).
    void dropLocked(QByteArray serial);
    cv::Mat frameLocked(const QByteArray &serial);

    mutable QMutex m_lock; // the open cameras and every call on them
    std::map<QByteArray, std::unique_ptr<CameraDevice>> m_handles;
    Guarded<QList<QByteArray>> m_cameraList;
    CameraHealth m_health;
};
