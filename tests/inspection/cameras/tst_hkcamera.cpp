#include "CameraDevice.h"
#include "inspection/cameras/HKCamera.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestMain.h"

#include <QDeadlineTimer>
#include <QDir>
#include <opencv2/videoio.hpp>

// The industrial camera on Aravis's in-process fake camera ("Fake" in
// DRAVO_CAMERAS): the list, the open, frames, recording, and every call that
// finds no camera or no way.
class TestHKCamera : public QObject
{
    Q_OBJECT

    static HKCamera *camera() { return HKCamera::getInstance(); }

    // Frames until count non-empty ones came (each waits at most 1 s).
    static bool grab(const QByteArray &serial, int count)
    {
        QDeadlineTimer deadline(30000);
        while (count > 0 && !deadline.hasExpired())
            count -= camera()->getFrame(serial).empty() ? 0 : 1;
        return count <= 0;
    }

private slots:
    void initTestCase() { qputenv("DRAVO_CAMERAS", "Fake, not-a-camera"); }
    void cleanup() { camera()->closeCameras(); }

    // USB3 Vision finds nothing here; the fake camera is listed by its serial
    // number, and an entry that is no camera is said at each search.
    void listsTheFakeCamera()
    {
        HKCamera *cameras = camera(); // the first use searches once already
        LogCapture log;
        cameras->searchCamera();
        QCOMPARE(camera()->cameraList(), QList<QByteArray>{"1"});
        QCOMPARE(log.count("HKCamera::searchCamera Model Name: Fake"), 1);
        QCOMPARE(log.count("HKCamera::searchCamera Serial Number: 1"), 1);
        QCOMPARE(log.count("HKCamera::searchCamera DRAVO_CAMERAS: neither Fake nor an IPv4 address: not-a-camera"), 1);
    }

    // The fake has no frame-rate switch: said, and the open goes on. Frames
    // come at the camera's size, its grey picture in three equal channels.
    void opensAndGrabs()
    {
        LogCapture log;
        QVERIFY(camera()->openCamera("1"));
        QCOMPARE(log.count("HKCamera::openCamera Acquisition Frame Rate Enable fail! nRet:  1 "
                           "[AcquisitionFrameRateEnable] Not found"),
                 1);
        QVERIFY(camera()->openCamera("1")); // already open: kept as it is
        const cv::Mat frame = camera()->getFrame("1");
        QVERIFY(!frame.empty());
        QCOMPARE(frame.type(), CV_8UC3);
        QCOMPARE(frame.cols, 512);
        QCOMPARE(frame.rows, 512);
        int lit = 0;
        for (int y = 0; y < frame.rows; y += 37)
            for (int x = 0; x < frame.cols; x += 41) {
                const cv::Vec3b p = frame.at<cv::Vec3b>(y, x);
                QVERIFY(p[0] == p[1] && p[1] == p[2]);
                lit += p[0] > 0;
            }
        QVERIFY(lit > 0);
        // Every buffer the stream lent went back to it.
        int input = 0, output = 0;
        QVERIFY(camera()->bufferCounts("1", &input, &output));
        QVERIFY2(input + output >= CameraDevice::kBuffers - 1, qPrintable(QStringLiteral("%1 + %2").arg(input).arg(output)));
    }

    // A serial that is no camera here: empty frames, said once while it
    // lasts; recording calls for it do nothing and say nothing.
    void unknownSerial()
    {
        LogCapture log;
        for (int i = 0; i < 5; ++i)
            QVERIFY(camera()->getFrame("NOPE").empty());
        QVERIFY(!camera()->openCamera("NOPE"));
        QVERIFY(!camera()->startVideo("NOPE", "never.avi"));
        camera()->stopVideo("NOPE");
        QCOMPARE(log.count("HKCamera::openCamera no camera NOPE"), 1);
        QCOMPARE(LogCapture::lines.size(), 1);
        QVERIFY(!QFile::exists("never.avi"));
    }

    // Every grabbed frame goes into the file, played at the camera's rate;
    // a second start is refused without harming the first; stopping resumes
    // the grabs, and a stop without a recording is said and harms nothing.
    void recording()
    {
        QVERIFY(camera()->openCamera("1"));
        LogCapture log;
        const QByteArray path = QDir::current().absoluteFilePath(QStringLiteral("check.avi")).toUtf8();
        QVERIFY(camera()->startVideo("1", path));
        QVERIFY(!camera()->startVideo("1", "second.avi"));
        QCOMPARE(log.count("HKCamera::startVideo MV_CC_StartRecord fail! nRet  12 already recording"), 1);
        QVERIFY(grab("1", 6));
        const int recorded = camera()->recordedFrames("1");
        QVERIFY(recorded >= 6);
        camera()->stopVideo("1");
        QCOMPARE(log.count(QStringLiteral("HKCamera::stopVideo 1 frames recorded: %1").arg(recorded)), 1);
        QVERIFY(grab("1", 1));

        cv::VideoCapture capture(path.toStdString(), cv::CAP_OPENCV_MJPEG);
        QVERIFY(capture.isOpened());
        QCOMPARE(int(capture.get(cv::CAP_PROP_FRAME_COUNT)), recorded);
        QCOMPARE(int(capture.get(cv::CAP_PROP_FRAME_WIDTH)), 512);
        QCOMPARE(int(capture.get(cv::CAP_PROP_FRAME_HEIGHT)), 512);
        QCOMPARE(capture.get(cv::CAP_PROP_FPS), HKCamera::kFrameRate);
        QVERIFY(!QFile::exists("second.avi"));

        camera()->stopVideo("1");
        QCOMPARE(log.count("HKCamera::stopVideo Stop record fail! nRet  2 not recording"), 1);
        QVERIFY(grab("1", 1));
    }

    void unwritableRecording()
    {
        QVERIFY(camera()->openCamera("1"));
        LogCapture log;
        QVERIFY(!camera()->startVideo("1", "no/such/folder/v.avi"));
        QCOMPARE(log.count("HKCamera::startVideo MV_CC_StartRecord fail! nRet  7 cannot write no/such/folder/v.avi"), 1);
        QVERIFY(grab("1", 1));
    }

    // Clean-up lets the camera go; the next grab opens it again.
    void closeAndReopen()
    {
        QVERIFY(camera()->openCamera("1"));
        QVERIFY(camera()->closeCamera(nullptr));
        camera()->closeCameras();
        int input = 0, output = 0;
        QVERIFY(!camera()->isOpen("1") && !camera()->bufferCounts("1", &input, &output));
        QVERIFY(grab("1", 1));
        QVERIFY(camera()->isOpen("1"));
    }
};

DRAVO_TEST_MAIN(TestHKCamera)
#include "tst_hkcamera.moc"
