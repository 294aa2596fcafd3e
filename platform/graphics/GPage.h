#pragma once

#include <QPageLayout>
#include <QRectF>
#include <QSizeF>

class GMarkItem;

// The page of a cut scene. Its layout is portrait, in millimetres: the width
// runs across the web, the height along it; the layout's margins hold the
// marked area (the paint rectangle). In the scene the page lies turned, with
// x along the web: sceneRect() is (0, 0, height, width) in points.
class GPage
{
public:
    GPage(const QSizeF &sizeMm, GMarkItem *markItem);

    QPageLayout layout() const { return m_layout; }
    // Null when the page has no registration mark.
    GMarkItem *markItem() const { return m_markItem; }
    QSizeF sizeMm() const { return m_sizeMm; }
    // The page and its paint rectangle in scene coordinates (points).
    QRectF sceneRect() const;
    QRectF paintSceneRect() const;

private:
    QSizeF m_sizeMm;
    QPageLayout m_layout;
    GMarkItem *m_markItem;
};
