#pragma once

#include <QObject>
#include <QPointer>
#include <QtQml/qqml.h>

class QQuickWindow;
class FirstFrameAttached;

// Whether a window has shown its first frame: what that frame does not need
// (pages not shown, the cameras, the OCR models) waits for it, so that the
// operator sees the window as early as can be. One per window (of()); in QML
// any item reads its window's as the attached FirstFrame.drawn.
class FirstFrame : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool drawn READ drawn NOTIFY drawnChanged)
    QML_ATTACHED(FirstFrameAttached)

public:
    // The window's own, made on the first call (a child of the window).
    // Made after the window has drawn, it asks for one more frame.
    static FirstFrame *of(QQuickWindow *window);
    bool drawn() const { return m_drawn; }
    static FirstFrameAttached *qmlAttachedProperties(QObject *object);

signals:
    // Once, on the GUI thread, after the first frame was swapped.
    void drawnChanged();

private:
    explicit FirstFrame(QQuickWindow *window);
    bool m_drawn = false;
};

// FirstFrame.drawn of an item: its window's, following the item from window
// to window; false while it has none.
class FirstFrameAttached : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool drawn READ drawn NOTIFY drawnChanged)

public:
    explicit FirstFrameAttached(QObject *object);
    bool drawn() const { return m_frame && m_frame->drawn(); }

signals:
    void drawnChanged();

private:
    void follow(QQuickWindow *window);

    QPointer<FirstFrame> m_frame;
    QMetaObject::Connection m_connection;
};
