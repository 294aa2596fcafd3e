// The pressure test: a small figure in a square, cut beside the last one, so
// that the operator can judge the knife pressure from the cut.
#include "configuration/Config.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "device/Varnok120X.h"

#include <QPainterPath>
#include <cmath>

namespace {

// HPGL points of the figure, converted to scene points.
QPolygonF scenePolygon(std::initializer_list<QPointF> hpgl)
{
    QPolygonF polygon;
    for (const QPointF &p : hpgl)
        polygon << GPathProcess::hpgl2Point(p);
    return polygon;
}

QString hpglPoint(const QPointF &p)
{
    auto whole = [](double v) { return std::isfinite(v) ? qint64(std::round(v)) : qint64(0); };
    return QStringLiteral("%1,%2").arg(whole(p.x())).arg(whole(p.y()));
}

} // namespace

void Varnok120X::testPressure()
{
    // A figure is only cut, and the step only counts on, when no job runs.
    if (refuseIfBusy())
        return;
    const QPolygonF inner = scenePolygon({{617, 400}, {617, 137}, {400, 269}, {183, 400}, {400, 531}, {617, 663}, {617, 400}});
    const QPolygonF outer = scenePolygon({{800, 400}, {800, 0}, {0, 0}, {0, 800}, {800, 800}, {800, 400}});

    // Beside the mark camera of the current knife; each later figure 100 mm
    // further on, and the knife parked out of the way.
    const int step = testPressureStep();
    QPointF shift = GPathProcess::mm2Point(QPointF(-m_config->markCameraOffsetX(), -m_config->markCameraOffsetY()));
    QPointF end(0, 1200);
    if (step > 0) {
        shift.rx() += GPathProcess::mm2Point(100.0);
        end = step == 5 ? QPointF(1200, -4800) : QPointF(0, 1200);
    } else {
        end.setX(double(qint64(GPathProcess::mm2Hpgl(100.0))));
    }
    QPainterPath path;
    path.addPolygon(inner.translated(-shift));
    path.addPolygon(outer.translated(-shift));
    if (m_config->closeCompensate())
        path = GPathProcess::closeCompensatePath(path, GPathProcess::mm2Point(m_config->closeCompensateVal()));
    if (m_config->knifeCompensate())
        path = GPathProcess::knifeCompensatePath(path, GPathProcess::mm2Point(m_config->knifeCompensateVal()), false);

    QString text = QStringLiteral("IN;PA;");
    const QList<QPolygonF> polygons = path.toSubpathPolygons(QTransform());
    for (const QPolygonF &polygon : polygons) {
        text += QStringLiteral("SP2;");
        const QPolygonF hpgl = GPathProcess::point2Hpgl(polygon);
        if (hpgl.isEmpty())
            continue;
        text += QStringLiteral("PU%1;").arg(hpglPoint(hpgl.first()));
        if (hpgl.size() < 2)
            continue;
        QStringList points;
        for (qsizetype i = 1; i < hpgl.size(); ++i)
            points << hpglPoint(hpgl.at(i));
        text += QStringLiteral("PD") + points.join(QLatin1Char(',')) + QStringLiteral(";PU0,0;!PG;");
    }
    text += QStringLiteral("PU%1;!PG;").arg(hpglPoint(end));
    if (!startJob(1, text.toLatin1()))
        return;
    // Steps run 0, 2, 3, 4, 5, 1, 2, ...; setOrigin, a Y jog, a task start
    // and the shutdown begin again at 0.
    setTestPressureStep(step == 0 ? 2 : (step + 1 > 5 ? 1 : step + 1));
}
