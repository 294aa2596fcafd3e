#include "VideoRecorder.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

VideoRecorder::VideoRecorder() = default;
VideoRecorder::~VideoRecorder() = default;

CameraStatus VideoRecorder::start(const QByteArray &filePath, int width, int height, double frameRate)
{
    if (m_writer)
        return CameraStatus::failure(CameraError::Busy, QStringLiteral("already recording"));
    if (width <= 0 || height <= 0 || !(frameRate > 0.0))
        return CameraStatus::failure(CameraError::InvalidParameter, QStringLiteral("no video of %1 x %2 at %3 fps")
                                                                        .arg(width)
                                                                        .arg(height)
                                                                        .arg(frameRate));
    auto writer = std::make_unique<cv::VideoWriter>();
    // OpenCV's built-in MJPEG writer: no codec library needed on the machine.
    if (filePath.isEmpty() ||
        !writer->open(filePath.toStdString(), cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'),
                      frameRate, cv::Size(width, height), true))
        return CameraStatus::failure(CameraError::InvalidParameter,
                                     QStringLiteral("cannot write %1").arg(QString::fromUtf8(filePath)));
    m_writer = std::move(writer);
    m_size = cv::Size(width, height);
    m_frames = 0;
    return CameraStatus();
}

bool VideoRecorder::write(const cv::Mat &rgb)
{
    if (!m_writer || rgb.type() != CV_8UC3 || rgb.size() != m_size)
        return false;
    cv::Mat bgr;
    cv::cvtColor(rgb, bgr, cv::COLOR_RGB2BGR);
    m_writer->write(bgr);
    ++m_frames;
    return true;
}

CameraStatus VideoRecorder::stop()
{
    if (!m_writer)
        return CameraStatus::failure(CameraError::NotConnected, QStringLiteral("not recording"));
    m_writer->release();
    m_writer.reset();
    return CameraStatus();
}
