#include "tests/support/TestMain.h"
#include "VideoRecorder.h"

#include <QDir>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

// The camera's recording read back by OpenCV: every frame written, at its
// size and rate, in its colours; what cannot be recorded says why.
class TestVideoRecorder : public QObject
{
    Q_OBJECT

    static cv::Mat solid(int w, int h, int r, int g, int b) { return cv::Mat(h, w, CV_8UC3, cv::Scalar(r, g, b)); }

private slots:
    void recordsEveryFrameAtItsRate()
    {
        const QByteArray path = QDir::current().absoluteFilePath(QStringLiteral("run.avi")).toUtf8();
        VideoRecorder recorder;
        QVERIFY(recorder.start(path, 160, 120, 20.0));
        for (int i = 0; i < 7; ++i)
            QVERIFY(recorder.write(solid(160, 120, 220, 30, 40)));
        // A frame of the camera's new size has no place in this file.
        QVERIFY(!recorder.write(solid(80, 60, 0, 0, 0)));
        QCOMPARE(recorder.frames(), 7);
        QVERIFY(recorder.stop());

        cv::VideoCapture capture(path.toStdString(), cv::CAP_OPENCV_MJPEG);
        QVERIFY(capture.isOpened());
        QCOMPARE(int(capture.get(cv::CAP_PROP_FRAME_COUNT)), 7);
        QCOMPARE(int(capture.get(cv::CAP_PROP_FRAME_WIDTH)), 160);
        QCOMPARE(int(capture.get(cv::CAP_PROP_FRAME_HEIGHT)), 120);
        QCOMPARE(capture.get(cv::CAP_PROP_FPS), 20.0);
        cv::Mat bgr;
        QVERIFY(capture.read(bgr));
        // Red stays red: the writer takes BGR, the camera gives RGB.
        const cv::Vec3b p = bgr.at<cv::Vec3b>(60, 80);
        QVERIFY2(p[2] > 180 && p[1] < 80 && p[0] < 80, qPrintable(QStringLiteral("%1 %2 %3").arg(p[2]).arg(p[1]).arg(p[0])));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("why");
        QTest::newRow("folder that does not exist") << QByteArray("no/such/folder/v.avi") << 64 << 20.0 << "cannot write";
        QTest::newRow("no file name") << QByteArray() << 64 << 20.0 << "cannot write";
        QTest::newRow("no rate") << QByteArray("v.avi") << 64 << 0.0 << "no video";
        QTest::newRow("no size") << QByteArray("v.avi") << 0 << 20.0 << "no video";
    }
    void refusals()
    {
        QFETCH(QByteArray, path);
        QFETCH(int, width);
        QFETCH(double, rate);
        QFETCH(QString, why);
        VideoRecorder recorder;
        const CameraStatus status = recorder.start(path, width, 48, rate);
        QVERIFY(!status && status.message.contains(why));
        QVERIFY(!recorder.isRecording() && !recorder.write(solid(width, 48, 1, 2, 3)));
    }

    // A second start leaves the first recording alone; a stop without one fails.
    void twiceAndStopWithout()
    {
        VideoRecorder recorder;
        QVERIFY(!recorder.stop());
        QVERIFY(recorder.start("first.avi", 64, 48, 10.0));
        const CameraStatus again = recorder.start("second.avi", 64, 48, 10.0);
        QVERIFY(!again && again.code == CameraError::Busy);
        QVERIFY(recorder.write(solid(64, 48, 9, 9, 9)));
        QVERIFY(recorder.stop());
        QVERIFY(QFile::exists("first.avi") && !QFile::exists("second.avi"));
    }
};

DRAVO_TEST_MAIN(TestVideoRecorder)
#include "tst_videorecorder.moc"
