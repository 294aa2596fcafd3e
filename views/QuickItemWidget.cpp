#include "views/QuickItemWidget.h"

#include <QDebug>
#include <QQuickWindow>
#include <QWidget>
#include <QWindow>

QuickItemWidget::QuickItemWidget(QQuickItem *parent)
    : QQuickItem(parent)
{
    connect(this, &QQuickItem::xChanged, this, &QuickItemWidget::onGeometryChanged);
    connect(this, &QQuickItem::yChanged, this, &QuickItemWidget::onGeometryChanged);
    connect(this, &QQuickItem::widthChanged, this, &QuickItemWidget::onGeometryChanged);
    connect(this, &QQuickItem::heightChanged, this, &QuickItemWidget::onGeometryChanged);
    connect(this, &QQuickItem::enabledChanged, this, &QuickItemWidget::onEnabledChanged);
    connect(this, &QQuickItem::visibleChanged, this, &QuickItemWidget::onVisibleChanged);
    connect(this, &QQuickItem::windowChanged, this, &QuickItemWidget::onWindowChanged);
    connect(this, &QQuickItem::parentChanged, this, [this] {
        followAncestors();
        onGeometryChanged();
    });
    followAncestors();
}

QuickItemWidget::~QuickItemWidget()
{
    // The base class still signals while it goes (its parent let go of): by
    // then nothing of this class may be reached.
    disconnect(this, nullptr, this, nullptr);
    for (const QMetaObject::Connection &link : std::as_const(m_ancestorLinks))
        disconnect(link);
    takeBack();
}

QVariant QuickItemWidget::widget() const
{
    return QVariant::fromValue<QWidget *>(m_widget.data());
}

void QuickItemWidget::setWidget(const QVariant &value)
{
    QWidget *widget = value.value<QWidget *>();
    if (widget != m_widget) {
        takeBack();
        m_widget = widget;
        emit widgetChanged();
    }
    // The view fits its page only while disabled: that holds from the start.
    onEnabledChanged();
    if (m_widget && window())
        embed();
}

void QuickItemWidget::onWindowChanged(QQuickWindow *window)
{
    if (m_host && m_host != window)
        takeBack();
    if (window && m_widget)
        embed();
}

// The widget's native window becomes a child of the item's window.
void QuickItemWidget::embed()
{
    QQuickWindow *host = window();
    QWidget *widget = m_widget;
    if (!host || !widget)
        return;
    widget->setProperty("_q_embedded_native_parent_handle", QVariant::fromValue(host->winId()));
    if (!widget->windowFlags().testFlag(Qt::FramelessWindowHint))
        widget->setWindowFlags(widget->windowFlags() | Qt::FramelessWindowHint);
    widget->winId(); // the native window the host's window adopts
    if (QWindow *handle = widget->windowHandle(); handle && handle->parent() != host)
        handle->setParent(host);
    if (m_host != host) {
        disconnect(m_hostGone);
        // A last chance should the window go without telling its items first.
        m_hostGone = connect(host, &QObject::destroyed, this, &QuickItemWidget::takeBack);
        m_host = host;
    }
    onGeometryChanged();
    onEnabledChanged();
    onVisibleChanged();
}

void QuickItemWidget::takeBack()
{
    disconnect(m_hostGone);
    m_host = nullptr;
    QWidget *widget = m_widget;
    if (!widget)
        return;
    widget->hide();
    if (QWindow *handle = widget->windowHandle(); handle && handle->parent())
        handle->setParent(nullptr);
}

void QuickItemWidget::followAncestors()
{
    for (const QMetaObject::Connection &link : std::as_const(m_ancestorLinks))
        disconnect(link);
    m_ancestorLinks.clear();
    for (QQuickItem *ancestor = parentItem(); ancestor; ancestor = ancestor->parentItem()) {
        m_ancestorLinks << connect(ancestor, &QQuickItem::xChanged, this, &QuickItemWidget::onGeometryChanged)
                        << connect(ancestor, &QQuickItem::yChanged, this, &QuickItemWidget::onGeometryChanged)
                        << connect(ancestor, &QQuickItem::parentChanged, this, [this] {
                               followAncestors();
                               onGeometryChanged();
                           });
    }
}

void QuickItemWidget::onGeometryChanged()
{
    QWidget *widget = m_widget;
    if (!widget)
        return;
    if (m_host) {
        if (QWindow *handle = widget->windowHandle(); handle && handle->parent() != m_host)
            handle->setParent(m_host);
    }
    const QPointF topLeft = mapToScene(QPointF(0, 0));
    widget->setGeometry(int(topLeft.x()), int(topLeft.y()), int(width()), int(height()));
}

void QuickItemWidget::onEnabledChanged()
{
    if (QWidget *widget = m_widget)
        widget->setEnabled(isEnabled());
}

// Shown only inside the window: on its own it would float as a window of its own.
void QuickItemWidget::onVisibleChanged()
{
    if (QWidget *widget = m_widget)
        widget->setVisible(isVisible() && m_host);
}
