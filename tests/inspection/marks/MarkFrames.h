#pragma once

// Frames as the mark camera sees them: white paper, black discs and squares, codes, printed digits.

#include "platform/graphics/variabledata/GZint.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace MarkFrames {

inline QImage paper(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(Qt::white);
    return image;
}

inline void disc(QImage &image, QPointF centre, double diameter, QColor colour = Qt::black)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(centre, diameter / 2, diameter / 2);
}

inline void square(QImage &image, QPointF centre, double side)
{
    QPainter(&image).fillRect(QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side), Qt::black);
}

// A 1280 x 960 mark-camera frame with 3.5 mm marks (140 pixels) at the given centres.
inline QImage markFrame(const QList<QPointF> &centres, int width = 1280, int height = 960)
{
    QImage image = paper(width, height);
    for (const QPointF &c : centres)
        disc(image, c, 140.0);
    return image;
}

inline QImage noise(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), image.bytesPerLine() / 4);
    return image.convertToFormat(QImage::Format_RGB32);
}

// A QR code of the text with its top-left corner at `at`, 6 pixels per module.
inline void qrCode(QImage &image, QPoint at, const QString &text)
{
    GZint code;
    code.setText(text);
    QPainter(&image).drawImage(at, code.image(6));
}

// Digits printed in DejaVu Sans, `pixels` high, baseline starting at `at`.
inline void printed(QImage &image, QPointF at, const QString &text, int pixels = 100)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(at, text);
}

} // namespace MarkFrames
