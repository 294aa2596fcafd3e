#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QtGlobal>

// How a camera would send a picture in each pixel format of the industrial
// camera's table: the test side of the conversion, written from the formats'
// definitions. Depths above 8 bits carry the 8-bit value in their top bits
// and a pattern in the bits below, which a conversion must drop.
namespace PixelEncoding {

enum class Kind { Mono, Bayer, Rgb, Bgr, Uyvy, Yuyv, Other };

struct Spec
{
    Kind kind = Kind::Other;
    int bits = 8;          // per sample
    bool packed = false;   // two samples in three bytes
    const char *order = ""; // Bayer: the 2 x 2 cell, row by row
};

inline Spec specOf(quint32 code)
{
    static const char *const orders[] = {"GRBG", "RGGB", "GBRG", "BGGR"};
    const auto bayer = [&](quint32 first, int bits, bool packed) -> Spec {
        return {Kind::Bayer, bits, packed, orders[code - first]};
    };
    switch (code) {
    case 0x01080001: return {Kind::Mono, 8, false, ""};
    case 0x01100003: return {Kind::Mono, 10, false, ""};
    case 0x010C0004: return {Kind::Mono, 10, true, ""};
    case 0x01100005: return {Kind::Mono, 12, false, ""};
    case 0x010C0006: return {Kind::Mono, 12, true, ""};
    case 0x01100025: return {Kind::Mono, 14, false, ""};
    case 0x01100007: return {Kind::Mono, 16, false, ""};
    case 0x01080046: return {Kind::Bayer, 8, false, "RBGG"};
    case 0x02180014: return {Kind::Rgb, 8, false, ""};
    case 0x02180015: return {Kind::Bgr, 8, false, ""};
    case 0x0210001F: return {Kind::Uyvy, 8, false, ""};
    case 0x02100032: return {Kind::Yuyv, 8, false, ""};
    default: break;
    }
    if (code >= 0x01080008 && code <= 0x0108000B) return bayer(0x01080008, 8, false);
    if (code >= 0x0110000C && code <= 0x0110000F) return bayer(0x0110000C, 10, false);
    if (code >= 0x01100010 && code <= 0x01100013) return bayer(0x01100010, 12, false);
    if (code >= 0x010C0026 && code <= 0x010C0029) return bayer(0x010C0026, 10, true);
    if (code >= 0x010C002A && code <= 0x010C002D) return bayer(0x010C002A, 12, true);
    if (code >= 0x0110002E && code <= 0x01100031) return bayer(0x0110002E, 16, false);
    return {};
}

// The one sample a pixel of the picture gives: grey, or the colour of its
// place in the Bayer cell.
inline int sample(const Spec &spec, QRgb pixel, int x, int y)
{
    if (spec.kind == Kind::Mono)
        return qGray(pixel);
    switch (spec.order[(y % 2) * 2 + (x % 2)]) {
    case 'R': return qRed(pixel);
    case 'G': return qGreen(pixel);
    default: return qBlue(pixel);
    }
}

// BT.601 in video range, as cameras send YUV 4:2:2.
inline void yuv(QRgb p, int *y, int *u, int *v)
{
    const double r = qRed(p), g = qGreen(p), b = qBlue(p);
    *y = qBound(0, qRound(16 + 0.257 * r + 0.504 * g + 0.098 * b), 255);
    *u = qBound(0, qRound(128 - 0.148 * r - 0.291 * g + 0.439 * b), 255);
    *v = qBound(0, qRound(128 + 0.439 * r - 0.368 * g - 0.071 * b), 255);
}

// The picture's bytes in pixel format code; empty for a format not listed.
inline QByteArray encode(const QImage &picture, quint32 code)
{
    const Spec spec = specOf(code);
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    QByteArray out;
    if (spec.kind == Kind::Other)
        return out;
    if (spec.kind == Kind::Rgb || spec.kind == Kind::Bgr) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb p = image.pixel(x, y);
                const char rgb[3] = {char(qRed(p)), char(qGreen(p)), char(qBlue(p))};
                const char bgr[3] = {char(qBlue(p)), char(qGreen(p)), char(qRed(p))};
                out.append(spec.kind == Kind::Rgb ? rgb : bgr, 3);
            }
        return out;
    }
    if (spec.kind == Kind::Uyvy || spec.kind == Kind::Yuyv) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x + 1 < w; x += 2) {
                int y0, u0, v0, y1, u1, v1;
                yuv(image.pixel(x, y), &y0, &u0, &v0);
                yuv(image.pixel(x + 1, y), &y1, &u1, &v1);
                const char u = char((u0 + u1) / 2), v = char((v0 + v1) / 2);
                const char uyvy[4] = {u, char(y0), v, char(y1)};
                const char yuyv[4] = {char(y0), u, char(y1), v};
                out.append(spec.kind == Kind::Uyvy ? uyvy : yuyv, 4);
            }
        return out;
    }
    // Samples at the format's depth: the 8-bit value on top, a pattern below.
    const int low = spec.bits - 8;
    QList<quint32> samples;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            samples << (quint32(sample(spec, image.pixel(x, y), x, y)) << low | quint32((x * 7 + y * 3) & ((1 << low) - 1)));
    if (spec.bits == 8) {
        for (quint32 s : samples)
            out.append(char(s));
    } else if (!spec.packed) {
        for (quint32 s : samples)
            out.append(char(s & 0xFF)).append(char(s >> 8));
    } else {
        // GigE Vision packing: high bits of the first, the two low parts, high bits of the second.
        const quint32 mask = (1u << low) - 1;
        for (int i = 0; i < samples.size(); i += 2) {
            const quint32 a = samples[i], b = i + 1 < samples.size() ? samples[i + 1] : 0;
            out.append(char(a >> low)).append(char((a & mask) | (b & mask) << 4));
            if (i + 1 < samples.size())
                out.append(char(b >> low));
        }
    }
    return out;
}

// A picture of four coloured quarters, the colours of the cases below.
inline QImage quarters(int width, int height, const QList<QColor> &colours)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(y >= height / 2) * 2 + (x >= width / 2)].rgb());
    return image;
}

} // namespace PixelEncoding
