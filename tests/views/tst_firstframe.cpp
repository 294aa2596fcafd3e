#include "views/FirstFrame.h"
#include "tests/support/TestMain.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSignalSpy>
#include <memory>

// A window's first frame: not drawn before the window shows, drawn once after
// it; an item reads its window's as FirstFrame.drawn, also an item that comes
// later; a window watched only after it drew is asked for one more frame.
class TestFirstFrame : public QObject
{
    Q_OBJECT
private slots:
    void drawnAfterTheFirstFrame()
    {
        qmlRegisterUncreatableType<FirstFrame>("FirstFrame", 1, 0, "FirstFrame", QStringLiteral("attached only"));
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport FirstFrame\n"
                          "Window { width: 200; height: 100\n"
                          "    property bool drawn: FirstFrame.drawn\n"
                          "    Item { objectName: \"item\"; property bool drawn: FirstFrame.drawn } }\n",
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        auto *window = qobject_cast<QQuickWindow *>(object.get());
        QVERIFY2(window, qPrintable(component.errorString()));
        FirstFrame *frame = FirstFrame::of(window);
        QCOMPARE(FirstFrame::of(window), frame);
        QSignalSpy drawn(frame, &FirstFrame::drawnChanged);
        QObject *item = window->findChild<QObject *>(QStringLiteral("item"));
        QVERIFY(!frame->drawn() && !item->property("drawn").toBool());
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(frame->drawn(), 10000);
        QVERIFY(window->property("drawn").toBool() && item->property("drawn").toBool());
        window->update(); // later frames change nothing
        QSignalSpy swapped(window, &QQuickWindow::frameSwapped);
        QVERIFY(swapped.wait(10000));
        QCoreApplication::processEvents();
        QCOMPARE(drawn.count(), 1);

        QQuickWindow late;
        late.resize(100, 100);
        QSignalSpy lateSwapped(&late, &QQuickWindow::frameSwapped);
        late.show();
        QVERIFY(lateSwapped.wait(10000));
        while (lateSwapped.wait(300)) {
        } // until it has nothing more to draw
        QTRY_VERIFY_WITH_TIMEOUT(FirstFrame::of(&late)->drawn(), 10000);
    }
};

DRAVO_GUI_TEST_MAIN(TestFirstFrame)
#include "tst_firstframe.moc"
