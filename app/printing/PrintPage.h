#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

// The first page of a print file (PDF, or TIF where the machine prints TIF):
// its size and its picture, for the preview and for printing. Broken,
// encrypted, empty or giant files give a reason instead of a picture. Any
// thread (the PDF library serialises itself).
namespace PrintPage {

// The preview is drawn at one pixel per point, its larger side at most this.
constexpr int kPreviewMaxPx = 4096;
// A printed page is drawn at the printer's resolution up to this many pixels
// (a 1 m long label at 600 dpi fits); larger pages are drawn more coarsely.
constexpr qint64 kPrintMaxPixels = 120'000'000;

bool isPdf(const QString &file);
bool isTif(const QString &file);

struct Page
{
    QImage image;  // null on failure
    QSizeF sizeMm; // invalid on failure
    QString error;
};

// The preview of file: one pixel per point (a TIF's pixels taken as points).
Page preview(const QString &file);
// The page drawn on white over pixels (the page as a printer prints it).
QImage render(const QString &file, const QSize &pixels, QString *error);
// dpi, or the highest resolution below it at which a page of sizeMm has at
// most kPrintMaxPixels.
int printDpi(const QSizeF &sizeMm, int dpi);

} // namespace PrintPage
