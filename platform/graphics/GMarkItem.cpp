#include "platform/graphics/GMarkItem.h"

#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/scenefiles/SceneData.h"

#include <QPainter>

GMarkItem::GMarkItem(QGraphicsItem *parent) : GItem(parent)
{
    setZValue(1);
}

void GMarkItem::setMarks(const QSizeF &pageMm, const QRectF &areaMm, int markType, double markSizeMm,
                         const QList<double> &lanesPt)
{
    prepareGeometryChange();
    m_pageMm = pageMm;
    m_areaMm = areaMm;
    m_markType = markType;
    m_markSizeMm = markSizeMm;
    m_lanesPt = lanesPt;
}

QMarginsF GMarkItem::margins() const
{
    return QMarginsF(m_areaMm.left(), m_areaMm.top(), m_areaMm.right() - m_pageMm.width(),
                     m_areaMm.bottom() - m_pageMm.height());
}

QRectF GMarkItem::markedRect() const
{
    return layoutMmToScene(m_areaMm);
}

QRectF GMarkItem::srcRect() const
{
    return layoutMmToScene(QRectF(QPointF(0, 0), m_pageMm));
}

QRectF GMarkItem::boundingRect() const
{
    const double d = 1.5 * GPathProcess::mm2Point(m_markSizeMm) + GPathProcess::mm2Point(2);
    return markedRect().adjusted(-d, -d, d, d);
}

// The marks as printed: type 3 one crossed circle (three sizes across) at the
// first corner, types 4 and 5 a dot on every corner, the others dots on the
// first two corners along the web's start.
void GMarkItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QRectF area = markedRect();
    const double size = GPathProcess::mm2Point(m_markSizeMm);
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_markType == 3) {
        const QRectF circle = GPathProcess::createRectF(area.topLeft(), 3 * size);
        painter->setPen(QPen(Qt::black, 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(circle);
        painter->drawLine(QPointF(circle.left(), circle.center().y()), QPointF(circle.right(), circle.center().y()));
        painter->drawLine(QPointF(circle.center().x(), circle.top()), QPointF(circle.center().x(), circle.bottom()));
        return;
    }
    QList<QPointF> corners{area.topLeft(), area.bottomLeft()};
    if (m_markType == 4 || m_markType == 5)
        corners = {area.topLeft(), area.bottomLeft(), area.bottomRight(), area.topRight()};
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    for (const QPointF &corner : corners)
        painter->drawEllipse(GPathProcess::createRectF(corner, size));
}
