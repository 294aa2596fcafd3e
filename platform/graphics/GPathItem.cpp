#include "platform/graphics/GPathItem.h"

#include "platform/graphics/GScene.h"
#include "platform/graphics/GSp.h"

#include <QPainter>

GPathItem::GPathItem(QGraphicsItem *parent) : GItem(parent)
{
}

GPathItem::GPathItem(const QPainterPath &path, int tool, QGraphicsItem *parent)
    : GItem(parent), m_path(path), m_bounds(path.controlPointRect()), m_tool(tool)
{
}

void GPathItem::setPath(const QPainterPath &path)
{
    prepareGeometryChange();
    m_path = path;
    m_bounds = path.controlPointRect();
}

void GPathItem::setTool(int tool)
{
    m_tool = tool;
    update();
}

QPainterPath GPathItem::scenePath() const
{
    return toScene().map(m_path);
}

QPainterPath GPathItem::cutPath() const
{
    const QPainterPath path = scenePath();
    const auto *gscene = qobject_cast<const GScene *>(scene());
    const GSp *tool = gscene ? gscene->sp(m_tool) : nullptr;
    return tool ? tool->compensate(path) : path;
}

QRectF GPathItem::boundingRect() const
{
    return m_bounds;
}

void GPathItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const auto *gscene = qobject_cast<const GScene *>(scene());
    const GSp *tool = gscene ? gscene->sp(m_tool) : nullptr;
    QPen pen(tool ? tool->color() : QColor(Qt::black), 0);
    if (isSelected())
        pen.setStyle(Qt::DashLine);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(m_path);
}
