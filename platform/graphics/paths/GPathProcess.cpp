#include "platform/graphics/paths/GPathProcess.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// In units of 1/360 mm every unit is a whole number: 1 mm = 360, 1 HPGL unit = 9, 1 point = 127.
constexpr long double kMm = 360.0L;
constexpr long double kHpgl = 9.0L;
constexpr long double kPoint = 127.0L;

// Puts a result that lies within a few rounding steps of a multiple of 1e-6 onto it.
double settle(long double exact)
{
    const double r = double(exact);
    if (!std::isfinite(r) || std::fabs(r) > 1e9)
        return r;
    const double grid = std::round(r * 1e6) / 1e6;
    const double tolerance = 8 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::fabs(r));
    return std::fabs(grid - r) <= tolerance ? grid : r;
}

inline double convert(double v, long double from, long double to)
{
    return settle(static_cast<long double>(v) * from / to);
}

inline QPointF convert(const QPointF &p, long double from, long double to)
{
    return QPointF(convert(p.x(), from, to), convert(p.y(), from, to));
}

inline QRectF convert(const QRectF &r, long double from, long double to)
{
    return QRectF(convert(r.x(), from, to), convert(r.y(), from, to), convert(r.width(), from, to),
                  convert(r.height(), from, to));
}

inline QMarginsF convert(const QMarginsF &m, long double from, long double to)
{
    return QMarginsF(convert(m.left(), from, to), convert(m.top(), from, to), convert(m.right(), from, to),
                     convert(m.bottom(), from, to));
}

inline QPolygonF convert(const QPolygonF &polygon, long double from, long double to)
{
    QPolygonF out;
    out.reserve(polygon.size());
    for (const QPointF &p : polygon)
        out << convert(p, from, to);
    return out;
}

} // namespace

#define DRAVO_CONVERSIONS(Type)                                                                                        \
    Type GPathProcess::mm2Point(const Type &v) { return convert(v, kMm, kPoint); }                                     \
    Type GPathProcess::mm2Hpgl(const Type &v) { return convert(v, kMm, kHpgl); }                                       \
    Type GPathProcess::point2Hpgl(const Type &v) { return convert(v, kPoint, kHpgl); }                                 \
    Type GPathProcess::point2Mm(const Type &v) { return convert(v, kPoint, kMm); }                                     \
    Type GPathProcess::hpgl2Point(const Type &v) { return convert(v, kHpgl, kPoint); }                                 \
    Type GPathProcess::hpgl2Mm(const Type &v) { return convert(v, kHpgl, kMm); }

DRAVO_CONVERSIONS(QPointF)
DRAVO_CONVERSIONS(QRectF)
DRAVO_CONVERSIONS(QMarginsF)
DRAVO_CONVERSIONS(QPolygonF)
#undef DRAVO_CONVERSIONS

double GPathProcess::mm2Point(double v) { return convert(v, kMm, kPoint); }
double GPathProcess::mm2Hpgl(double v) { return convert(v, kMm, kHpgl); }
double GPathProcess::point2Hpgl(double v) { return convert(v, kPoint, kHpgl); }
double GPathProcess::point2Mm(double v) { return convert(v, kPoint, kMm); }
double GPathProcess::hpgl2Point(double v) { return convert(v, kHpgl, kPoint); }
double GPathProcess::hpgl2Mm(double v) { return convert(v, kHpgl, kMm); }

QRectF GPathProcess::createRectF(const QPointF &center, double size)
{
    return createRectF(center, size, size);
}

QRectF GPathProcess::createRectF(const QPointF &center, double width, double height)
{
    return QRectF(center.x() - width / 2, center.y() - height / 2, width, height);
}

void GPathProcess::transformScale(const QTransform &transform, double &sx, double &sy)
{
    sx = std::hypot(transform.m11(), transform.m12());
    sy = std::hypot(transform.m21(), transform.m22());
}
