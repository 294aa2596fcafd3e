#include "platform/graphics/variabledata/GZint.h"

#include <QDebug>
#include <QPainter>
#include <memory>
#include <zint.h>

QImage GZint::image(int modulePixels) const
{
    m_error.clear();
    std::unique_ptr<zint_symbol, void (*)(zint_symbol *)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol) {
        m_error = QStringLiteral("out of memory");
        return QImage();
    }
    symbol->symbology = m_symbology;
    symbol->input_mode = UNICODE_MODE;
    // zint's raster scale 0.5 draws one pixel per module.
    symbol->scale = 0.5f * float(qBound(1, modulePixels, 64));
    symbol->whitespace_width = m_quietZone;
    symbol->whitespace_height = m_quietZone;
    const QByteArray utf8 = m_text.toUtf8();
    const int result = ZBarcode_Encode_and_Buffer(symbol.get(), reinterpret_cast<const unsigned char *>(utf8.constData()),
                                                  int(utf8.size()), 0);
    if (result >= ZINT_ERROR || !symbol->bitmap || symbol->bitmap_width <= 0 || symbol->bitmap_height <= 0) {
        m_error = QString::fromLatin1(symbol->errtxt);
        qWarning().noquote() << "GZint::image" << "cannot encode" << m_text << m_error;
        return QImage();
    }
    QImage out(symbol->bitmap_width, symbol->bitmap_height, QImage::Format_Grayscale8);
    const unsigned char *rgb = symbol->bitmap;
    for (int y = 0; y < out.height(); ++y) {
        uchar *line = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x, rgb += 3)
            line[x] = uchar((rgb[0] * 30 + rgb[1] * 59 + rgb[2] * 11) / 100);
    }
    return out;
}

bool GZint::render(QPainter *painter, const QRectF &rect) const
{
    const QImage symbol = image(1);
    if (symbol.isNull() || rect.isEmpty())
        return false;
    QSizeF size = QSizeF(symbol.size()).scaled(rect.size(), Qt::KeepAspectRatio);
    const QRectF target(rect.center() - QPointF(size.width() / 2, size.height() / 2), size);
    // Whole device pixels per module keep every module the same size.
    const QRectF device = painter->transform().mapRect(target);
    const int perModule = qMax(1, int(qMin(device.width() / symbol.width(), device.height() / symbol.height())));
    const QImage crisp = image(perModule);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    // A code must print with sharp edges: no lossy compression in a PDF.
    painter->setRenderHint(QPainter::LosslessImageRendering, true);
    painter->drawImage(target, crisp.isNull() ? symbol : crisp);
    painter->restore();
    return true;
}
