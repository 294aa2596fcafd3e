// The two knife compensations of GPathProcess.
#include "platform/graphics/paths/GPathProcess.h"

#include <QLineF>
#include <cmath>

namespace {

constexpr double kSame = 1e-9;      // points closer than this are one point
constexpr double kArcStep = M_PI / 18; // 10 degrees per chord of a swing arc
constexpr double kStraight = 1e-4;  // turns below this (radians) need no swing
const double kArcStepCos = std::cos(kArcStep);

bool same(const QPointF &a, const QPointF &b)
{
    return std::fabs(a.x() - b.x()) <= kSame && std::fabs(a.y() - b.y()) <= kSame;
}

// The polygon without repeated points.
QPolygonF distinct(const QPolygonF &polygon)
{
    QPolygonF out;
    out.reserve(polygon.size());
    for (const QPointF &p : polygon) {
        if (out.isEmpty() || !same(out.back(), p))
            out << p;
    }
    return out;
}

QPointF direction(const QPointF &from, const QPointF &to)
{
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    return d / length;
}

// Swings the axis round `corner` from direction a to direction b (the shorter way).
void swing(QPolygonF &out, const QPointF &corner, const QPointF &a, const QPointF &b, double offset, bool straight)
{
    // a and b are unit vectors: their dot product is the cosine of the turn.
    const double cross = a.x() * b.y() - a.y() * b.x();
    const double dot = a.x() * b.x() + a.y() * b.y();
    if (dot > 0 && std::fabs(cross) < kStraight)
        return;
    if (!straight && dot < kArcStepCos) {
        const double turn = std::atan2(cross, dot);
        const int steps = int(std::ceil(std::fabs(turn) / kArcStep));
        const double from = std::atan2(a.y(), a.x());
        for (int i = 1; i < steps; ++i) {
            const double angle = from + turn * i / steps;
            out << corner + offset * QPointF(std::cos(angle), std::sin(angle));
        }
    }
    out << corner + offset * b;
}

QPainterPath fromPolygons(const QList<QPolygonF> &polygons)
{
    QPainterPath path;
    for (const QPolygonF &polygon : polygons) {
        if (polygon.isEmpty())
            continue;
        path.moveTo(polygon.front());
        for (int i = 1; i < polygon.size(); ++i)
            path.lineTo(polygon[i]);
    }
    return path;
}

} // namespace

bool GPathProcess::isClosed(const QPolygonF &polygon)
{
    return polygon.size() >= 3 && same(polygon.front(), polygon.back());
}

QPolygonF GPathProcess::closeCompensatePolygon(const QPolygonF &polygon, double distance)
{
    if (!(distance > 0) || !isClosed(polygon))
        return polygon;
    QPolygonF out = polygon;
    out.back() = polygon.front(); // exactly closed before running on
    double left = distance;
    for (int i = 1; i < polygon.size() && left > 0; ++i) {
        const QPointF a = polygon[i - 1];
        const QPointF b = polygon[i];
        const double length = QLineF(a, b).length();
        if (length <= kSame)
            continue;
        if (length >= left) {
            out << a + (b - a) * (left / length);
            left = 0;
        } else {
            out << b;
            left -= length;
        }
    }
    return out;
}

QPolygonF GPathProcess::knifeCompensatePolygon(const QPolygonF &polygon, double offset, bool straightCorners)
{
    if (!(offset > 0))
        return polygon;
    const bool closed = isClosed(polygon);
    QPolygonF p = distinct(polygon);
    if (closed && p.size() > 1 && same(p.front(), p.back()))
        p.back() = p.front();
    if (p.size() < 2)
        return polygon;
    const int segments = p.size() - 1;
    QPolygonF out;
    out.reserve(p.size() * 3);
    QPointF previous = direction(p[0], p[1]);
    const QPointF first = p[0] + offset * previous;
    out << first;
    for (int i = 0; i < segments; ++i) {
        const QPointF dir = direction(p[i], p[i + 1]);
        if (i > 0)
            swing(out, p[i], previous, dir, offset, straightCorners);
        out << p[i + 1] + offset * dir;
        previous = dir;
    }
    if (closed) {
        // Round the start corner too, ending where the path began.
        swing(out, p[0], previous, direction(p[0], p[1]), offset, straightCorners);
        out.back() = first;
    }
    return out;
}

QPainterPath GPathProcess::closeCompensatePath(const QPainterPath &path, double distance)
{
    if (!(distance > 0))
        return path;
    QList<QPolygonF> polygons = path.toSubpathPolygons();
    for (QPolygonF &polygon : polygons)
        polygon = closeCompensatePolygon(polygon, distance);
    return fromPolygons(polygons);
}

QPainterPath GPathProcess::knifeCompensatePath(const QPainterPath &path, double offset, bool straightCorners)
{
    if (!(offset > 0))
        return path;
    QList<QPolygonF> polygons = path.toSubpathPolygons();
    for (QPolygonF &polygon : polygons)
        polygon = knifeCompensatePolygon(polygon, offset, straightCorners);
    return fromPolygons(polygons);
}
