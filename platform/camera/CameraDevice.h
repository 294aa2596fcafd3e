#pragma once

#include "CameraSdk.h"

#include <cstddef>
#include <memory>

// A frame lent out by the camera's stream until it is freed.
struct CameraFrame
{
    const unsigned char *data = nullptr;
    std::size_t length = 0;
    int width = 0;
    int height = 0;
    quint32 pixelType = 0;
    void *buffer = nullptr; // the stream buffer that holds it; null when nothing is lent
};

// What a recording is made of; the bit rate and the container (1, AVI) are
// the vendor's terms and kept for the record: the writer is MJPEG in AVI.
struct RecordParams
{
    quint32 pixelType = 0;
    int width = 0;
    int height = 0;
    double frameRate = 0.0;
    int bitRate = 1000;
    int format = 1;
    QByteArray filePath;
};

// One camera through Aravis, in the shape of the vendor SDK's handle: create
// (reach the device), open it for this client alone, set and read features,
// grab into a stream of four buffers, lend out the newest complete frame and
// take it back, record the grabbed frames. Not thread-safe: its owner
// serialises the calls.
class CameraDevice
{
public:
    static constexpr int kBuffers = 4;

    CameraDevice();
    ~CameraDevice(); // closes
    CameraDevice(const CameraDevice &) = delete;
    CameraDevice &operator=(const CameraDevice &) = delete;

    // Reaches the camera; fails when it is gone (or, over USB, held elsewhere).
    CameraStatus create(const CameraDeviceInfo &info);
    // Takes control: a GigE Vision camera that another client controls fails.
    CameraStatus open();
    const CameraDeviceInfo &info() const;

    CameraStatus setEnumValue(const char *feature, const char *value);
    CameraStatus setBoolValue(const char *feature, bool value);
    CameraStatus setIntValue(const char *feature, qint64 value);
    CameraStatus setFloatValue(const char *feature, double value);
    CameraStatus getIntValue(const char *feature, qint64 *value) const;
    CameraStatus getEnumValue(const char *feature, qint64 *value) const;
    CameraStatus getFloatValue(const char *feature, double *value) const;

    // Starts the acquisition into the stream (made at the first start, and
    // again when the frames have outgrown its buffers).
    CameraStatus startGrabbing();
    // Stops the acquisition; the stream and its buffers stay for the next start.
    CameraStatus stopGrabbing();
    bool isGrabbing() const;
    // Waits up to timeoutMs for a frame and lends out the newest complete one
    // that the stream holds; the older ones go to the recording (when one
    // runs) and back to the stream. Fails on a time-out or when every frame
    // came incomplete (the code is then the buffer's status).
    CameraStatus getImageBuffer(CameraFrame *frame, int timeoutMs);
    // Gives the lent frame back to the stream.
    CameraStatus freeImageBuffer(CameraFrame *frame);
    // Buffers in the stream's input and output queues; false before the first start.
    bool bufferCounts(int *input, int *output) const;

    CameraStatus startRecord(const RecordParams &params);
    CameraStatus stopRecord();
    int recordedFrames() const;

    // Stops the recording and lets the camera go (a GigE Vision camera is
    // then free for another client).
    CameraStatus close();

    // The camera opened by this process at address, if any: such a camera
    // answers no second client, so an enumeration asks here.
    static bool openedAt(const QByteArray &address, CameraDeviceInfo *info);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
