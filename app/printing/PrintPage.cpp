#include "app/printing/PrintPage.h"

#include <QImageReader>
#include <QPageSize>
#include <QPainter>
#include <QPdfDocument>
#include <cmath>

namespace {

QString pdfError(QPdfDocument::Error error)
{
    switch (error) {
    case QPdfDocument::Error::FileNotFound:
        return QStringLiteral("file not found");
    case QPdfDocument::Error::InvalidFileFormat:
        return QStringLiteral("not a readable PDF");
    case QPdfDocument::Error::IncorrectPassword:
    case QPdfDocument::Error::UnsupportedSecurityScheme:
        return QStringLiteral("encrypted PDF");
    default:
        return QStringLiteral("PDF cannot be loaded");
    }
}

// A page size in points as the print page size: matched to a standard size
// when one is near, read back in millimetres.
QSizeF pointsToMm(const QSizeF &points)
{
    return QPageSize(points, QPageSize::Point, QString(), QPageSize::FuzzyMatch).size(QPageSize::Millimeter);
}

bool usable(const QSizeF &points)
{
    return points.isValid() && std::isfinite(points.width()) && std::isfinite(points.height()) && points.width() >= 1
           && points.height() >= 1;
}

QImage onWhite(const QImage &image, const QSize &pixels)
{
    QImage page(pixels, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), pixels), image);
    return page;
}

// A TIF read at most at pixels, so that a giant file is not read whole.
QImage readTif(const QString &file, const QSize &limit, QString *error)
{
    QImageReader reader(file);
    const QSize size = reader.size();
    if (size.isValid() && limit.isValid() && (size.width() > limit.width() || size.height() > limit.height()))
        reader.setScaledSize(size.scaled(limit, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (image.isNull() && error)
        *error = reader.errorString();
    return image;
}

} // namespace

bool PrintPage::isPdf(const QString &file)
{
    return file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

bool PrintPage::isTif(const QString &file)
{
    return file.endsWith(QLatin1String(".tif"), Qt::CaseInsensitive);
}

PrintPage::Page PrintPage::preview(const QString &file)
{
    Page page;
    if (isTif(file)) {
        QImageReader reader(file);
        const QSize size = reader.size();
        page.image = readTif(file, QSize(kPreviewMaxPx, kPreviewMaxPx), &page.error);
        if (!page.image.isNull())
            page.sizeMm = pointsToMm(size.isValid() ? QSizeF(size) : QSizeF(page.image.size()));
        return page;
    }
    QPdfDocument document;
    const QPdfDocument::Error loaded = document.load(file);
    if (loaded != QPdfDocument::Error::None) {
        page.error = pdfError(loaded);
        return page;
    }
    const QSizeF points = document.pageCount() > 0 ? document.pagePointSize(0) : QSizeF();
    if (!usable(points)) {
        page.error = document.pageCount() > 0 ? QStringLiteral("page without a size") : QStringLiteral("no page");
        return page;
    }
    QSize pixels = points.toSize().expandedTo(QSize(1, 1));
    if (pixels.width() > kPreviewMaxPx || pixels.height() > kPreviewMaxPx)
        pixels = pixels.scaled(kPreviewMaxPx, kPreviewMaxPx, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QImage rendered = document.render(0, pixels);
    if (rendered.isNull()) {
        page.error = QStringLiteral("page cannot be drawn");
        return page;
    }
    page.image = onWhite(rendered, pixels);
    page.sizeMm = pointsToMm(points);
    return page;
}

int PrintPage::printDpi(const QSizeF &sizeMm, int dpi)
{
    const double pixels = (sizeMm.width() / 25.4 * dpi) * (sizeMm.height() / 25.4 * dpi);
    if (!(pixels > double(kPrintMaxPixels)))
        return dpi;
    return qMax(1, int(dpi * std::sqrt(double(kPrintMaxPixels) / pixels)));
}

QImage PrintPage::render(const QString &file, const QSize &pixels, QString *error)
{
    if (pixels.isEmpty()) {
        if (error)
            *error = QStringLiteral("no page size");
        return QImage();
    }
    QImage drawn;
    if (isTif(file)) {
        drawn = readTif(file, pixels, error);
    } else {
        QPdfDocument document;
        const QPdfDocument::Error loaded = document.load(file);
        if (loaded != QPdfDocument::Error::None) {
            if (error)
                *error = pdfError(loaded);
            return QImage();
        }
        if (document.pageCount() < 1 || !usable(document.pagePointSize(0))) {
            if (error)
                *error = QStringLiteral("no page");
            return QImage();
        }
        drawn = document.render(0, pixels);
        if (drawn.isNull() && error)
            *error = QStringLiteral("page cannot be drawn");
    }
    return drawn.isNull() ? QImage() : onWhite(drawn, pixels);
}
