#pragma once

#include <QObject>
#include <QPointer>
#include <QPropertyAnimation>
#include <QQuickItem>
#include <QRectF>

class QQuickWindow;

// Keeps the field being typed into in sight above the on-screen keyboard.
// While the keyboard is up, the window's content (the pages, the bar and the
// popups alike) moves up by what the keyboard would cover of the focused
// item, and back down when the keyboard goes; both moves take the keyboard's
// own 250 ms. The keyboard's layer undoes the move (its y follows the
// negated content y), so the keyboard itself stays on the window's edge.
class KeyboardLift : public QObject
{
    Q_OBJECT
    // The keyboard's panel; its window's content is what moves.
    Q_PROPERTY(QQuickItem *panel READ panel WRITE setPanel NOTIFY panelChanged)
    // True while the keyboard is up (the panel's active).
    Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged)
    // How far the content is on its way to: 0 while nothing is covered.
    Q_PROPERTY(qreal lift READ lift NOTIFY liftChanged)

public:
    static constexpr int slideMs = 250;
    // Room kept between the field and the keyboard's top edge.
    static constexpr qreal gap = 16;

    explicit KeyboardLift(QObject *parent = nullptr);

    QQuickItem *panel() const { return m_panel; }
    void setPanel(QQuickItem *panel);
    bool active() const { return m_active; }
    void setActive(bool active);
    qreal lift() const { return m_lift; }

    // How far a field (in the unmoved content's coordinates) moves up so that
    // it lies, with the gap, above a keyboard of that height on the bottom of
    // a view of that height: 0 when it is clear already, and never so far
    // that the field's top leaves the view.
    static qreal liftFor(const QRectF &field, qreal viewHeight, qreal keyboardHeight);

signals:
    void panelChanged();
    void activeChanged();
    void liftChanged();

private:
    void follow(QQuickWindow *window);
    void update();

    QPointer<QQuickItem> m_panel;
    QPointer<QQuickWindow> m_window;
    bool m_active = false;
    qreal m_lift = 0;
    QPropertyAnimation m_slide;
    QList<QMetaObject::Connection> m_links;
};
