#pragma once

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <vector>

// The automatic cutting order of a page's paths.
//  - By start point: from the origin, always on to the path whose start is
//    nearest to where the knife stopped (a grid keeps this near linear).
//  - Otherwise along the web: by the left edge (scene x), then across.
//  - Inside first: a path lying inside a closed path is cut before it, so that
//    a piece never moves after its outline is cut free.
// Every piece appears exactly once in the result. Work is bounded: on
// pathological input (huge piles of coincident paths) the remaining pieces
// fall back to the plain order, with a log line.
namespace CutOrder {

struct Piece
{
    QRectF bounds;
    QPointF start;
    QPointF end;
    QPolygonF outline; // first subpath, for the inside test
};

struct Options
{
    bool byStartPoint = false;
    bool insideFirst = false;
    qint64 budget = 60000000; // candidate checks before falling back
};

std::vector<int> sort(const std::vector<Piece> &pieces, const Options &options);

} // namespace CutOrder
