#include "app/printing/PrintJob.h"

#include "platform/graphics/variabledata/GZint.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

QRectF PrintJob::markSizeFromPlt(const MarkPlace &marks, int type)
{
    if (!marks.valid)
        return QRectF();
    const float x = float(marks.markSize * 0.5 + marks.margins.left() + 2.0);
    switch (type) {
    case QrMarker:
        return QRectF(x, float(qMax(0.5, marks.margins.top() - 3.0)), 6.0, 6.0);
    case TextMarker:
        return QRectF(x, float(qMax(0.5, marks.margins.top() - 1.0)), 16.0, 2.0);
    default:
        return QRectF();
    }
}

QString PrintJob::codeText(quint32 code)
{
    return QString::asprintf("%08x", code);
}

PrintJob::PrintJob(const QSizeF &pageMm, int dpi) : m_pageMm(pageMm)
{
    m_buffer.open(QIODevice::WriteOnly);
    m_writer = std::make_unique<QPdfWriter>(&m_buffer);
    m_writer->setResolution(dpi);
    m_writer->setPageLayout(QPageLayout(QPageSize(pageMm, QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF()));
    m_writer->setCreator(QStringLiteral("Dravolinte"));
    m_pixels = QSize(m_writer->width(), m_writer->height());
}

PrintJob::~PrintJob()
{
    if (m_painter)
        m_painter->end();
}

void PrintJob::addPage(const QImage &image, quint32 code, int markerType, const QRectF &markerMm, bool edgeLines)
{
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(m_writer.get());
    } else {
        m_writer->newPage();
    }
    QPainter &painter = *m_painter;
    const QRect page(QPoint(0, 0), m_pixels);
    // Lossless: the printed labels keep their edges; the same image again is not stored again.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.drawImage(page, image);
    if (code != 0)
        drawMarker(painter, code, markerType, markerMm);
    if (edgeLines) {
        // The first and the last row of printer pixels, whole (a line drawn
        // along the edge would lie half outside the page).
        painter.fillRect(QRect(0, 0, page.width(), 1), Qt::black);
        painter.fillRect(QRect(0, page.height() - 1, page.width(), 1), Qt::black);
    }
    ++m_pages;
}

void PrintJob::drawMarker(QPainter &painter, quint32 code, int markerType, const QRectF &markerMm) const
{
    if (markerMm.isEmpty() || m_pageMm.isEmpty())
        return;
    const double sx = m_pixels.width() / m_pageMm.width();
    const double sy = m_pixels.height() / m_pageMm.height();
    const QRectF box(markerMm.x() * sx, markerMm.y() * sy, markerMm.width() * sx, markerMm.height() * sy);
    if (box.isEmpty())
        return;
    const QString text = codeText(code);
    if (markerType == QrMarker) {
        GZint qr(GZint::QrCode);
        qr.setText(text);
        qr.render(&painter, box);
        return;
    }
    if (markerType != TextMarker)
        return;
    // The text's whole line (ascent and descent) and its width inside the box.
    QFont font = painter.font();
    font.setPixelSize(qMax(1, int(box.height())));
    QFontMetricsF metrics(font, m_writer.get());
    const double fit = qMin(box.height() / metrics.height(), box.width() / metrics.horizontalAdvance(text));
    if (fit < 1.0) {
        font.setPixelSize(qMax(1, int(box.height() * fit)));
        metrics = QFontMetricsF(font, m_writer.get());
    }
    painter.save();
    painter.setClipRect(box);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(box.left(), box.bottom() - metrics.descent()), text);
    painter.restore();
}

QByteArray PrintJob::finish()
{
    if (!m_painter)
        return QByteArray();
    m_painter->end();
    m_painter.reset();
    m_writer.reset();
    return m_buffer.data();
}
