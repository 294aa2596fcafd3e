#include "views/cameras/FrameRelay.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QVideoFrame>
#include <QVideoSink>
#include <memory>

// A session's relay: its frames go to the view that took it last, which
// gets the latest frame at once; a view that goes is let go.
class TestFrameRelay : public QObject
{
    Q_OBJECT

    static QVideoFrame frame(int width, int height)
    {
        QVideoFrame f(QVideoFrameFormat(QSize(width, height), QVideoFrameFormat::Format_BGRA8888));
        if (f.map(QVideoFrame::WriteOnly)) {
            memset(f.bits(0), 0x80, size_t(f.mappedBytes(0)));
            f.unmap();
        }
        return f;
    }

private slots:
    void forwardsToTheLastTarget()
    {
        FrameRelay relay;
        QVideoSink first;
        QVideoSink second;
        relay.videoSink()->setVideoFrame(frame(64, 48));
        QCOMPARE(relay.frames(), 1);
        relay.setTarget(&first);
        QCOMPARE(first.videoSize(), QSize(64, 48));
        relay.setTarget(&second);
        relay.videoSink()->setVideoFrame(frame(32, 24));
        QCOMPARE(second.videoSize(), QSize(32, 24));
        QCOMPARE(first.videoSize(), QSize(64, 48));
        relay.setTarget(nullptr);
        relay.videoSink()->setVideoFrame(frame(16, 12));
        QCOMPARE(second.videoSize(), QSize(32, 24));
        QCOMPARE(relay.frames(), 3);
    }

    void targetThatGoesIsLetGo()
    {
        FrameRelay relay;
        {
            QVideoSink gone;
            relay.setTarget(&gone);
        }
        QCOMPARE(relay.target(), nullptr);
        relay.videoSink()->setVideoFrame(frame(8, 8));
        QObject plain;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("FrameRelay::setTarget .* shows no video"));
        relay.setTarget(&plain);
        relay.videoSink()->setVideoFrame(frame(8, 8));
    }

    // A VideoOutput shown through the relay paints an 800 x 600 picture at
    // (100, 0, 800, 600) in 1000 x 600.
    void videoOutputPaintsTheFrame()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtMultimedia\nVideoOutput { width: 1000; height: 600 }", QUrl());
        std::unique_ptr<QObject> output(component.create());
        QVERIFY2(output, qPrintable(component.errorString()));
        // It lays its picture out when it is polished, in a window.
        QQuickWindow window;
        qobject_cast<QQuickItem *>(output.get())->setParentItem(window.contentItem());
        window.resize(1000, 600);
        window.show();
        QVERIFY(FrameRelay::sinkOf(output.get()));
        FrameRelay relay;
        relay.setTarget(output.get());
        relay.videoSink()->setVideoFrame(frame(800, 600));
        QTRY_COMPARE(output->property("contentRect").toRectF(), QRectF(100, 0, 800, 600));
    }
};

DRAVO_GUI_TEST_MAIN(TestFrameRelay)
#include "tst_framerelay.moc"
