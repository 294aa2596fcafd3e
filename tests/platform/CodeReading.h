#pragma once

// Test helpers: reading QR and bar codes back with ZBar, and taking the images
// out of a PDF that QPdfWriter wrote (lossless ones are Flate streams).

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <zbar.h>
#include <zlib.h>

namespace CodeReading {

using namespace zbar;

// Every symbol ZBar finds in the image, as "TYPE:text".
inline QStringList decode(const QImage &image)
{
    QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QByteArray pixels;
    pixels.reserve(grey.width() * grey.height());
    for (int y = 0; y < grey.height(); ++y)
        pixels.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());
    zbar_image_scanner_t *scanner = zbar_image_scanner_create();
    zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 1);
    zbar_image_t *z = zbar_image_create();
    zbar_image_set_format(z, zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(z, unsigned(grey.width()), unsigned(grey.height()));
    zbar_image_set_data(z, pixels.constData(), unsigned(pixels.size()), nullptr);
    QStringList found;
    if (zbar_scan_image(scanner, z) > 0) {
        for (const zbar_symbol_t *s = zbar_image_first_symbol(z); s; s = zbar_symbol_next(s))
            found << QString::fromLatin1(zbar_get_symbol_name(zbar_symbol_get_type(s))) + QLatin1Char(':') +
                         QString::fromUtf8(zbar_symbol_get_data(s));
    }
    zbar_image_destroy(z);
    zbar_image_scanner_destroy(scanner);
    return found;
}

// The Flate-compressed 8-bit RGB or grey images of a PDF, white margin added.
inline QList<QImage> pdfImages(const QByteArray &pdf)
{
    QList<QImage> images;
    static const QRegularExpression header(
        QStringLiteral("/Subtype /Image\\s*/Width (\\d+)\\s*/Height (\\d+)\\s*/BitsPerComponent 8\\s*"
                       "/ColorSpace /(DeviceRGB|DeviceGray)[^>]*/Filter /FlateDecode\\s*>>\\s*stream\\r?\\n"));
    const QString text = QString::fromLatin1(pdf);
    for (auto it = header.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int width = m.captured(1).toInt();
        const int height = m.captured(2).toInt();
        const int channels = m.captured(3) == QLatin1String("DeviceRGB") ? 3 : 1;
        const qsizetype start = m.capturedEnd(0);
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0 || width <= 0 || height <= 0)
            continue;
        QByteArray raw(qsizetype(width) * height * channels, '\0');
        uLongf rawSize = uLongf(raw.size());
        uLong sourceSize = uLong(end - start);
        if (uncompress2(reinterpret_cast<Bytef *>(raw.data()), &rawSize,
                        reinterpret_cast<const Bytef *>(pdf.constData() + start), &sourceSize) != Z_OK ||
            rawSize != uLongf(raw.size()))
            continue;
        QImage image(width + 40, height + 40, QImage::Format_RGB888);
        image.fill(Qt::white);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uchar *p = reinterpret_cast<const uchar *>(raw.constData()) + (qsizetype(y) * width + x) * channels;
                image.setPixel(x + 20, y + 20, channels == 3 ? qRgb(p[0], p[1], p[2]) : qRgb(p[0], p[0], p[0]));
            }
        }
        images << image;
    }
    return images;
}

} // namespace CodeReading
