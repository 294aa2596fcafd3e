#pragma once

namespace cv {
class Mat;
}

// OpenCV's video writer, in a module of its own (dravo_videowriter). OpenCV's
// video library brings some two hundred shared libraries with it (codecs,
// GStreamer, GDAL through the picture codecs): linked into the program they
// would be loaded and relocated at every start, before anything else ran. The
// recorder loads the module when a recording starts.
extern "C" {
struct DravoVideoWriterApi
{
    int version;
    // An MJPEG AVI file of width x height pictures at fps a second; null
    // when the file cannot be written.
    void *(*open)(const char *path, double fps, int width, int height);
    // One 8-bit BGR picture of the file's size.
    void (*write)(void *writer, const cv::Mat *bgr);
    // Finishes the file and frees the writer.
    void (*close)(void *writer);
};
// The module's one entry point.
const DravoVideoWriterApi *dravoVideoWriterApi();
}

namespace VideoWriterModule {
constexpr int kApiVersion = 1;
}
