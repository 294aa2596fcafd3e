#include "device/task/MarkFit.h"

#include "platform/graphics/paths/GPathProcess.h"

#include <QDebug>
#include <cmath>

namespace MarkFit {

bool Quality::withinBounds() const
{
    return std::abs(angle) <= kMaxAngle && std::abs(dtX) <= kMaxScaleError && std::abs(dtY) <= kMaxScaleError;
}

bool measure(const QPolygonF &nominal, const QList<QPointF> &offsets, QPolygonF *measured)
{
    measured->clear();
    if (offsets.size() < nominal.size()) {
        qWarning().noquote() << "MarkFit::measure" << nominal.size() << "marks," << offsets.size() << "scanned";
        return false;
    }
    for (int i = 0; i < nominal.size(); ++i)
        measured->append(nominal.at(i) + offsets.at(i));
    return true;
}

namespace {
bool finite(const QTransform &t)
{
    const double m[] = {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()};
    for (double v : m) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}
} // namespace

bool fit(const QPolygonF &nominalHpgl, const QPolygonF &measuredHpgl, QTransform *transform)
{
    if (nominalHpgl.size() != measuredHpgl.size()) {
        qCritical().noquote() << "MarkFit::fit" << nominalHpgl.size() << "marks," << measuredHpgl.size() << "measured";
        return false;
    }
    if (nominalHpgl.size() != 4) {
        *transform = QTransform();
        return true;
    }
    QTransform t;
    if (!QTransform::quadToQuad(GPathProcess::hpgl2Point(nominalHpgl), GPathProcess::hpgl2Point(measuredHpgl), t) ||
        !finite(t) || !t.isInvertible()) {
        qCritical().noquote() << "MarkFit::fit" << "no fit of" << nominalHpgl << "onto" << measuredHpgl;
        return false;
    }
    *transform = t;
    return true;
}

QTransform translation(const QPointF &centreOffsetHpgl, bool flipY)
{
    const QPointF d(centreOffsetHpgl.x(), (flipY ? -1.0 : 1.0) * centreOffsetHpgl.y());
    const QPointF p = GPathProcess::hpgl2Point(d);
    return QTransform::fromTranslate(p.x(), p.y());
}

Quality quality(const QTransform &transform, const QSizeF &pageMm)
{
    Quality q;
    const QTransform inverse = transform.inverted();
    q.angle = std::atan2(inverse.m21(), inverse.m22()) * 57.29577951308232;
    QTransform upright = transform;
    upright.rotate(-q.angle, Qt::ZAxis);
    q.scaleX = upright.m11();
    q.scaleY = upright.m22();
    q.dtX = pageMm.width() * (q.scaleX - 1.0);
    q.dtY = pageMm.height() * (q.scaleY - 1.0);
    return q;
}

void report(const QList<QPointF> &offsets, const QList<double> &sizes, const QPolygonF &measured,
            const QPolygonF &nominal, const Quality &q)
{
    const QtMsgType level = q.withinBounds() ? QtInfoMsg : QtCriticalMsg;
    auto line = [level]() { return level == QtInfoMsg ? qInfo().noquote() : qCritical().noquote(); };
    line() << "TaskWorker::taskScanOK" << "dt:" << offsets << "mark size:" << sizes;
    line() << "TaskWorker::taskScanOK" << "scaned:" << measured;
    line() << "TaskWorker::taskScanOK" << "currentPageMarkPoint:" << nominal;
    line() << "TaskWorker::taskScanOK" << "angle:" << q.angle << "scaleX:" << q.scaleX << "scaleY:" << q.scaleY
           << "dtX(mm):" << q.dtX << "dtY(mm):" << q.dtY;
}

} // namespace MarkFit
