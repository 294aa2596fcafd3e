#include "views/cutpreview/PltLayout.h"

#include "platform/graphics/paths/GPathProcess.h"
#include "PltHeader.h"

PltLayout PltLayout::a4()
{
    PltLayout layout;
    layout.page = QRectF(0, 0, GPathProcess::mm2Point(210.0), GPathProcess::mm2Point(297.0));
    layout.area = layout.page;
    return layout;
}

PltLayout PltLayout::fromHeader(const PltHeader &h)
{
    if (!h.valid)
        return a4();
    PltLayout layout;
    // The pairs are (across, along): x is the page's width, y its length.
    layout.page = QRectF(0, 0, GPathProcess::hpgl2Point(h.pageWidth), GPathProcess::hpgl2Point(h.pageLength));
    const QPointF origin = GPathProcess::hpgl2Point(QPointF(h.areaOffsetWidth, h.areaOffsetLength));
    const QSizeF size = h.hasArea ? QSizeF(GPathProcess::hpgl2Point(h.areaWidth), GPathProcess::hpgl2Point(h.areaLength))
                                  : QSizeF(layout.page.width() - origin.x(), layout.page.height() - origin.y());
    layout.area = QRectF(origin, size);
    layout.hasMarks = true;
    layout.markType = h.markType;
    layout.markSize = h.hasMarkSize ? GPathProcess::hpgl2Point(h.markSize) : 5.0;
    for (double lane : h.lanes)
        layout.lanes << GPathProcess::hpgl2Point(lane);
    return layout;
}
