#include "views/cutpreview/GraphicsView.h"

#include "platform/graphics/GPage.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/GScene.h"

#include <QPainter>
#include <cmath>

GraphicsView::GraphicsView(QWidget *parent)
    : QGraphicsView(parent)
{
    rotate(-90);
    setBackgroundBrush(QColor(Qt::gray));
}

GScene *GraphicsView::cutScene() const
{
    return qobject_cast<GScene *>(scene());
}

void GraphicsView::refreshView()
{
    fit();
}

void GraphicsView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    fit();
}

// Before the first file and after a clear there is no page: the zoom stays.
void GraphicsView::fit()
{
    const GScene *gscene = cutScene();
    const GPage *page = gscene ? gscene->page() : nullptr;
    if (isEnabled() || !page)
        return;
    const QRectF r = page->sceneRect();
    const QRectF whole(int(r.x()), int(r.y()), int(r.width()), int(r.height()));
    fitInView(whole.adjusted(-kBorderPt, -kBorderPt, kBorderPt, kBorderPt), Qt::KeepAspectRatio);
}

void GraphicsView::drawBackground(QPainter *painter, const QRectF &rect)
{
    painter->fillRect(rect, QColor(Qt::gray));
    const GScene *gscene = cutScene();
    const GPage *page = gscene ? gscene->page() : nullptr;
    if (!page)
        return;
    painter->setRenderHint(QPainter::Antialiasing, true);
    double sx = 1, sy = 1;
    GPathProcess::transformScale(transform(), sx, sy);
    if (std::fabs(sx) <= 1e-12)
        sx = 1.0;
    QPen pen(Qt::black, kMarginPx / std::fabs(sx));
    if (!gscene->gItemAll().isEmpty())
        painter->fillRect(page->sceneRect(), Qt::white);
    if (gscene->showMargin()) {
        pen.setStyle(Qt::DashDotLine);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(page->paintSceneRect());
    }
}
