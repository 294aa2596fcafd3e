#include "views/FirstFrame.h"

#include <QQuickItem>
#include <QQuickWindow>

FirstFrame::FirstFrame(QQuickWindow *window)
    : QObject(window)
{
    // Queued: with a threaded render loop the swap is signalled on the render thread.
    connect(window, &QQuickWindow::frameSwapped, this, [this] {
        if (m_drawn)
            return;
        m_drawn = true;
        emit drawnChanged();
    }, Qt::QueuedConnection);
}

FirstFrame *FirstFrame::of(QQuickWindow *window)
{
    if (!window)
        return nullptr;
    if (auto *frame = window->findChild<FirstFrame *>(QString(), Qt::FindDirectChildrenOnly))
        return frame;
    auto *frame = new FirstFrame(window);
    // A window that drew before anybody watched it draws once more; before
    // its first frame this asks for the frame already on its way.
    window->update();
    return frame;
}

FirstFrameAttached *FirstFrame::qmlAttachedProperties(QObject *object)
{
    return new FirstFrameAttached(object);
}

FirstFrameAttached::FirstFrameAttached(QObject *object)
    : QObject(object)
{
    if (auto *window = qobject_cast<QQuickWindow *>(object)) {
        follow(window);
    } else if (auto *item = qobject_cast<QQuickItem *>(object)) {
        connect(item, &QQuickItem::windowChanged, this, &FirstFrameAttached::follow);
        follow(item->window());
    }
}

void FirstFrameAttached::follow(QQuickWindow *window)
{
    const bool was = drawn();
    disconnect(m_connection);
    m_frame = FirstFrame::of(window);
    if (m_frame)
        m_connection = connect(m_frame, &FirstFrame::drawnChanged, this, &FirstFrameAttached::drawnChanged);
    if (drawn() != was)
        emit drawnChanged();
}
