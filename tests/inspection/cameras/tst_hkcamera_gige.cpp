#include "CameraDevice.h"
#include "inspection/marks/CodeReader.h"
#include "platform/graphics/variabledata/GZint.h"
#include "tests/support/cameras/GigEFakeCamera.h"
#include "inspection/cameras/HKCamera.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestMain.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <functional>

// The industrial camera as a GigE Vision camera reached by unicast
// (DRAVO_CAMERAS=127.0.0.1), on Aravis's fake camera run by the test: the
// pictures it is shown come back, in its pixel formats and sizes, also when
// they change mid-stream; a camera held by another client, gone, or sending
// broken frames costs empty frames and a line, never a stream.
class TestHKCameraGigE : public QObject
{
    Q_OBJECT

    GigEFakeCamera m_fake;
    QProcess m_tool; // Aravis's fake camera program, when a test runs it
    const QList<QColor> m_colours{QColor(200, 30, 40), QColor(30, 180, 60), QColor(20, 40, 220), QColor(250, 240, 10)};

    static HKCamera *camera() { return HKCamera::getInstance(); }

    // Grabs until a frame satisfies done, for at most waitMs.
    static cv::Mat grabUntil(const std::function<bool(const cv::Mat &)> &done, int waitMs = 20000)
    {
        QDeadlineTimer deadline(waitMs);
        while (!deadline.hasExpired()) {
            const cv::Mat frame = camera()->getFrame("CHK01");
            if (!frame.empty() && done(frame))
                return frame;
        }
        return cv::Mat();
    }
    static bool near(const cv::Vec3b &p, const QColor &c, int tolerance)
    {
        return qAbs(p[0] - c.red()) <= tolerance && qAbs(p[1] - c.green()) <= tolerance &&
               qAbs(p[2] - c.blue()) <= tolerance;
    }
private slots:
    void initTestCase()
    {
        qputenv("DRAVO_CAMERAS", "127.0.0.1");
        QVERIFY2(m_fake.start(), "the fake camera found 127.0.0.1:3956 taken");
    }
    void init()
    {
        if (!m_fake.isRunning())
            QVERIFY(m_fake.start());
        m_fake.setSize(640, 480);
        m_fake.write(GigEFakeCamera::kPixelFormat, 0x01080001);
        m_fake.setPicture(PixelEncoding::quarters(640, 480, m_colours));
    }
    void cleanup()
    {
        // Let go while the camera still answers.
        camera()->closeCameras();
        if (m_tool.state() != QProcess::NotRunning) {
            m_tool.kill();
            m_tool.waitForFinished();
        }
    }

    // Found at its address by its serial number, opened in milliseconds.
    void foundAndOpened()
    {
        camera()->searchCamera();
        QCOMPARE(camera()->cameraList(), QList<QByteArray>{"CHK01"});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(camera()->openCamera("CHK01"));
        qInfo("open with its enumeration: %lld ms", clock.elapsed());
        // Searching again asks this process's own hold instead of the camera.
        clock.restart();
        camera()->searchCamera();
        QCOMPARE(camera()->cameraList(), QList<QByteArray>{"CHK01"});
        QVERIFY(clock.elapsed() < 2000);
    }

    void chosenPicture_data()
    {
        QTest::addColumn<quint32>("format");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("Mono8") << 0x01080001u << 0;
        QTest::newRow("BayerRG8") << 0x01080009u << 0;
        QTest::newRow("BayerGB8") << 0x0108000Au << 0;
        QTest::newRow("RGB8") << 0x02180014u << 0;
    }
    // The chosen picture comes back in its places, after a switch of the
    // camera's pixel format in mid-stream.
    void chosenPicture()
    {
        QFETCH(quint32, format);
        QFETCH(int, tolerance);
        QVERIFY(!grabUntil([](const cv::Mat &) { return true; }).empty());
        m_fake.write(GigEFakeCamera::kPixelFormat, format);
        const bool mono = format == 0x01080001u;
        const cv::Mat frame = grabUntil([&](const cv::Mat &f) {
            for (int q = 0; q < 4; ++q) {
                const QColor c = mono ? QColor(qGray(m_colours[q].rgb()), qGray(m_colours[q].rgb()), qGray(m_colours[q].rgb()))
                                      : m_colours[q];
                if (!near(f.at<cv::Vec3b>((q / 2) * 240 + 120, (q % 2) * 320 + 160), c, tolerance))
                    return false;
            }
            return true;
        });
        QVERIFY(!frame.empty());
        QCOMPARE(frame.cols, 640);
        QCOMPARE(frame.rows, 480);
    }

    // A printed QR label in front of the camera is read back from its frame.
    void qrLabelReadBack()
    {
        GZint qr;
        qr.setText(QStringLiteral("CHK-20240042"));
        QImage label(640, 480, QImage::Format_RGB32);
        label.fill(Qt::white);
        QPainter(&label).drawImage(200, 120, qr.image(8));
        m_fake.setPicture(label);
        const cv::Mat frame = grabUntil([](const cv::Mat &f) { return f.at<cv::Vec3b>(0, 0)[0] > 200; });
        QVERIFY(!frame.empty());
        const QImage image(frame.data, frame.cols, frame.rows, int(frame.step), QImage::Format_RGB888);
        QCOMPARE(CodeReader::readBarcode(image.copy(), 1.0).text, QStringLiteral("CHK-20240042"));
    }

    // A frame that grows in mid-stream (a new size, then a format of three
    // bytes a pixel that nothing converts) silences the fake camera until its
    // acquisition starts again: after 3 s the camera is let go and opened
    // anew, and frames come at the new size; the unknown format is said once.
    void sizeAndFormatChanges()
    {
        QVERIFY(!grabUntil([](const cv::Mat &) { return true; }).empty());
        m_fake.setSize(800, 600);
        QVERIFY(!grabUntil([](const cv::Mat &f) { return f.cols == 800 && f.rows == 600; }).empty());
        LogCapture log;
        m_fake.write(GigEFakeCamera::kPixelFormat, 0x02180020); // YUV 4:4:4
        QVERIFY(QTest::qWaitFor(
            [&] {
                camera()->getFrame("CHK01");
                return log.count("HKCamera::getFrame Don't need to convert!") > 0;
            },
            20000));
        for (int i = 0; i < 5; ++i)
            QVERIFY(camera()->getFrame("CHK01").empty());
        QCOMPARE(log.count("Don't need to convert!"), 1);
        m_fake.write(GigEFakeCamera::kPixelFormat, 0x01080001);
        QVERIFY(!grabUntil([](const cv::Mat &) { return true; }).empty());
        QCOMPARE(log.count("HKCamera::getFrame camera works again: CHK01"), 1);
        int input = 0, output = 0;
        QVERIFY(camera()->bufferCounts("CHK01", &input, &output) && input + output >= CameraDevice::kBuffers - 1);
    }

    // A camera controlled by another client is not opened (said once); once
    // let go it is. Letting ours go frees it for the next client.
    void heldByAnotherClient()
    {
        GInetAddress *lo = g_inet_address_new_from_string("127.0.0.1");
        ArvDevice *other = arv_gv_device_new(lo, lo, nullptr);
        g_object_unref(lo);
        QVERIFY(other && arv_gv_device_is_controller(ARV_GV_DEVICE(other)));
        LogCapture log;
        for (int i = 0; i < 2; ++i)
            QVERIFY(camera()->getFrame("CHK01").empty());
        QCOMPARE(log.count("HKCamera::openCamera Open Device fail! nRet:  a 127.0.0.1 is controlled by another client"), 1);
        g_object_unref(other);
        QVERIFY(!grabUntil([](const cv::Mat &) { return true; }).empty());
        QVERIFY(!GigEFakeCamera::otherClientGetsControl());
        camera()->closeCameras();
        QVERIFY(GigEFakeCamera::otherClientGetsControl());
    }

    // The camera goes away: empty frames, said once; after 3 s it is let go
    // and looked for again (2.5 s each time its address stays silent);
    // back, its frames resume.
    void goneAndBack()
    {
        QVERIFY(!grabUntil([](const cv::Mat &) { return true; }).empty());
        LogCapture log;
        m_fake.stop();
        QVERIFY(QTest::qWaitFor([] { camera()->getFrame("CHK01"); return !camera()->isOpen("CHK01"); }, 30000));
        QCOMPARE(log.count("HKCamera::getFrame Get Image fail! nRet  5 no frame within 1000 ms"), 1);
        QCOMPARE(log.count("HKCamera::getFrame no frame for 3000 ms, closing CHK01"), 1);
        QVERIFY(camera()->getFrame("CHK01").empty());
        QVERIFY(camera()->getFrame("CHK01").empty());
        QCOMPARE(log.count("HKCamera::openCamera Find No Devices!"), 1);
        QVERIFY(m_fake.start());
        m_fake.setPicture(PixelEncoding::quarters(512, 512, m_colours));
        QVERIFY(!grabUntil([](const cv::Mat &) { return true; }).empty());
    }

    // Aravis's own fake camera program, losing 30 % of the packets: every
    // frame of 1280 x 960 comes incomplete. Each is an empty frame, said
    // when that begins (again only when the kind of failure changes); no
    // buffer is lost, so the stream keeps sending rather than starving.
    void missingPackets()
    {
        m_fake.stop();
        m_tool.start(QStringLiteral("arv-fake-gv-camera-0.8"),
                     {QStringLiteral("-i"), QStringLiteral("127.0.0.1"), QStringLiteral("-s"), QStringLiteral("CHK01"),
                      QStringLiteral("-r"), QStringLiteral("300")});
        QVERIFY(m_tool.waitForStarted());
        {
            GInetAddress *lo = g_inet_address_new_from_string("127.0.0.1");
            ArvDevice *setup = nullptr;
            QVERIFY(QTest::qWaitFor([&] { return (setup = arv_gv_device_new(lo, lo, nullptr)) != nullptr; }, 20000));
            g_object_unref(lo);
            arv_device_set_integer_feature_value(setup, "Width", 1280, nullptr);
            arv_device_set_integer_feature_value(setup, "Height", 960, nullptr);
            g_object_unref(setup);
        }
        LogCapture log;
        QVERIFY(camera()->openCamera("CHK01"));
        int failed = 0;
        QDeadlineTimer deadline(20000);
        while (failed < 12 && !deadline.hasExpired() && camera()->isOpen("CHK01")) {
            QVERIFY(camera()->getFrame("CHK01").empty());
            int input = 0, output = 0;
            if (camera()->bufferCounts("CHK01", &input, &output)) {
                QVERIFY2(input + output >= CameraDevice::kBuffers - 1, qPrintable(QStringLiteral("%1 + %2").arg(input).arg(output)));
                ++failed;
            }
        }
        const QString said = LogCapture::lines.join(QLatin1Char('\n'));
        QVERIFY2(failed >= 8, qPrintable(said));
        QVERIFY2(log.count("HKCamera::getFrame Get Image fail! nRet  3 incomplete frame: missing packets") >= 1, qPrintable(said));
        QVERIFY2(log.count("HKCamera::getFrame Get Image fail!") < failed / 2, qPrintable(said));
        QVERIFY2(log.count("no frame within") == 0, qPrintable(said)); // never starved into a time-out
    }
};

DRAVO_TEST_MAIN(TestHKCameraGigE)
#include "tst_hkcamera_gige.moc"
