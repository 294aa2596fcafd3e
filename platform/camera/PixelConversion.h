#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <opencv2/core/mat.hpp>

// GenICam / GigE Vision pixel-format codes of the camera frames handled here.
namespace PixelType {
enum : quint32 {
    Mono8 = 0x01080001,
    Mono10 = 0x01100003,
    Mono10Packed = 0x010C0004,
    Mono12 = 0x01100005,
    Mono12Packed = 0x010C0006,
    Mono14 = 0x01100025,
    Mono16 = 0x01100007,
    BayerGR8 = 0x01080008,
    BayerRG8 = 0x01080009,
    BayerGB8 = 0x0108000A,
    BayerBG8 = 0x0108000B,
    BayerRBGG8 = 0x01080046,
    BayerGR10 = 0x0110000C,
    BayerGR12 = 0x01100010,
    BayerGR10Packed = 0x010C0026,
    BayerGR12Packed = 0x010C002A,
    BayerGR16 = 0x0110002E,
    RGB8 = 0x02180014,
    BGR8 = 0x02180015,
    YUV422Packed = 0x0210001F, // U Y V Y
    YUV422YUYVPacked = 0x02100032,
};
}

// Camera frames to three 8-bit channels in RGB order, as the inspection
// takes them: Bayer mosaics demosaicked (8 bits, deeper ones shifted down,
// packed 10 and 12 bits from the high bytes), BGR swapped, YUV 4:2:2
// converted, grey expanded to three equal channels, RGB copied. Rows are
// taken as tightly packed, as the cameras send them. Pure functions.
namespace PixelConversion {

enum class Target { None, Rgb8, Mono8 };

// What the vendor's converter would make of the format: RGB for colour
// sources, grey for mono ones (RGB8 and Mono8 themselves included), None for
// a format this code does not know.
Target targetOf(quint32 pixelType);

// Bytes a frame of this format and size takes; 0 for an unknown format.
std::size_t frameBytes(quint32 pixelType, int width, int height);

// The frame as a matrix of its own (no reference to data); an empty matrix,
// with the reason in *error, for an unknown format, an empty size or a buffer
// shorter than the frame.
cv::Mat toRgb(const void *data, std::size_t length, int width, int height, quint32 pixelType,
              QString *error = nullptr);

// The frame as a 24-bit RGB image that shares its pixels: the image keeps
// the matrix's pixels alive as long as any copy of it lives, so handing a
// frame on costs no copy of its megabytes.
QImage toImage(const cv::Mat &rgb);

} // namespace PixelConversion
