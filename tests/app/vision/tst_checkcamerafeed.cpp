#include "tests/support/cameras/GigEFakeCamera.h"
#include "inspection/cameras/HKCamera.h"
#include "tests/support/cameras/LabelPage.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "app/vision/ImageProvider.h"
#include "tests/app/AppTestSupport.h"

#include <QSignalSpy>
#include <QThread>
#include <opencv2/videoio.hpp>

// The industrial check camera in the application: the selection at start-up
// by an empty, a known and an unknown name, the grab loop publishing frames
// to the image provider, the label check and saveFrame, its rate, the
// recording, and the clean-up that lets the camera go. Aravis's in-process
// fake camera is "1", the fake GigE Vision camera run here "CHK01".
class TestCheckCameraFeed : public QObject
{
    Q_OBJECT

    GigEFakeCamera m_fake;
    const QList<QColor> m_colours{QColor(200, 30, 40), QColor(30, 180, 60), QColor(20, 40, 220), QColor(250, 240, 10)};

    static DravolinteApp &app() { return AppFixture::app(); }
    // The frame the pages would load now.
    static QImage shownFrame()
    {
        const QString path = app().framePath();
        return app().imageProvider()->requestImage(path.mid(QStringLiteral("image://myImage/").size()), nullptr, QSize());
    }
    bool showsQuarters(bool grey) const
    {
        const QImage frame = shownFrame();
        if (frame.size() != QSize(640, 480))
            return false;
        for (int q = 0; q < 4; ++q) {
            const QColor want = grey ? QColor(qGray(m_colours[q].rgb()), qGray(m_colours[q].rgb()), qGray(m_colours[q].rgb()))
                                     : m_colours[q];
            if (frame.pixelColor((q % 2) * 320 + 160, (q / 2) * 240 + 120) != want)
                return false;
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_fake.start(), "the fake camera found 127.0.0.1:3956 taken");
        m_fake.setSize(640, 480);
        m_fake.setPicture(PixelEncoding::quarters(640, 480, m_colours));
        qputenv("DRAVO_CAMERAS", "Fake,127.0.0.1");
    }
    // Let go while the fake camera still answers.
    void cleanupTestCase() { HKCamera::getInstance()->closeCameras(); }

    // A name that is no camera here starts nothing; the check camera stays a QML camera.
    void unknownName()
    {
        AppFixture fx("[Dravolinte]\nCheck_Camera=NOPE\n");
        LogCapture log;
        app().selectHKCamera(QStringLiteral("NOPE"));
        QVERIFY(!app().hkCameraGrabbing());
        QCOMPARE(log.count("DravolinteApp::selectHKCamera no industrial camera NOPE"), 1);
        QVERIFY(fx.config->usedQMLCamera(1));
        QVERIFY(app().framePath().isEmpty() && app().frameImage().isNull());
    }

    // No name: the first camera found becomes the check camera, stored once;
    // its frames reach the provider, the label check of doCapture(2) and
    // saveFrame.
    void emptyNameTakesTheFirst()
    {
        AppFixture fx;
        QSignalSpy changed(fx.config.get(), &Config::checkCameraChanged);
        QSignalSpy published(&app(), &DravolinteApp::framePathChanged);
        app().selectHKCamera(QString());
        QCOMPARE(fx.config->checkCamera(), QStringLiteral("1"));
        QCOMPARE(changed.size(), 1);
        QVERIFY(!fx.config->usedQMLCamera(1));
        QVERIFY(app().hkCameraGrabbing());
        QTRY_VERIFY_WITH_TIMEOUT(published.size() >= 2, 20000);
        QVERIFY(app().framePath().startsWith(QStringLiteral("image://myImage/frameImg")));
        const QImage frame = shownFrame();
        QCOMPARE(frame.size(), QSize(512, 512));
        QCOMPARE(frame.format(), QImage::Format_RGB888);
        QCOMPARE(app().imageProvider()->requestPixmap(QStringLiteral("frameImg1"), nullptr, QSize()).size(), QSize(512, 512));

        // The label check takes the camera's frame (a page is open to check it against).
        const QString page = fx.dir.filePath(QStringLiteral("page.tqc"));
        QVERIFY(SceneWriter::writeFile(page, SceneWriter::tqc(LabelPage::sixLabels().scene(8.0))));
        app().onOpenScene(page);
        bool answered = false;
        std::unique_ptr<QThread> worker(QThread::create([&] { answered = app().doCapture(2); }));
        worker->start();
        QVERIFY(QTest::qWaitFor([&] { return worker->isFinished(); }, 30000) && worker->wait() && answered);
        QVERIFY(app().imageWidth() == 512 && app().imageHeight() == 512 && app().checkResult());
        app().saveFrame(QStringLiteral("shot"));
        QCOMPARE(QImage(QStringLiteral("shot.jpg")).size(), QSize(512, 512));

        // The stored name again: the same camera, nothing stored anew.
        app().selectHKCamera(fx.config->checkCamera());
        QVERIFY(app().hkCameraGrabbing());
        QCOMPARE(changed.size(), 1);
        app().selectHKCamera(QStringLiteral("NOPE"));
        QVERIFY(!app().hkCameraGrabbing());
    }

    // A known name stored before start: an industrial camera from the load
    // on. The GigE camera's chosen picture reaches the provider in grey and
    // through a Bayer mosaic; the loop runs at its 100 ms pace; a new check
    // camera is grabbed from the next frame.
    void knownNameOverGigE()
    {
        AppFixture fx("[Dravolinte]\nCheck_Camera=CHK01\n");
        QVERIFY(!fx.config->usedQMLCamera(1));
        m_fake.write(GigEFakeCamera::kPixelFormat, 0x01080001);
        app().selectHKCamera(QStringLiteral("CHK01"));
        QVERIFY(app().hkCameraGrabbing());
        QTRY_VERIFY_WITH_TIMEOUT(showsQuarters(true), 20000);
        m_fake.write(GigEFakeCamera::kPixelFormat, 0x01080009);
        QTRY_VERIFY_WITH_TIMEOUT(showsQuarters(false), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(app().fps() >= 9 && app().fps() <= 10, 20000);

        fx.config->setCheckCamera(QStringLiteral("1"));
        QTRY_COMPARE_WITH_TIMEOUT(shownFrame().size(), QSize(512, 512), 20000);
        fx.config->setCheckCamera(QStringLiteral("CHK01"));
        QTRY_COMPARE_WITH_TIMEOUT(shownFrame().size(), QSize(640, 480), 20000);
    }

    // The pages' recording of the check camera, given a file URL.
    void recording()
    {
        AppFixture fx("[Dravolinte]\nCheck_Camera=CHK01\n");
        app().selectHKCamera(QStringLiteral("CHK01"));
        QTRY_VERIFY_WITH_TIMEOUT(!shownFrame().isNull(), 20000);
        const QString path = QDir::current().absoluteFilePath(QStringLiteral("video 1.avi"));
        app().startRecorder(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
        QTRY_VERIFY_WITH_TIMEOUT(HKCamera::getInstance()->recordedFrames("CHK01") >= 5, 20000);
        app().stopRecorder();
        const int recorded = HKCamera::getInstance()->recordedFrames("CHK01");
        cv::VideoCapture capture(path.toStdString(), cv::CAP_OPENCV_MJPEG);
        QVERIFY(capture.isOpened());
        QCOMPARE(int(capture.get(cv::CAP_PROP_FRAME_COUNT)), recorded);
        QCOMPARE(int(capture.get(cv::CAP_PROP_FRAME_WIDTH)), 640);
        QCOMPARE(capture.get(cv::CAP_PROP_FPS), 20.0);
    }

    // Last, as it closes for good: the clean-up ends the loop and lets the
    // GigE camera go, so that the next client (a restarted program) takes it.
    void cleanUpJoinsAndReleases()
    {
        AppFixture fx("[Dravolinte]\nCheck_Camera=CHK01\n");
        app().selectHKCamera(QStringLiteral("CHK01"));
        QTRY_VERIFY_WITH_TIMEOUT(HKCamera::getInstance()->isOpen("CHK01"), 20000);
        QVERIFY(!GigEFakeCamera::otherClientGetsControl());
        app().cleanUp();
        QVERIFY(!app().hkCameraGrabbing());
        QVERIFY(!HKCamera::getInstance()->isOpen("CHK01"));
        QVERIFY(GigEFakeCamera::otherClientGetsControl());
        LogCapture log;
        app().selectHKCamera(QStringLiteral("CHK01"));
        QVERIFY(!app().hkCameraGrabbing());
        QCOMPARE(log.count("DravolinteApp::selectHKCamera the program is closing: no camera started"), 1);
    }
};

DRAVO_APP_TEST_MAIN(TestCheckCameraFeed)
#include "tst_checkcamerafeed.moc"
