#pragma once

#include "CameraSdk.h"

#include <opencv2/core/mat.hpp>

struct DravoVideoWriterApi;

// The camera's video recording: an MJPEG AVI file written by OpenCV's own
// writer (loaded with the first recording, VideoWriterModule.h), one picture
// per grabbed frame, played back at the camera's rate.
// Not thread-safe: its camera serialises the calls.
class VideoRecorder
{
public:
    VideoRecorder();
    ~VideoRecorder();
    VideoRecorder(const VideoRecorder &) = delete;
    VideoRecorder &operator=(const VideoRecorder &) = delete;

    // Opens filePath for frames of width x height at frameRate frames a
    // second. Fails while a recording runs, for a size or rate that makes no
    // video, for a file that cannot be written, and when the writer module
    // cannot be loaded.
    CameraStatus start(const QByteArray &filePath, int width, int height, double frameRate);
    bool isRecording() const { return bool(m_writer); }
    // Adds one 8-bit RGB frame; a frame of another size than the recording's
    // (the camera's size changed) is left out, and false returned.
    bool write(const cv::Mat &rgb);
    // Closes the file; fails when nothing was being recorded.
    CameraStatus stop();
    // Frames in the current (or last) recording.
    int frames() const { return m_frames; }

private:
    const DravoVideoWriterApi *m_api = nullptr;
    void *m_writer = nullptr;
    cv::Size m_size;
    int m_frames = 0;
};
