#include "PixelConversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <opencv2/imgproc.hpp>

namespace {

enum class Layout {
    Plain8,     // one byte per pixel
    Unpacked16, // little-endian 16-bit words holding `shift` + 8 bits
    Packed,     // 10 or 12 bits, two pixels in three bytes, high bytes first and last
    Rgb,
    Bgr,
    Uyvy,
    Yuyv,
};

struct Format
{
    quint32 code;
    Layout layout;
    int shift;            // Unpacked16: bits below the top 8
    const char *mosaic;   // Bayer order of a 2 x 2 cell, row by row; null for grey or colour
};

// The four Bayer orders in the order their codes run within a group.
constexpr const char *kOrders[] = {"GRBG", "RGGB", "GBRG", "BGGR"};

#define DRAVO_BAYER_GROUP(first, layout, shift)                                                                        \
    {first, layout, shift, kOrders[0]}, {first + 1, layout, shift, kOrders[1]}, {first + 2, layout, shift, kOrders[2]}, \
        {first + 3, layout, shift, kOrders[3]}

const Format kFormats[] = {
    {PixelType::Mono8, Layout::Plain8, 0, nullptr},
    {PixelType::Mono10, Layout::Unpacked16, 2, nullptr},
    {PixelType::Mono10Packed, Layout::Packed, 0, nullptr},
    {PixelType::Mono12, Layout::Unpacked16, 4, nullptr},
    {PixelType::Mono12Packed, Layout::Packed, 0, nullptr},
    {PixelType::Mono14, Layout::Unpacked16, 6, nullptr},
    {PixelType::Mono16, Layout::Unpacked16, 8, nullptr},
    DRAVO_BAYER_GROUP(PixelType::BayerGR8, Layout::Plain8, 0),
    {PixelType::BayerRBGG8, Layout::Plain8, 0, "RBGG"},
    DRAVO_BAYER_GROUP(PixelType::BayerGR10, Layout::Unpacked16, 2),
    DRAVO_BAYER_GROUP(PixelType::BayerGR12, Layout::Unpacked16, 4),
    DRAVO_BAYER_GROUP(PixelType::BayerGR10Packed, Layout::Packed, 0),
    DRAVO_BAYER_GROUP(PixelType::BayerGR12Packed, Layout::Packed, 0),
    DRAVO_BAYER_GROUP(PixelType::BayerGR16, Layout::Unpacked16, 8),
    {PixelType::RGB8, Layout::Rgb, 0, nullptr},
    {PixelType::BGR8, Layout::Bgr, 0, nullptr},
    {PixelType::YUV422Packed, Layout::Uyvy, 0, nullptr},
    {PixelType::YUV422YUYVPacked, Layout::Yuyv, 0, nullptr},
};
#undef DRAVO_BAYER_GROUP

const Format *formatOf(quint32 code)
{
    const auto it = std::find_if(std::begin(kFormats), std::end(kFormats),
                                 [code](const Format &f) { return f.code == code; });
    return it == std::end(kFormats) ? nullptr : it;
}

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// The frame's 8-bit single-channel plane (grey or mosaic), owning its pixels.
cv::Mat plane8(const Format &f, const uchar *src, int width, int height)
{
    cv::Mat plane(height, width, CV_8UC1);
    uchar *dst = plane.ptr<uchar>();
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    switch (f.layout) {
    case Layout::Plain8:
        std::copy(src, src + pixels, dst);
        break;
    case Layout::Unpacked16: {
        const int shift = f.shift;
        for (std::size_t i = 0; i < pixels; ++i) {
            // Bits above the format's depth are noise: they saturate, not wrap.
            std::uint16_t v;
            std::memcpy(&v, src + 2 * i, sizeof v); // little-endian, as the cameras send it
            dst[i] = uchar(std::min(unsigned(v) >> shift, 255u));
        }
        break;
    }
    case Layout::Packed: {
        // Two pixels in three bytes: their high bits are the first and the last.
        const std::size_t pairs = pixels / 2;
        for (std::size_t p = 0; p < pairs; ++p) {
            dst[2 * p] = src[3 * p];
            dst[2 * p + 1] = src[3 * p + 2];
        }
        if (pixels % 2)
            dst[pixels - 1] = src[3 * pairs];
        break;
    }
    default:
        break;
    }
    return plane;
}

int bayerCode(const char *mosaic)
{
    const std::string order(mosaic);
    if (order == "GRBG")
        return cv::COLOR_BayerGRBG2RGB;
    if (order == "GBRG")
        return cv::COLOR_BayerGBRG2RGB;
    if (order == "BGGR")
        return cv::COLOR_BayerBGGR2RGB;
    // Not COLOR_BayerRG2RGB: OpenCV names its Bayer codes by the second row,
    // and that one swaps red and blue.
    return cv::COLOR_BayerRGGB2RGB;
}

// R B / G G cells become R G / G B: the blue sample moves one row down,
// then the mosaic is an ordinary RGGB one.
void rbggToRggb(cv::Mat &plane)
{
    for (int y = 0; y + 1 < plane.rows; y += 2) {
        uchar *top = plane.ptr<uchar>(y);
        uchar *bottom = plane.ptr<uchar>(y + 1);
        for (int x = 1; x < plane.cols; x += 2)
            std::swap(top[x], bottom[x]);
    }
}

// The conversion proper, of a frame already checked against its format.
cv::Mat convert(const Format &format, const uchar *src, int width, int height)
{
    cv::Mat rgb;
    switch (format.layout) {
    case Layout::Rgb:
        cv::Mat(height, width, CV_8UC3, const_cast<uchar *>(src)).copyTo(rgb);
        return rgb;
    case Layout::Bgr:
        cv::cvtColor(cv::Mat(height, width, CV_8UC3, const_cast<uchar *>(src)), rgb, cv::COLOR_BGR2RGB);
        return rgb;
    case Layout::Uyvy:
        cv::cvtColor(cv::Mat(height, width, CV_8UC2, const_cast<uchar *>(src)), rgb, cv::COLOR_YUV2RGB_UYVY);
        return rgb;
    case Layout::Yuyv:
        cv::cvtColor(cv::Mat(height, width, CV_8UC2, const_cast<uchar *>(src)), rgb, cv::COLOR_YUV2RGB_YUYV);
        return rgb;
    default:
        break;
    }
    cv::Mat plane;
    if (format.layout == Layout::Plain8)
        plane = cv::Mat(height, width, CV_8UC1, const_cast<uchar *>(src)); // cvtColor writes a new matrix
    else
        plane = plane8(format, src, width, height);
    if (!format.mosaic) {
        cv::cvtColor(plane, rgb, cv::COLOR_GRAY2RGB);
        return rgb;
    }
    if (std::string(format.mosaic) == "RBGG") {
        plane = plane8(format, src, width, height);
        rbggToRggb(plane);
    }
    cv::cvtColor(plane, rgb, bayerCode(format.mosaic));
    return rgb;
}

} // namespace

PixelConversion::Target PixelConversion::targetOf(quint32 pixelType)
{
    const Format *f = formatOf(pixelType);
    if (!f)
        return Target::None;
    const bool grey = !f->mosaic && (f->layout == Layout::Plain8 || f->layout == Layout::Unpacked16 ||
                                     f->layout == Layout::Packed);
    return grey ? Target::Mono8 : Target::Rgb8;
}

std::size_t PixelConversion::frameBytes(quint32 pixelType, int width, int height)
{
    const Format *f = formatOf(pixelType);
    if (!f || width <= 0 || height <= 0)
        return 0;
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    switch (f->layout) {
    case Layout::Plain8:
        return pixels;
    case Layout::Unpacked16:
    case Layout::Uyvy:
    case Layout::Yuyv:
        return pixels * 2;
    case Layout::Packed:
        return (pixels * 3 + 1) / 2;
    case Layout::Rgb:
    case Layout::Bgr:
        return pixels * 3;
    }
    return 0;
}

cv::Mat PixelConversion::toRgb(const void *data, std::size_t length, int width, int height, quint32 pixelType,
                               QString *error)
{
    const Format *f = formatOf(pixelType);
    if (!f) {
        fail(error, QStringLiteral("pixel format %1 not handled").arg(pixelType, 0, 16));
        return cv::Mat();
    }
    const std::size_t needed = frameBytes(pixelType, width, height);
    if (needed == 0 || !data) {
        fail(error, QStringLiteral("no frame (%1 x %2)").arg(width).arg(height));
        return cv::Mat();
    }
    if (length < needed) {
        fail(error, QStringLiteral("short buffer: %1 bytes of %2").arg(length).arg(needed));
        return cv::Mat();
    }
    // YUV 4:2:2 carries its chroma per pixel pair.
    if ((f->layout == Layout::Uyvy || f->layout == Layout::Yuyv) && width % 2 != 0) {
        fail(error, QStringLiteral("odd width %1 for YUV 4:2:2").arg(width));
        return cv::Mat();
    }
    // A mosaic needs whole cells to demosaic.
    if (f->mosaic && (width < 2 || height < 2)) {
        fail(error, QStringLiteral("Bayer frame smaller than a cell (%1 x %2)").arg(width).arg(height));
        return cv::Mat();
    }
    try {
        return convert(*f, static_cast<const uchar *>(data), width, height);
    } catch (const cv::Exception &e) {
        fail(error, QString::fromStdString(e.what()));
        return cv::Mat();
    }
}

QImage PixelConversion::toImage(const cv::Mat &rgb)
{
    if (rgb.empty() || rgb.type() != CV_8UC3)
        return QImage();
    auto *owner = new cv::Mat(rgb); // one more reference to the pixels
    return QImage(
        owner->data, owner->cols, owner->rows, int(owner->step), QImage::Format_RGB888,
        [](void *matrix) { delete static_cast<cv::Mat *>(matrix); }, owner);
}
