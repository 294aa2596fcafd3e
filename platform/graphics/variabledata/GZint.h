#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

// QR codes and bar codes through libzint: text in, a black-on-white image or a
// drawing into a rectangle out. Symbology numbers are zint's (58 QR Code,
// 20 Code 128, ...).
class GZint
{
public:
    static constexpr int QrCode = 58;
    static constexpr int Code128 = 20;

    explicit GZint(int symbology = QrCode) : m_symbology(symbology) {}

    void setSymbology(int symbology) { m_symbology = symbology; }
    int symbology() const { return m_symbology; }
    void setText(const QString &text) { m_text = text; }
    QString text() const { return m_text; }
    // Quiet zone in modules around the symbol (4 for QR codes by default).
    void setQuietZone(int modules) { m_quietZone = modules; }

    // The symbol as a greyscale image, `modulePixels` pixels per module;
    // a null image (and lastError()) when the text cannot be encoded.
    QImage image(int modulePixels = 4) const;
    // Draws the symbol into the rectangle, keeping its proportions, centred,
    // without smoothing. False when the text cannot be encoded.
    bool render(QPainter *painter, const QRectF &rect) const;
    QString lastError() const { return m_error; }

private:
    int m_symbology;
    QString m_text;
    int m_quietZone = 4;
    mutable QString m_error;
};
