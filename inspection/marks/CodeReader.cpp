#include "inspection/marks/CodeReader.h"

#include "OcrLite.h"

#include <QDebug>
#include <QElapsedTimer>
#include <limits>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <zbar.h>

namespace {

// Log lines show at most this much of what was read.
QString shortText(const QString &text)
{
    constexpr int kShown = 64;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("...(%1 chars)").arg(text.size());
}

int digitValue(QChar c, int base)
{
    const ushort u = c.unicode();
    int v = 16;
    if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'a' && u <= 'f')
        v = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        v = u - 'A' + 10;
    return v < base ? v : -1;
}

// The leading number of `base` after blanks (and an optional "0x" prefix for
// base 16), as sscanf would read it into an int, refusing what overflows.
int leadingNumber(const QString &text, int base, const char *origin)
{
    if (text.size() > CodeReader::kMaxCodeText) {
        qWarning().noquote() << origin << "no code: text too long" << shortText(text);
        return 0;
    }
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    if (base == 16 && i + 2 < text.size() && text.at(i) == QLatin1Char('0') &&
        (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X')) && digitValue(text.at(i + 2), 16) >= 0)
        i += 2;
    quint64 value = 0;
    int digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const int d = digitValue(text.at(i), base);
        if (d < 0)
            break;
        value = value * quint64(base) + quint64(d);
        if (value > quint64(std::numeric_limits<int>::max())) {
            qWarning().noquote() << origin << "no code: number out of range" << shortText(text);
            return 0;
        }
    }
    if (digits == 0) {
        qInfo().noquote() << origin << "no code in" << shortText(text);
        return 0;
    }
    return int(value);
}

} // namespace

int CodeReader::hexCode(const QString &text)
{
    return leadingNumber(text, 16, "CodeReader::hexCode");
}

int CodeReader::decimalCode(const QString &text)
{
    return leadingNumber(text, 10, "CodeReader::decimalCode");
}

cv::Mat CodeReader::bgrMatrix(const QImage &image)
{
    if (image.isNull())
        return cv::Mat();
    const QImage bgr = image.format() == QImage::Format_BGR888 ? image : image.convertToFormat(QImage::Format_BGR888);
    if (bgr.isNull())
        return cv::Mat();
    cv::Mat mat(bgr.height(), bgr.width(), CV_8UC3);
    for (int y = 0; y < bgr.height(); ++y)
        std::copy_n(bgr.constScanLine(y), size_t(bgr.width()) * 3, mat.ptr<uchar>(y));
    return mat;
}

CodeRead CodeReader::readBarcode(const QImage &image, double scale)
{
    QElapsedTimer timer;
    timer.start();
    CodeRead read;
    const cv::Mat bgr = bgrMatrix(image);
    if (bgr.empty()) {
        qWarning().noquote() << "CodeReader::readBarcode" << "no code: no image";
        return read;
    }
    cv::Mat grey, bw;
    cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
    cv::threshold(grey, bw, 127, 255, cv::THRESH_BINARY);
    // An opening of the light areas: specks of print inside the quiet zone go.
    const cv::Mat element = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3));
    cv::erode(bw, bw, element, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::morphologyDefaultBorderValue());
    cv::dilate(bw, bw, element, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::morphologyDefaultBorderValue());

    zbar::zbar_image_scanner_t *scanner = zbar::zbar_image_scanner_create();
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    zbar::zbar_image_t *zimage = zbar::zbar_image_create();
    zbar::zbar_image_set_format(zimage, zbar_fourcc('Y', '8', '0', '0'));
    zbar::zbar_image_set_size(zimage, unsigned(bw.cols), unsigned(bw.rows));
    zbar::zbar_image_set_data(zimage, bw.data, unsigned(bw.total()), nullptr);
    if (zbar::zbar_scan_image(scanner, zimage) > 0) {
        const zbar::zbar_symbol_t *symbol = zbar::zbar_image_first_symbol(zimage);
        if (symbol) {
            const unsigned length = zbar::zbar_symbol_get_data_length(symbol);
            read.text = QString::fromUtf8(zbar::zbar_symbol_get_data(symbol), int(qMin(length, 1u << 20)));
            read.symbolType = int(zbar::zbar_symbol_get_type(symbol));
            const unsigned corners = zbar::zbar_symbol_get_loc_size(symbol);
            for (unsigned i = 0; i < corners; ++i)
                read.points << QPointF(zbar::zbar_symbol_get_loc_x(symbol, i) * scale,
                                       zbar::zbar_symbol_get_loc_y(symbol, i) * scale);
            qInfo().noquote() << "CodeReader::readBarcode" << "类型：" << read.symbolType;
            qInfo().noquote() << "CodeReader::readBarcode" << "条码：" << shortText(read.text);
            read.code = hexCode(read.text);
        }
    } else {
        qInfo().noquote() << "CodeReader::readBarcode" << "no code found";
    }
    zbar::zbar_image_destroy(zimage);
    zbar::zbar_image_scanner_destroy(scanner);
    qInfo().noquote() << "CodeReader::readBarcode" << timer.elapsed() << "ms.";
    return read;
}

CodeRead CodeReader::readText(OcrLite *ocr, const QImage &image, double scale)
{
    QElapsedTimer timer;
    timer.start();
    CodeRead read;
    if (!ocr) {
        qWarning().noquote() << "CodeReader::readText" << "no code: no OCR engine";
        return read;
    }
    const cv::Mat bgr = bgrMatrix(image);
    if (bgr.empty()) {
        qWarning().noquote() << "CodeReader::readText" << "no code: no image";
        return read;
    }
    const OcrResult result = ocr->detect(bgr, 20, 600, 0.8f, 0.8f, 1.5f, true, true);
    for (const OcrTextBlock &block : result.textBlocks) {
        qInfo().noquote() << "CodeReader::readText" << "Text: " << shortText(block.text) << ", Confidence: "
                          << block.boxScore;
        read.text = block.text;
        read.points.clear();
        for (const QPoint &p : block.boxPoint)
            read.points << QPointF(p.x() * scale, p.y() * scale);
        qInfo().noquote() << "CodeReader::readText" << "Text: " << read.points;
        read.code = decimalCode(block.text);
    }
    if (result.textBlocks.isEmpty())
        qInfo().noquote() << "CodeReader::readText" << "no code: no text read";
    qInfo().noquote() << "CodeReader::readText" << timer.elapsed() << "ms.";
    return read;
}
