#pragma once

#include <QQuickPaintedItem>
#include <QRect>

// A painted item laid over a camera picture: it draws what the application
// found at paint time and repaints when the application asks, through its
// signal repaintSignal (a SIGNAL() of one QRect; the empty one repaints all).
class OverlayItem : public QQuickPaintedItem
{
    Q_OBJECT

protected:
    OverlayItem(const char *repaintSignal, QQuickItem *parent);

private slots:
    void repaintRequested(const QRect &rect) { update(rect); }
};
