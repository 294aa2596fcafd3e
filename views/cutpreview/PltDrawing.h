#pragma once

#include "views/cutpreview/PltLayout.h"

#include <QList>
#include <QPolygonF>
#include <QSizeF>

class QPainter;

// The preview's picture of a cut file in an item of the given size: white
// round, the page as a light grey sheet turned so that its length runs left to
// right and its width upwards, the paths in blue once per knife lane, red
// dashed lane borders and the registration marks. Paths are in drawing points
// of the page; an item too small to hold a sheet shows white only.
namespace PltDrawing {

void paint(QPainter *painter, const QSizeF &itemSize, const PltLayout &layout, const QList<QPolygonF> &paths);
// The marks of the layout's type about the marked area, in page coordinates.
void drawMarks(QPainter *painter, const PltLayout &layout);

} // namespace PltDrawing
