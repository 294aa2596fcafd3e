#pragma once

#include "views/overlays/OverlayItem.h"
#include "ReadData.h"

#include <vector>

// The check camera's overlay, in the check image's pixels scaled to the item:
// missing labels as red areas, the codes and texts read in passed labels with
// their outlines, the paper edges in blue and the cut line in red; "未检出"
// when no paper edge was found while a page is being followed. It draws the
// application's last check result at paint time.
class LostLabelView : public OverlayItem
{
    Q_OBJECT
    Q_PROPERTY(double imageW READ imageW WRITE setImageW NOTIFY imageWChanged)
    Q_PROPERTY(double imageH READ imageH WRITE setImageH NOTIFY imageHChanged)

public:
    explicit LostLabelView(QQuickItem *parent = nullptr);

    double imageW() const { return m_imageW; }
    void setImageW(double v);
    double imageH() const { return m_imageH; }
    void setImageH(double v);

    void paint(QPainter *painter) override;
    // One closed outline of the points (image pixels divided by scale) with
    // the painter's pen; nothing for fewer than 3 points.
    static void drawPolylines(QPainter *painter, const std::vector<CheckPoint> &points, double scale);

signals:
    void imageWChanged();
    void imageHChanged();

private:
    double m_imageW = 0.0;
    double m_imageH = 0.0;
};
