#include "VideoRecorder.h"

#include "VideoWriterModule.h"

#include <opencv2/imgproc.hpp>

VideoRecorder::VideoRecorder() = default;

VideoRecorder::~VideoRecorder()
{
    if (m_writer)
        m_api->close(m_writer);
}

CameraStatus VideoRecorder::start(const QByteArray &filePath, int width, int height, double frameRate)
{
    if (m_writer)
        return CameraStatus::failure(CameraError::Busy, QStringLiteral("already recording"));
    if (width <= 0 || height <= 0 || !(frameRate > 0.0))
        return CameraStatus::failure(CameraError::InvalidParameter, QStringLiteral("no video of %1 x %2 at %3 fps")
                                                                        .arg(width)
                                                                        .arg(height)
                                                                        .arg(frameRate));
    QString error;
    const DravoVideoWriterApi *api = VideoWriterModule::api(&error);
    if (!api)
        return CameraStatus::failure(CameraError::NotFound, error);
    void *writer = filePath.isEmpty() ? nullptr : api->open(filePath.constData(), frameRate, width, height);
    if (!writer)
        return CameraStatus::failure(CameraError::InvalidParameter,
                                     QStringLiteral("cannot write %1").arg(QString::fromUtf8(filePath)));
    m_api = api;
    m_writer = writer;
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
    m_api->write(m_writer, &bgr);
    ++m_frames;
    return true;
}

CameraStatus VideoRecorder::stop()
{
    if (!m_writer)
        return CameraStatus::failure(CameraError::NotConnected, QStringLiteral("not recording"));
    m_api->close(m_writer);
    m_writer = nullptr;
    return CameraStatus();
}
