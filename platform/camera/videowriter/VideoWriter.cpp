// The module behind VideoWriterModule.h: OpenCV's own MJPEG writer, which
// needs no codec library on the machine.
#include "VideoWriterApi.h"

#include <opencv2/videoio.hpp>

namespace {

void *openWriter(const char *path, double fps, int width, int height)
{
    auto *writer = new cv::VideoWriter;
    if (path && *path &&
        writer->open(path, cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps,
                     cv::Size(width, height), true))
        return writer;
    delete writer;
    return nullptr;
}

void writeFrame(void *writer, const cv::Mat *bgr)
{
    if (writer && bgr)
        static_cast<cv::VideoWriter *>(writer)->write(*bgr);
}

void closeWriter(void *writer)
{
    auto *w = static_cast<cv::VideoWriter *>(writer);
    if (!w)
        return;
    w->release();
    delete w;
}

const DravoVideoWriterApi kApi{VideoWriterModule::kApiVersion, openWriter, writeFrame, closeWriter};

} // namespace

extern "C" __attribute__((visibility("default"))) const DravoVideoWriterApi *dravoVideoWriterApi()
{
    return &kApi;
}
