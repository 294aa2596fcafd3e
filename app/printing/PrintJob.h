#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <memory>

class QPainter;
class QPdfWriter;

// One print job as a PDF for the printer: pages of the given size at the
// printer's resolution, each the rendered print page with the task code as
// a marker and, when asked, a line along its top and bottom edges. A page
// image given again is stored once, so copies of one page cost little.
class PrintJob
{
public:
    // The code marker: 1 a QR code, 2 text, else none.
    enum MarkerType { NoMarker = 0, QrMarker = 1, TextMarker = 2 };
    // Where the print cut file's marks lie: margins and mark size in mm.
    struct MarkPlace
    {
        bool valid = false;
        QMarginsF margins;
        double markSize = 0.0;
        bool operator==(const MarkPlace &o) const
        {
            return valid == o.valid && margins == o.margins && markSize == o.markSize;
        }
    };
    // The marker's rectangle on the page in mm; empty for other types or without marks.
    static QRectF markSizeFromPlt(const MarkPlace &marks, int type);
    // The code as the marker shows it: eight lowercase hexadecimal digits.
    static QString codeText(quint32 code);

    PrintJob(const QSizeF &pageMm, int dpi);
    ~PrintJob();
    PrintJob(const PrintJob &) = delete;
    PrintJob &operator=(const PrintJob &) = delete;

    // The page in printer pixels: the size to render the print page at.
    QSize pixelSize() const { return m_pixels; }
    // Adds a page: image over the whole page; code 0 draws no marker.
    void addPage(const QImage &image, quint32 code, int markerType, const QRectF &markerMm, bool edgeLines);
    int pageCount() const { return m_pages; }
    // The PDF; empty when there is no page.
    QByteArray finish();

private:
    void drawMarker(QPainter &painter, quint32 code, int markerType, const QRectF &markerMm) const;

    QSizeF m_pageMm;
    QSize m_pixels;
    QBuffer m_buffer;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
};
