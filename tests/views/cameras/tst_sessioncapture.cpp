#include "views/cameras/FrameRelay.h"
#include "views/cameras/SessionCapture.h"
#include "tests/support/TeardownWatch.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QCamera>
#include <QElapsedTimer>
#include <QImage>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QSignalSpy>

// The capture requests of a session on the camera backend's test picture
// (a camera without a device): each request is answered once, with its own
// picture, never with another picture of the same image capture.
#define VERIFY_SIGNALLED(spy)                                                                      \
    do {                                                                                           \
        if (!signalled(spy)) {                                                                     \
            if (m_stalled)                                                                         \
                QSKIP("the camera backend's test picture stopped sending frames");                 \
            QFAIL("no " #spy " while the test picture runs");                                      \
        }                                                                                          \
    } while (false)

class TestSessionCapture : public QObject
{
    Q_OBJECT

    struct Session
    {
        QMediaCaptureSession session;
        QCamera camera;
        QImageCapture capture;
        FrameRelay relay;
        SessionCapture answers;

        Session()
        {
            session.setCamera(&camera);
            session.setImageCapture(&capture);
            session.setVideoOutput(&relay);
            answers.setImageCapture(&capture);
        }
        ~Session() { camera.stop(); }
        bool start()
        {
            camera.start();
            return QTest::qWaitFor([this] { return relay.frames() > 0; }, 10000);
        }
    };
    // One pipeline for all: the backend at times gives a pipeline built
    // right after another one went no frames at all.
    std::unique_ptr<Session> m_session;
    // The backend's test picture now and then stops for good: from then on
    // nothing here can be answered, and the tests left are skipped.
    bool m_stalled = false;
    int m_failures = 0;

    // Whether spy gets another signal; when not, whether the test picture stalled.
    bool signalled(QSignalSpy &spy)
    {
        if (spy.wait(10000))
            return true;
        const int frames = m_session->relay.frames();
        m_stalled = !QTest::qWaitFor([&] { return m_session->relay.frames() > frames; }, 3000);
        return false;
    }

private slots:
    void initTestCase()
    {
        m_session = std::make_unique<Session>();
        QVERIFY(m_session->start());
    }
    void init()
    {
        if (m_stalled)
            QSKIP("the camera backend's test picture stopped sending frames");
    }
    void cleanup()
    {
        if (QTest::currentTestFailed())
            ++m_failures;
    }
    void cleanupTestCase()
    {
        leaveIfTeardownHangs(m_failures);
        m_session.reset();
    }

    void answeredWithItsOwnPicture_data()
    {
        QTest::addColumn<int>("camera");
        QTest::newRow("mark") << 1;
        QTest::newRow("check") << 2;
    }
    void answeredWithItsOwnPicture()
    {
        QFETCH(int, camera);
        Session &s = *m_session;
        QSignalSpy answers(&s.answers, &SessionCapture::captured);
        s.answers.ask(camera);
        QCOMPARE(s.answers.pending(), camera);
        VERIFY_SIGNALLED(answers);
        QCOMPARE(answers.first().at(0).toInt(), camera);
        const QImage image = answers.first().at(1).value<QImage>();
        QCOMPARE(image.size(), QSize(320, 240));
        QCOMPARE(s.answers.pending(), 0);
        // Repeated requests are each answered.
        s.answers.ask(camera);
        VERIFY_SIGNALLED(answers);
        QCOMPARE(answers.size(), 2);
    }

    // A picture the image capture takes for someone else (a snapshot) is
    // not handed over; the request waits for it, then takes its own.
    void otherPictureNotHandedOver()
    {
        Session &s = *m_session;
        QSignalSpy pictures(&s.capture, &QImageCapture::imageCaptured);
        QSignalSpy answers(&s.answers, &SessionCapture::captured);
        // Clear of the last picture, as the toolbar's snapshots keep it.
        QElapsedTimer since;
        since.start();
        QVERIFY(QTest::qWaitFor([&] { return since.elapsed() > SessionCapture::kSettleMs; }));
        const int other = s.capture.capture();
        QVERIFY(other > 0);
        s.answers.ask(1);
        VERIFY_SIGNALLED(answers);
        QCOMPARE(pictures.size(), 2);
        QCOMPARE(pictures.first().at(0).toInt(), other);
        QVERIFY(!QTest::qWaitFor([&] { return answers.size() > 1; }, 300));
    }

    // The backend loses a picture asked for right after the last one landed
    // and numbers the later ones one behind: requests are answered still.
    void answeredAfterALostPicture()
    {
        Session &s = *m_session;
        QSignalSpy answers(&s.answers, &SessionCapture::captured);
        QSignalSpy pictures(&s.capture, &QImageCapture::imageCaptured);
        int again = 0;
        // Asked within the backend's own hand-over of the first picture.
        auto next = connect(&s.capture, &QImageCapture::imageCaptured, this, [&] {
            if (again == 0)
                again = s.capture.capture();
        });
        QVERIFY(s.capture.capture() > 0);
        VERIFY_SIGNALLED(pictures);
        disconnect(next);
        QVERIFY(again > 0);
        for (int camera : {1, 2, 1}) {
            answers.clear();
            s.answers.ask(camera);
            VERIFY_SIGNALLED(answers);
            QCOMPARE(answers.first().at(0).toInt(), camera);
            QCOMPARE(answers.first().at(1).value<QImage>().size(), QSize(320, 240));
        }
    }

    // A second request before the first is answered replaces it: one answer,
    // for the second requester.
    void secondRequestReplacesFirst()
    {
        Session &s = *m_session;
        QSignalSpy answers(&s.answers, &SessionCapture::captured);
        s.answers.ask(1);
        s.answers.ask(3);
        VERIFY_SIGNALLED(answers);
        QVERIFY(!QTest::qWaitFor([&] { return answers.size() > 1; }, 300));
        QCOMPARE(answers.first().at(0).toInt(), 3);
    }

    // A snapshot waits its turn: refused while a request is served, and
    // right after a picture.
    void snapshotsWaitTheirTurn()
    {
        Session &s = *m_session;
        QSignalSpy answers(&s.answers, &SessionCapture::captured);
        s.answers.ask(1);
        QCOMPARE(s.answers.toFile(QStringLiteral("shot")), SessionCapture::kBusy);
        VERIFY_SIGNALLED(answers);
        QCOMPARE(s.answers.toFile(QStringLiteral("shot")), SessionCapture::kBusy);
        SessionCapture none;
        QCOMPARE(none.toFile(QStringLiteral("shot")), -1);
    }

    // Nobody to answer (camera 0), no camera, no image capture: nothing
    // handed over, nothing left pending.
    void nothingToAnswer()
    {
        Session &s = *m_session;
        QSignalSpy answers(&s.answers, &SessionCapture::captured);
        QSignalSpy pictures(&s.capture, &QImageCapture::imageCaptured);
        s.answers.ask(0);
        VERIFY_SIGNALLED(pictures);
        QCOMPARE(answers.size(), 0);
        QCOMPARE(s.answers.pending(), 0);

        QMediaCaptureSession bare;
        QImageCapture capture;
        bare.setImageCapture(&capture);
        SessionCapture alone;
        alone.setImageCapture(&capture);
        QTest::ignoreMessage(QtWarningMsg, "RCamera::capture 1 the session has no camera: not answered");
        alone.ask(1);
        QCOMPARE(alone.pending(), 0);
        SessionCapture none;
        QTest::ignoreMessage(QtWarningMsg, "RCamera::capture 2 no image capture: not answered");
        none.ask(2);
        QCOMPARE(none.pending(), 0);
    }
};

DRAVO_GUI_TEST_MAIN(TestSessionCapture)
#include "tst_sessioncapture.moc"
