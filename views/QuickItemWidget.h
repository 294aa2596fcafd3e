#pragma once

#include <QList>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QVariant>
#include <QWidget>


// Hosts a QWidget ("QuickItemWidget" 1.0, `widget`) over the item's place in
// its QML window: the widget's native window becomes a child of the item's
// window and follows the item's position in the scene (its ancestors' moves
// too), size, enabled state and visibility. A widget set before the item has
// a window is embedded once it gets one and is never shown on its own. The
// window, when it goes, would take the native child with it while the widget
// lives on: the widget is taken back (unparented, hidden) as soon as the item
// leaves its window, and when the item goes. The item never deletes the widget.
class QuickItemWidget : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QVariant widget READ widget WRITE setWidget NOTIFY widgetChanged)

public:
    explicit QuickItemWidget(QQuickItem *parent = nullptr);
    ~QuickItemWidget() override;

    QVariant widget() const;
    // Any QObject pointer that is a QWidget; anything else hosts nothing.
    void setWidget(const QVariant &value);
    QWidget *hostedWidget() const { return m_widget; }
    // The window the widget is embedded in; null when it is not.
    QQuickWindow *hostWindow() const { return m_host; }

public slots:
    void onGeometryChanged();
    void onEnabledChanged();
    void onVisibleChanged();

signals:
    void widgetChanged();

private:
    void onWindowChanged(QQuickWindow *window);
    void embed();
    void takeBack();
    void followAncestors();

    QPointer<QWidget> m_widget;
    QPointer<QQuickWindow> m_host;
    QList<QMetaObject::Connection> m_ancestorLinks;
    QMetaObject::Connection m_hostGone;
};
