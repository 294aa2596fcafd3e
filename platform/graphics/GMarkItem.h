#pragma once

#include "platform/graphics/GItem.h"

#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>

// The registration marks of a page: their type and size, the marked area they
// span and the knife lanes. Lengths in mm are in the layout frame (x across
// the web), rectangles in points are in the scene frame (x along the web).
class GMarkItem : public GItem
{
public:
    enum { Type = GMarkType };

    explicit GMarkItem(QGraphicsItem *parent = nullptr);

    int type() const override { return Type; }

    void setMarks(const QSizeF &pageMm, const QRectF &areaMm, int markType, double markSizeMm,
                  const QList<double> &lanesPt);

    // Left and top: the marked area's inset from the page's left and top edges;
    // right and bottom: how far the area's far corner lies from the page's,
    // negative inward; so the page's rectangle adjusted by them is the area.
    QMarginsF margins() const;
    double markSize() const { return m_markSizeMm; }
    int markType() const { return m_markType; }
    // Knife lane offsets across the web, points.
    QList<double> multiOffset() const { return m_lanesPt; }
    // The marked area and the whole page, scene frame, points.
    QRectF markedRect() const;
    QRectF srcRect() const;
    QRectF areaMm() const { return m_areaMm; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QSizeF m_pageMm;
    QRectF m_areaMm;
    int m_markType = 0;
    double m_markSizeMm = 0;
    QList<double> m_lanesPt;
};
