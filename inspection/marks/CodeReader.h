#pragma once

#include <QImage>
#include <QPolygonF>
#include <QString>

class OcrLite;
namespace cv {
class Mat;
}

// What a reader found at a mark.
struct CodeRead
{
    QString text;      // empty: nothing read
    QPolygonF points;  // outline of the code or text, in the caller's pixels
    int symbolType = 0; // ZBar's symbol type; 0 for text
    int code = 0;      // the task code the text gives; 0: none
};

// The task code printed beside the first mark: a QR or bar code through ZBar
// (the code's data as a hexadecimal number) or printed digits through the OCR
// engine (a decimal number). Both read the full-resolution frame; `scale`
// maps its pixels to those of the caller's image.
class CodeReader
{
public:
    // Longest text accepted as a task code; longer data is kept as text only.
    static constexpr int kMaxCodeText = 256;

    static CodeRead readBarcode(const QImage &image, double scale);
    // Every block that scores well enough overwrites the previous one: the
    // last block read stands. Nothing is read without an engine.
    static CodeRead readText(OcrLite *ocr, const QImage &image, double scale);

    // The leading hexadecimal number (an optional "0x", after blanks), or 0
    // when there is none or it does not fit a positive int.
    static int hexCode(const QString &text);
    // The leading decimal number (after blanks), or 0 likewise.
    static int decimalCode(const QString &text);

    // Three 8-bit channels, blue first, rows packed; empty for a null image.
    static cv::Mat bgrMatrix(const QImage &image);
};
