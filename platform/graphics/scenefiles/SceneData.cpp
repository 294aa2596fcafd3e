#include "platform/graphics/scenefiles/SceneData.h"

#include "platform/graphics/paths/GPathProcess.h"

#include <algorithm>

namespace {

QList<SceneSegment> merge(QList<SceneSegment> bands)
{
    std::sort(bands.begin(), bands.end(), [](const SceneSegment &a, const SceneSegment &b) { return a.start < b.start; });
    QList<SceneSegment> out;
    for (const SceneSegment &b : bands) {
        if (!out.isEmpty() && b.start <= out.back().end)
            out.back().end = std::max(out.back().end, b.end);
        else
            out << b;
    }
    return out;
}

} // namespace

ToolSetting ToolSetting::defaults(int index)
{
    // Pen colours as plotters number them; compensations 0.2 mm, off.
    static const QColor palette[] = {Qt::black, Qt::black, Qt::red, Qt::darkGreen, Qt::blue,
                                     Qt::magenta, Qt::darkCyan, Qt::darkYellow, Qt::darkGray};
    ToolSetting t;
    t.index = index;
    t.name = QStringLiteral("SP%1").arg(index);
    t.color = palette[(index >= 0 && index <= 8) ? index : 0];
    t.closeCompensate = GPathProcess::mm2Point(0.2);
    t.knifeCompensate = GPathProcess::mm2Point(0.2);
    return t;
}

QRectF layoutMmToScene(const QRectF &mm)
{
    return GPathProcess::mm2Point(QRectF(mm.y(), mm.x(), mm.height(), mm.width()));
}

QRectF sceneToLayoutMm(const QRectF &points)
{
    const QRectF mm = GPathProcess::point2Mm(points);
    return QRectF(mm.y(), mm.x(), mm.height(), mm.width());
}

QRectF SceneData::pageScene() const
{
    return hasPage ? layoutMmToScene(QRectF(QPointF(0, 0), pageMm)) : QRectF();
}

QRectF SceneData::markAreaScene() const
{
    return hasMark ? layoutMmToScene(markAreaMm) : QRectF();
}

void SceneData::computeSegments()
{
    QList<SceneSegment> r;
    QList<SceneSegment> c;
    r.reserve(paths.size());
    c.reserve(paths.size());
    for (const ScenePath &p : paths) {
        const QRectF b = p.path.boundingRect();
        if (p.path.isEmpty())
            continue;
        r << SceneSegment{GPathProcess::point2Mm(b.left()), GPathProcess::point2Mm(b.right())};
        c << SceneSegment{GPathProcess::point2Mm(b.top()), GPathProcess::point2Mm(b.bottom())};
    }
    rows = merge(r);
    cols = merge(c);
    hasSegments = true;
}
