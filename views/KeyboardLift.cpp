#include "views/KeyboardLift.h"

#include <QQuickWindow>
#include <algorithm>

KeyboardLift::KeyboardLift(QObject *parent) : QObject(parent)
{
    m_slide.setPropertyName("y");
    m_slide.setDuration(slideMs);
    m_slide.setEasingCurve(QEasingCurve::InOutQuad);
}

void KeyboardLift::setPanel(QQuickItem *panel)
{
    if (m_panel == panel)
        return;
    if (m_panel)
        disconnect(m_panel, nullptr, this, nullptr);
    m_panel = panel;
    if (m_panel) {
        connect(m_panel, &QQuickItem::heightChanged, this, &KeyboardLift::update);
        connect(m_panel, &QQuickItem::windowChanged, this, &KeyboardLift::follow);
    }
    follow(m_panel ? m_panel->window() : nullptr);
    emit panelChanged();
}

void KeyboardLift::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    update();
    emit activeChanged();
}

void KeyboardLift::follow(QQuickWindow *window)
{
    if (m_window == window)
        return;
    for (const QMetaObject::Connection &link : std::as_const(m_links))
        disconnect(link);
    m_links.clear();
    m_slide.stop();
    if (m_window && m_window->contentItem())
        m_window->contentItem()->setY(0);
    m_window = window;
    m_lift = 0;
    if (m_window) {
        m_slide.setTargetObject(m_window->contentItem());
        m_links << connect(m_window, &QQuickWindow::activeFocusItemChanged, this, &KeyboardLift::update)
                << connect(m_window, &QWindow::heightChanged, this, &KeyboardLift::update);
    }
    update();
}

qreal KeyboardLift::liftFor(const QRectF &field, qreal viewHeight, qreal keyboardHeight)
{
    const qreal covered = field.bottom() + gap - (viewHeight - keyboardHeight);
    if (covered <= 0)
        return 0;
    return std::clamp(covered, qreal(0), std::max(qreal(0), field.top()));
}

void KeyboardLift::update()
{
    if (!m_window || !m_panel)
        return;
    QQuickItem *content = m_window->contentItem();
    QQuickItem *field = m_window->activeFocusItem();
    qreal lift = 0;
    // Mapped into the content's own coordinates: where the field lies with
    // the content unmoved, whatever the lift is now.
    if (m_active && field && content->isAncestorOf(field) && !m_panel->isAncestorOf(field))
        lift = liftFor(field->mapRectToItem(content, field->boundingRect()), m_window->height(), m_panel->height());
    if (lift == m_lift)
        return;
    m_lift = lift;
    m_slide.stop();
    m_slide.setStartValue(content->y());
    m_slide.setEndValue(-lift);
    m_slide.start();
    emit liftChanged();
}
