// Cut conversion: the cut scene's page as HPGL for the machine, its mark
// points, its knife lanes and its mark type. Called from the work thread as
// well as the main thread; the scene is read under m_sceneLock, which an open
// takes for writing (DravolinteAppScene.cpp).
#include "DravolinteApp.h"

#include "GMarkItem.h"
#include "GPage.h"
#include "GPathItem.h"
#include "GPathProcess.h"
#include "GScene.h"
#include "Varnok120X.h"

#include <QDebug>
#include <QFile>
#include <cfloat>
#include <cmath>

namespace {

// The nearest integer, halves away from zero; what cannot be a coordinate is 0.
qint64 nearest(double v)
{
    if (!std::isfinite(v))
        return 0;
    return qint64(std::round(qBound(-1e15, v, 1e15)));
}

} // namespace

int DravolinteApp::pageMarkType() const
{
    QReadLocker lock(&m_sceneLock);
    return pageMarkTypeLocked();
}

int DravolinteApp::pageMarkTypeLocked() const
{
    if (!m_cutScene || m_cutScene->gItemAll().isEmpty())
        return 4;
    const GPage *page = m_cutScene->page();
    const GMarkItem *mark = page ? page->markItem() : nullptr;
    return mark ? mark->markType() : -1;
}

bool DravolinteApp::hasCutItems() const
{
    QReadLocker lock(&m_sceneLock);
    return m_cutScene && !m_cutScene->gItemAll().isEmpty();
}

QString DravolinteApp::cutPathToHpgl(const GScene *scene, const GPathItem *item, const QTransform &transform,
                                     const QMarginsF &margins, const QPointF &offset) const
{
    Q_UNUSED(margins)
    if (!item)
        return QString();
    const GPage *page = scene ? scene->page() : nullptr;
    const GMarkItem *mark = page ? page->markItem() : nullptr;
    // Cut data counts from the marked area's corner, where the marks are.
    const QPointF origin = mark ? mark->markedRect().topLeft() : QPointF();
    const QPainterPath path = item->cutPath();
    if (path.isEmpty())
        return QString();
    Config *cfg = config();
    const bool flipY = cfg && cfg->getProperty(Config::CPT_Cut_Coordinates).toInt() != 0;
    QString text;
    const QList<QPolygonF> polygons = path.toSubpathPolygons(QTransform());
    for (QPolygonF polygon : polygons) {
        polygon.translate(-origin);
        polygon = transform.map(polygon);
        polygon.translate(-offset);
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF p = GPathProcess::point2Hpgl(polygon.at(i));
            const qint64 x = nearest(p.x());
            const qint64 y = flipY ? -nearest(p.y()) : nearest(p.y());
            if (i == 0)
                text += QStringLiteral("PU%1,%2;").arg(x).arg(y);
            else if (i == 1)
                text += QStringLiteral("PD%1,%2").arg(x).arg(y);
            else
                text += QStringLiteral(",%1,%2").arg(x).arg(y);
        }
        if (!polygon.isEmpty())
            text += QLatin1Char(';');
    }
    return text;
}

QByteArray DravolinteApp::createPageCutFile(const QTransform &transform)
{
    Varnok120X *device = driver();
    if (device)
        device->setPltData(QByteArray());
    Config *cfg = config();
    if (!cfg)
        return QByteArray();
    const bool flipY = cfg->getProperty(Config::CPT_Cut_Coordinates).toInt() != 0;
    const double offsetX = cfg->markCameraOffsetX(0);
    const double offsetY = cfg->markCameraOffsetY(0);
    const double spacing = cfg->pageSpacing();

    // The knives cut where knife 0's mark camera has seen the marks.
    QPointF offset = GPathProcess::mm2Point(QPointF(-offsetX, offsetY * (flipY ? 1.0 : -1.0)));
    if (cfg->getProperty(Config::CPT_Cut_Inverse).toBool() && std::abs(spacing) > DBL_EPSILON)
        offset.rx() -= GPathProcess::mm2Point(spacing);
    QString cross;
    if (cfg->getProperty(Config::CPT_Cut_Cross).toBool()) {
        const qint64 x0 = qint64(GPathProcess::mm2Hpgl(offsetX));
        const qint64 y0 = qint64(GPathProcess::mm2Hpgl(offsetY + 10.0) * (flipY ? -1.0 : 1.0));
        cross = QStringLiteral("PU%1,%2;PD%3,%4;PU%5,%6;PD%7,%8;")
                    .arg(x0 + 100)
                    .arg(y0)
                    .arg(x0 + 100)
                    .arg(y0 + 100)
                    .arg(x0 + 50)
                    .arg(y0 + 50)
                    .arg(x0 + 150)
                    .arg(y0 + 50);
    }

    QString text = cross;
    {
        QReadLocker lock(&m_sceneLock);
        const GPage *page = m_cutScene ? m_cutScene->page() : nullptr;
        const GMarkItem *mark = page ? page->markItem() : nullptr;
        const QMarginsF margins = mark ? GPathProcess::mm2Point(mark->margins()) : QMarginsF();
        if (m_cutScene) {
            QList<GItem *> items;
            m_cutScene->exportCutItems(items, false, false, false);
            const QList<GPathItem *> ordered = m_cutScene->sortCutItems(items);
            for (const GPathItem *item : ordered)
                text += cutPathToHpgl(m_cutScene.get(), item, QTransform(transform), margins, offset);
        }
    }
    text += cross;
    const QByteArray result = text.toLatin1();
    if (device)
        device->setPltData(result);
    if (enabledTest()) {
        QFile file(QStringLiteral("tmp.plt"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            file.write(result);
    }
    return result;
}

void DravolinteApp::createPageCutFile()
{
    createPageCutFile(QTransform());
}

QPolygonF DravolinteApp::currentPageMarkPoint(bool scan) const
{
    QRectF area;
    int type = 0;
    {
        QReadLocker lock(&m_sceneLock);
        if (!m_cutScene || m_cutScene->gItemAll().isEmpty())
            return QPolygonF();
        const GPage *page = m_cutScene->page();
        const GMarkItem *mark = page ? page->markItem() : nullptr;
        if (!mark)
            return QPolygonF();
        // The page adjusted by the mark margins as the library gives them:
        // the far ones are negative inward.
        const QRectF full = page->layout().fullRect(QPageLayout::Millimeter);
        const QMarginsF m = mark->margins();
        area = QRectF(full.topLeft() + QPointF(m.left(), m.top()), full.bottomRight() + QPointF(m.right(), m.bottom()));
        type = mark->markType();
    }
    // The first coordinate runs along the page's height (the web), the second across it.
    if (!scan) {
        const QRectF points = GPathProcess::mm2Point(area);
        const double w = points.width(), h = points.height();
        return QPolygonF({QPointF(0, 0), QPointF(0, w), QPointF(h, w), QPointF(h, 0)});
    }
    if (type == 0)
        return QPolygonF();
    const double w = area.width();
    double h = area.height();
    // Marks on consecutive pages: the far pair is the next page's first.
    if (type == 4) {
        Config *cfg = config();
        h = pageSize().height() + (cfg ? cfg->pageSpacing() : 0.0);
    }
    return QPolygonF({GPathProcess::mm2Hpgl(QPointF(0, 0)), GPathProcess::mm2Hpgl(QPointF(0, w)),
                      GPathProcess::mm2Hpgl(QPointF(h, w)), GPathProcess::mm2Hpgl(QPointF(h, 0))});
}

QList<int> DravolinteApp::currentKnifeIntInterval() const
{
    QList<double> lanes;
    {
        QReadLocker lock(&m_sceneLock);
        const GPage *page = m_cutScene ? m_cutScene->page() : nullptr;
        const GMarkItem *mark = page ? page->markItem() : nullptr;
        if (mark)
            lanes = mark->multiOffset();
    }
    QList<int> intervals;
    for (double lane : std::as_const(lanes)) {
        const double units = GPathProcess::point2Hpgl(lane);
        intervals << (std::isfinite(units) ? int(qBound(-2147483647.0, units, 2147483647.0)) : 0);
    }
    return intervals;
}
