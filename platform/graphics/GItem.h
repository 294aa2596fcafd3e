#pragma once

#include <QGraphicsItem>
#include <QTransform>

// Base of the cut scene's items.
class GItem : public QGraphicsItem
{
public:
    enum { GPathType = UserType + 1001, GMarkType = UserType + 1002 };

    explicit GItem(QGraphicsItem *parent = nullptr) : QGraphicsItem(parent) {}

    // Item to scene coordinates from the items' own transforms and positions
    // (rotation and scale properties are not used in the cut scene). Unlike
    // sceneTransform() it writes no cache, so the work thread may call it while
    // nobody changes the items.
    QTransform toScene() const
    {
        QTransform t;
        for (const QGraphicsItem *item = this; item; item = item->parentItem())
            t = t * item->transform() * QTransform::fromTranslate(item->pos().x(), item->pos().y());
        return t;
    }
};
