#pragma once

#include <QMarginsF>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

// Units of the cut scene and the conversions between them:
//   millimetres (page layout, margins, offsets),
//   scene points, 72 per inch (item coordinates),
//   plotter (HPGL) units, 40 per millimetre (knife and web positions, cut data).
// A round trip through any pair of units gives back the number it started
// from for every value given with up to six decimals, and a chain such as
// 100 mm -> points -> HPGL yields exactly 4000: results lying within a few
// rounding steps of a multiple of 1e-6 are put on it.
class GPathProcess
{
public:
    static double mm2Point(double v);
    static double mm2Hpgl(double v);
    static double point2Hpgl(double v);
    static double point2Mm(double v);
    static double hpgl2Point(double v);
    static double hpgl2Mm(double v);

    static QPointF mm2Point(const QPointF &v);
    static QPointF mm2Hpgl(const QPointF &v);
    static QPointF point2Hpgl(const QPointF &v);
    static QPointF point2Mm(const QPointF &v);
    static QPointF hpgl2Point(const QPointF &v);
    static QPointF hpgl2Mm(const QPointF &v);

    static QRectF mm2Point(const QRectF &v);
    static QRectF mm2Hpgl(const QRectF &v);
    static QRectF point2Hpgl(const QRectF &v);
    static QRectF point2Mm(const QRectF &v);
    static QRectF hpgl2Point(const QRectF &v);
    static QRectF hpgl2Mm(const QRectF &v);

    static QMarginsF mm2Point(const QMarginsF &v);
    static QMarginsF mm2Hpgl(const QMarginsF &v);
    static QMarginsF point2Hpgl(const QMarginsF &v);
    static QMarginsF point2Mm(const QMarginsF &v);
    static QMarginsF hpgl2Point(const QMarginsF &v);
    static QMarginsF hpgl2Mm(const QMarginsF &v);

    static QPolygonF mm2Point(const QPolygonF &v);
    static QPolygonF mm2Hpgl(const QPolygonF &v);
    static QPolygonF point2Hpgl(const QPolygonF &v);
    static QPolygonF point2Mm(const QPolygonF &v);
    static QPolygonF hpgl2Point(const QPolygonF &v);
    static QPolygonF hpgl2Mm(const QPolygonF &v);

    // The square of side `size`, or the w x h rectangle, centred on `center`.
    static QRectF createRectF(const QPointF &center, double size);
    static QRectF createRectF(const QPointF &center, double width, double height);

    // The lengths of the transformed unit axes: the true scale also of a turned
    // or mirrored transform (always positive).
    static void transformScale(const QTransform &transform, double &sx, double &sy);

    // Overcut: every closed subpath runs on along its own start for `distance`
    // (at most one more round), so that the knife's start and end cuts meet.
    // Open subpaths and a distance <= 0 leave the path as it is.
    static QPainterPath closeCompensatePath(const QPainterPath &path, double distance);
    // Drag-knife offset: the blade tip trails the knife axis by `offset`, so the
    // axis runs `offset` ahead along each segment and swings round every corner
    // on an arc of that radius (a straight chord when `straightCorners`). A
    // closed subpath stays closed. An offset <= 0 leaves the path as it is.
    static QPainterPath knifeCompensatePath(const QPainterPath &path, double offset, bool straightCorners = false);

    // The same on one polyline (the work horses, also for the benchmark).
    static QPolygonF closeCompensatePolygon(const QPolygonF &polygon, double distance);
    static QPolygonF knifeCompensatePolygon(const QPolygonF &polygon, double offset, bool straightCorners = false);
    static bool isClosed(const QPolygonF &polygon);
};
