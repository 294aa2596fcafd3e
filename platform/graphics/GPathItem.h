#pragma once

#include "platform/graphics/GItem.h"

#include <QPainterPath>

// A cut path of the scene, drawn in its tool's colour.
class GPathItem : public GItem
{
public:
    enum { Type = GPathType };

    explicit GPathItem(QGraphicsItem *parent = nullptr);
    GPathItem(const QPainterPath &path, int tool, QGraphicsItem *parent = nullptr);

    int type() const override { return Type; }

    QPainterPath path() const { return m_path; }
    void setPath(const QPainterPath &path);
    int tool() const { return m_tool; }
    void setTool(int tool);
    // Position in the file it came from (-1: made by the program).
    int fileIndex() const { return m_fileIndex; }
    void setFileIndex(int index) { m_fileIndex = index; }

    // The path in scene coordinates (points).
    QPainterPath scenePath() const;
    // What the knife runs: the scene path with its tool's compensations and
    // repeats (the plain scene path outside a GScene).
    QPainterPath cutPath() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QPainterPath m_path;
    QRectF m_bounds;
    int m_tool = 1;
    int m_fileIndex = -1;
};
