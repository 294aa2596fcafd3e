#include "views/cutpreview/PltDrawing.h"

#include "platform/graphics/paths/GPathProcess.h"

#include <QPainter>
#include <cmath>

namespace {

// A polyline as the screen shows it: points that lie within this many pixels
// of the line drawn without them add nothing a pixel could show. A large file
// in a small item has many points to the pixel, and each would cost a stroke.
constexpr double kTolerancePx = 0.25;

// page -> screen: (x, y) lands at (x0 + y * scale, y0 - x * scale).
struct Placement
{
    double x0, y0, scale;
    QPointF map(const QPointF &p) const { return QPointF(x0 + p.y() * scale, y0 - p.x() * scale); }
};

inline double cross(QPointF a, QPointF b)
{
    return a.x() * b.y() - a.y() * b.x();
}

// The path on the screen, thinned in one pass ("sleeve" fitting): from the
// last point kept, the directions that pass every skipped point within the
// tolerance narrow to a cone; a point outside it ends the run.
void screenPolyline(const QPolygonF &path, const Placement &toScreen, QPolygonF &out)
{
    out.clear();
    if (path.isEmpty())
        return;
    const double tol2 = kTolerancePx * kTolerancePx;
    QPointF anchor = toScreen.map(path.first());
    out << anchor;
    QPointF last = anchor;
    QPointF left, right; // the cone's bounds, counter-clockwise from right to left
    bool cone = false;
    for (qsizetype i = 1; i < path.size(); ++i) {
        const QPointF p = toScreen.map(path[i]);
        // Steps shorter than the tolerance are not worth the cone's arithmetic
        // (a skipped point stays within twice the tolerance of the line).
        const QPointF step = p - last;
        if (step.x() * step.x() + step.y() * step.y() < tol2 && i + 1 < path.size())
            continue;
        QPointF v = p - anchor;
        if (cone && (cross(right, v) < 0 || cross(v, left) < 0)) {
            out << last;
            anchor = last;
            cone = false;
            v = p - anchor;
        }
        last = p;
        const double d2 = v.x() * v.x() + v.y() * v.y();
        if (d2 <= tol2)
            continue; // within reach of the anchor: no direction to keep to
        // The two tangents from the anchor to the tolerance disc about p,
        // v turned either way by the angle whose tangent is t (not normalised:
        // only their directions count; single precision is ample for pixels).
        const double t = kTolerancePx / std::sqrt(float(d2 - tol2));
        const QPointF l(v.x() - v.y() * t, v.y() + v.x() * t);
        const QPointF r(v.x() + v.y() * t, v.y() - v.x() * t);
        if (!cone) {
            left = l;
            right = r;
            cone = true;
        } else {
            if (cross(left, l) < 0)
                left = l;
            if (cross(right, r) > 0)
                right = r;
        }
    }
    if (out.size() == 1 || out.last() != last)
        out << last;
}

} // namespace

void PltDrawing::paint(QPainter *painter, const QSizeF &itemSize, const PltLayout &layout, const QList<QPolygonF> &paths)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->fillRect(QRectF(QPointF(0, 0), itemSize), Qt::white);
    const QRectF &page = layout.page;
    const double scale = std::min((itemSize.height() - 4) / page.width(), (itemSize.width() - 4) / page.height());
    if (!(scale > 0) || !std::isfinite(scale))
        return; // no room for a sheet (or no sheet): nothing mirrored, nothing divided by zero
    const QSizeF sheetSize(page.height() * scale, page.width() * scale);
    const QRectF sheet(QPointF((itemSize.width() - sheetSize.width()) / 2, (itemSize.height() - sheetSize.height()) / 2),
                       sheetSize);
    painter->fillRect(sheet, QColor(0xEB, 0xEB, 0xEB));

    painter->save();
    QPen blue(Qt::blue, 0);
    blue.setCosmetic(true);
    painter->setPen(blue);
    const Placement toScreen{sheet.left() + layout.area.top() * scale, sheet.bottom() - layout.area.left() * scale, scale};
    const QList<double> lanes = layout.lanes.isEmpty() ? QList<double>{0.0} : layout.lanes;
    // Relative to what the painter brings (an item's device pixel ratio).
    const QTransform base = painter->transform();
    // Thinned once, drawn once per lane: one flat run of points, a start per line.
    QPolygonF points, line;
    QList<qsizetype> starts;
    for (const QPolygonF &path : paths) {
        screenPolyline(path, toScreen, line);
        if (line.size() >= 2) {
            starts << points.size();
            points += line;
        }
    }
    starts << points.size();
    for (double lane : lanes) {
        painter->setTransform(QTransform::fromTranslate(0, -lane * scale) * base);
        for (qsizetype i = 0; i + 1 < starts.size(); ++i)
            painter->drawPolyline(points.constData() + starts[i], int(starts[i + 1] - starts[i]));
    }
    painter->setTransform(base);

    painter->translate(sheet.bottomLeft());
    painter->rotate(-90);
    painter->scale(scale, scale);
    if (layout.lanes.size() > 1) {
        QPen red(Qt::red, 0, Qt::DashLine);
        red.setCosmetic(true);
        painter->setPen(red);
        for (qsizetype i = 1; i < layout.lanes.size(); ++i) {
            const int x = int(layout.lanes[i]);
            painter->drawLine(x, 0, x, int(page.height()));
        }
    }
    if (!paths.isEmpty() && layout.hasMarks)
        drawMarks(painter, layout);
    painter->restore();
}

void PltDrawing::drawMarks(QPainter *painter, const PltLayout &layout)
{
    const QRectF &area = layout.area;
    const double size = layout.markSize;
    painter->save();
    if (layout.markType == 3) {
        painter->setPen(QPen(Qt::black, 1));
        painter->setBrush(Qt::NoBrush);
        const QRectF circle = GPathProcess::createRectF(area.topLeft(), 3 * size);
        painter->drawEllipse(circle);
        painter->drawLine(QPointF(circle.left(), circle.center().y()), QPointF(circle.right(), circle.center().y()));
        painter->drawLine(QPointF(circle.center().x(), circle.top()), QPointF(circle.center().x(), circle.bottom()));
        painter->restore();
        return;
    }
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    QList<QPointF> centres{area.topLeft(), area.topRight()};
    if (layout.markType == 4 || layout.markType == 5)
        centres << area.bottomLeft() << area.bottomRight();
    for (const QPointF &c : std::as_const(centres))
        painter->drawEllipse(GPathProcess::createRectF(c, size));
    // The start bars, 1 mm wide and 0.5 mm high, above and below the first mark.
    const QRectF first = GPathProcess::createRectF(area.topLeft(), size);
    const double w = GPathProcess::mm2Point(1.0), h = GPathProcess::mm2Point(0.5);
    painter->drawRect(QRectF(first.center().x() - w / 2, first.top() - GPathProcess::mm2Point(1.0), w, h));
    painter->drawRect(QRectF(first.center().x() - w / 2, first.bottom() + h, w, h));
    painter->restore();
}
