#include "views/overlays/OverlayItem.h"

#include "inspection/OverlaySource.h"

OverlayItem::OverlayItem(const char *repaintSignal, QQuickItem *parent) : QQuickPaintedItem(parent)
{
    if (OverlaySource *source = OverlaySource::current())
        connect(source->overlayNotifier(), repaintSignal, this, SLOT(repaintRequested(QRect)));
}
