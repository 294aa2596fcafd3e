#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>

// PDF files written by hand, so that a page has exactly the size asked for
// (QPdfWriter rounds to whole points), and broken ones of every kind.
namespace TestPdf {

enum Kind { Good, PageLess, Encrypted, Truncated, NotPdf };

// A page of sizeMm with a few filled boxes (dark ink near its centre).
QByteArray make(const QSizeF &sizeMm, Kind kind = Good);
bool write(const QString &path, const QSizeF &sizeMm, Kind kind = Good);

} // namespace TestPdf
