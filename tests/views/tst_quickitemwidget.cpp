#include "views/cutpreview/GraphicsView.h"
#include "views/QuickItemWidget.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QPointer>
#include <QQuickWindow>
#include <QWidget>
#include <QWindow>

// The host's logic offscreen, where native child windows are only bookkept
// (the platform "does not support setParent"); the picture is checked under
// Xvfb by tst_quickitemwidget_x11.
class TestQuickItemWidget : public QObject
{
    Q_OBJECT
private slots:
    void widgetFromAnyPointer();
    void followsGeometryEnabledAndVisible();
    void embeddedOnlyOnceInAWindow();
    void takenBackWhenTheWindowGoes();
    void takenBackWhenTheItemGoes();
};

void TestQuickItemWidget::widgetFromAnyPointer()
{
    QuickItemWidget item;
    GraphicsView view;
    QObject plain;
    item.setWidget(QVariant::fromValue(&view));
    QCOMPARE(item.hostedWidget(), &view);
    QCOMPARE(item.widget().value<QWidget *>(), &view);
    item.setWidget(QVariant::fromValue<QObject *>(&view));
    QCOMPARE(item.hostedWidget(), &view);
    item.setWidget(QVariant::fromValue(&plain));
    QCOMPARE(item.hostedWidget(), nullptr);
    item.setWidget(QVariant(42));
    QCOMPARE(item.hostedWidget(), nullptr);
    {
        QWidget gone;
        item.setWidget(QVariant::fromValue(&gone));
    }
    QCOMPARE(item.hostedWidget(), nullptr); // held weakly: a deleted widget is no widget
    item.setX(12);
}

// The widget covers the item's place in the window, also when an ancestor
// moves; it is enabled and visible as the item is.
void TestQuickItemWidget::followsGeometryEnabledAndVisible()
{
    QQuickWindow window;
    window.resize(640, 480);
    QQuickItem panel(window.contentItem());
    panel.setPosition(QPointF(100, 50));
    QuickItemWidget item(&panel);
    item.setPosition(QPointF(10.7, 20.2));
    item.setSize(QSizeF(300.9, 200.5));
    QWidget widget;
    item.setWidget(QVariant::fromValue(&widget));
    QCOMPARE(item.hostWindow(), &window);
    QCOMPARE(widget.windowHandle()->parent(), &window);
    QCOMPARE(widget.geometry(), QRect(110, 70, 300, 200));
    QVERIFY(widget.windowFlags().testFlag(Qt::FramelessWindowHint));

    item.setWidth(150);
    QCOMPARE(widget.geometry(), QRect(110, 70, 150, 200));
    panel.setX(200); // an ancestor moves
    QCOMPARE(widget.geometry().topLeft(), QPoint(210, 70));
    QQuickItem outer(window.contentItem());
    outer.setPosition(QPointF(5, 5));
    panel.setParentItem(&outer); // a new ancestry, followed as well
    outer.setY(30);
    QCOMPARE(widget.geometry().topLeft(), QPoint(215, 100));

    QVERIFY(widget.isVisible());
    item.setVisible(false);
    QVERIFY(!widget.isVisible());
    item.setVisible(true);
    QVERIFY(widget.isVisible());
    QVERIFY(widget.isEnabled());
    panel.setEnabled(false);
    QVERIFY(!widget.isEnabled());
    item.setEnabled(true);
    panel.setEnabled(true);
    QVERIFY(widget.isEnabled());
}

// Set before the item has a window, the widget waits hidden (it would float
// as a window of its own) and is embedded when the window comes.
void TestQuickItemWidget::embeddedOnlyOnceInAWindow()
{
    QuickItemWidget item;
    item.setSize(QSizeF(80, 60));
    item.setEnabled(false); // as the cut-file page declares it: the view fits its page from the start
    GraphicsView view;
    item.setWidget(QVariant::fromValue(&view));
    item.setX(5);
    QVERIFY(!view.isVisible() && !view.isEnabled());
    QCOMPARE(item.hostWindow(), nullptr);

    QQuickWindow window;
    item.setParentItem(window.contentItem());
    QCOMPARE(item.hostWindow(), &window);
    QVERIFY(view.windowHandle() && view.windowHandle()->parent() == &window);
    QVERIFY(view.isVisible());
    QCOMPARE(view.geometry(), QRect(5, 0, 80, 60));

    item.setParentItem(nullptr); // out of its window: taken back
    QCOMPARE(item.hostWindow(), nullptr);
    QVERIFY(!view.isVisible());
    QCOMPARE(view.windowHandle()->parent(), nullptr);
}

// The window deletes its child windows when it goes; the view lives on, so
// its native window must not be among them.
void TestQuickItemWidget::takenBackWhenTheWindowGoes()
{
    GraphicsView view;
    auto *window = new QQuickWindow;
    auto *item = new QuickItemWidget(window->contentItem());
    item->setSize(QSizeF(100, 100));
    item->setWidget(QVariant::fromValue(&view));
    const QPointer<QWindow> handle = view.windowHandle();
    QVERIFY(handle && handle->parent() == window);
    delete window; // and the item with it
    QVERIFY(handle);
    QCOMPARE(handle->parent(), nullptr);
    QVERIFY(!view.isVisible());
    view.resize(50, 50);
    QVERIFY(!view.grab().isNull());

    QQuickWindow again; // a page opened anew hosts the same view
    QuickItemWidget host(again.contentItem());
    host.setSize(QSizeF(70, 40));
    host.setWidget(QVariant::fromValue(&view));
    QCOMPARE(view.windowHandle()->parent(), &again);
    QCOMPARE(view.geometry(), QRect(0, 0, 70, 40));
}

void TestQuickItemWidget::takenBackWhenTheItemGoes()
{
    QQuickWindow window;
    QWidget widget;
    {
        QuickItemWidget item(window.contentItem());
        item.setWidget(QVariant::fromValue(&widget));
        QVERIFY(widget.isVisible());
    }
    QVERIFY(!widget.isVisible());
    QCOMPARE(widget.windowHandle()->parent(), nullptr);
}

DRAVO_GUI_TEST_MAIN(TestQuickItemWidget)
#include "tst_quickitemwidget.moc"
