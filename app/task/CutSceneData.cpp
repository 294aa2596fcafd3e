// Cut conversion: the cut scene's page as HPGL for the machine, its mark
// points, its knife lanes and its mark type. Called from the work thread as
// well as the main thread; the scene is read under the scene lock.
#include "app/task/CutScene.h"

#include "configuration/Config.h"
#include "platform/graphics/GMarkItem.h"
#include "platform/graphics/GPage.h"
#include "platform/graphics/GPathItem.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/GScene.h"
#include "inspection/marks/MarkScanner.h"
#include "device/Varnok120X.h"

#include <QCoreApplication>
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

int CutScene::pageMarkType() const
{
    QReadLocker lock(&m_sceneLock);
    return pageMarkTypeLocked();
}

int CutScene::pageMarkTypeLocked() const
{
    if (m_scene->gItemAll().isEmpty())
        return 4;
    const GPage *page = m_scene->page();
    const GMarkItem *mark = page ? page->markItem() : nullptr;
    return mark ? mark->markType() : -1;
}

int CutScene::scanMarkType() const
{
    QReadLocker lock(&m_sceneLock);
    return MarkScanParams::pageMarkType(m_scene.get());
}

bool CutScene::hasCutItems() const
{
    QReadLocker lock(&m_sceneLock);
    return !m_scene->gItemAll().isEmpty();
}

bool CutScene::isSupport()
{
    int type = -1;
    {
        QReadLocker lock(&m_sceneLock);
        if (m_scene->gItemAll().isEmpty())
            return true;
        type = pageMarkTypeLocked();
    }
    if (type == 0 || type == 1 || type == 4 || type == 8)
        return true;
    qCritical().noquote() << "DravolinteApp::isSupport" << "未实现的切割类型" << type;
    if (Varnok120X *device = m_driver.load())
        device->setErrorMessage(QCoreApplication::translate("DravolinteApp", "不支持的切割类型!"));
    return false;
}

QString CutScene::cutPathToHpgl(const GScene *scene, const GPathItem *item, const QTransform &transform,
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
    const Config *cfg = Config::instance();
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

QByteArray CutScene::createPageCutFile(const QTransform &transform)
{
    const Config *cfg = Config::instance();
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
        const GPage *page = m_scene->page();
        const GMarkItem *mark = page ? page->markItem() : nullptr;
        const QMarginsF margins = mark ? GPathProcess::mm2Point(mark->margins()) : QMarginsF();
        QList<GItem *> items;
        m_scene->exportCutItems(items, false, false, false);
        const QList<GPathItem *> ordered = m_scene->sortCutItems(items);
        for (const GPathItem *item : ordered)
            text += cutPathToHpgl(m_scene.get(), item, transform, margins, offset);
    }
    text += cross;
    const QByteArray result = text.toLatin1();
    if (m_writeTestFile.load()) {
        QFile file(QStringLiteral("tmp.plt"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            file.write(result);
    }
    return result;
}

QPolygonF CutScene::currentPageMarkPoint(bool scan) const
{
    QRectF area;
    int type = 0;
    {
        QReadLocker lock(&m_sceneLock);
        if (m_scene->gItemAll().isEmpty())
            return QPolygonF();
        const GPage *page = m_scene->page();
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
        const Config *cfg = Config::instance();
        h = pageSize().height() + (cfg ? cfg->pageSpacing() : 0.0);
    }
    return QPolygonF({GPathProcess::mm2Hpgl(QPointF(0, 0)), GPathProcess::mm2Hpgl(QPointF(0, w)),
                      GPathProcess::mm2Hpgl(QPointF(h, w)), GPathProcess::mm2Hpgl(QPointF(h, 0))});
}

QList<int> CutScene::currentKnifeIntInterval() const
{
    QList<double> lanes;
    {
        QReadLocker lock(&m_sceneLock);
        const GPage *page = m_scene->page();
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
