#pragma once

// Reading QR and bar codes back with ZBar, and taking the images out of a PDF
// that QPdfWriter wrote (lossless ones are Flate streams).

#include <QByteArray>
#include <QtEndian>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRegularExpression>
#include <QStringList>
#include <zbar.h>

namespace CodeReading {

using namespace zbar;

// Every symbol ZBar finds in the image, as "TYPE:text".
inline QStringList decode(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QByteArray pixels;
    for (int y = 0; y < grey.height(); ++y)
        pixels.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());
    ImageScanner scanner;
    scanner.set_config(ZBAR_NONE, ZBAR_CFG_ENABLE, 1);
    Image frame(unsigned(grey.width()), unsigned(grey.height()), "Y800", pixels.constData(), unsigned(pixels.size()));
    QStringList found;
    scanner.scan(frame);
    for (auto s = frame.symbol_begin(); s != frame.symbol_end(); ++s)
        found << QString::fromStdString(s->get_type_name() + ':' + s->get_data());
    return found;
}

// The codes on the Flate-compressed 8-bit RGB or grey images of a PDF.
inline QStringList pdfCodes(const QByteArray &pdf)
{
    QStringList codes;
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
        QByteArray size(4, '\0'); // what qUncompress expects before the zlib stream
        qToBigEndian(quint32(width * height * channels), size.data());
        const QByteArray raw = qUncompress(size + pdf.mid(start, end - start));
        if (raw.size() != qsizetype(width) * height * channels)
            continue;
        QImage image(width + 40, height + 40, QImage::Format_RGB888); // with a white margin
        image.fill(Qt::white);
        QPainter(&image).drawImage(20, 20, QImage(reinterpret_cast<const uchar *>(raw.constData()), width, height,
                                                  width * channels, channels == 3 ? QImage::Format_RGB888
                                                                                  : QImage::Format_Grayscale8));
        codes << decode(image);
    }
    return codes;
}

} // namespace CodeReading
