#include "inspection/marks/CodeReader.h"
#include "tests/inspection/marks/MarkFrames.h"
#include "OcrLite.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <opencv2/core.hpp>

using namespace MarkFrames;

namespace {

const QString kSystemModel = QStringLiteral("/usr/share/tesseract-ocr/5/tessdata/eng.traineddata");

// The ink of the dark pixels within columns [from, to) of the image.
QRect inkBox(const QImage &image, int from, int to)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = from; x < to; ++x)
            box |= qGray(image.pixel(x, y)) < 128 ? QRect(x, y, 1, 1) : QRect();
    return box;
}

// The set-up call of the application: four model paths in "models".
bool initLikeTheApplication(OcrLite &ocr, const QString &folder = QStringLiteral("./models"))
{
    return ocr.initModels(folder + "/ch_PP-OCRv3_det_infer.onnx", folder + "/ch_ppocr_mobile_v2.0_cls_infer.onnx",
                          folder + "/ch_PP-OCRv3_rec_infer.onnx", folder + "/ppocr_keys_v1.txt");
}

OcrResult read(OcrLite &ocr, const QImage &image, float score = 0.8f, bool angle = true)
{
    return ocr.detect(CodeReader::bgrMatrix(image), 20, 600, score, 0.8f, 1.5f, angle, angle);
}

} // namespace

class TestOcrLite : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(initLikeTheApplication(m_ocr, "./nowhere")); } // the system's language file
    void models();
    void readsOnOneThreadUprightOrTurned();
    void badImagesReadNothing();

private:
    OcrLite m_ocr;
};

void TestOcrLite::models()
{
    QVERIFY(QDir().mkpath("models") && QDir().mkpath("empty") && QFile::copy(kSystemModel, "models/eng.traineddata"));
    const QString local = QDir::current().absoluteFilePath("models/eng.traineddata");
    OcrLite ocr;
    QVERIFY(initLikeTheApplication(ocr) && ocr.modelFile() == local);
    // Model paths written with backslashes.
    QVERIFY(ocr.initModels(".\\models\\det.onnx", QString(), ".\\models\\rec.onnx", QString()) && ocr.modelFile() == local);
    // Not in the folder: the system's.
    QVERIFY(initLikeTheApplication(ocr, "./nowhere") && ocr.modelFile() == kSystemModel);
    // A named language file that is not there; a failed set-up drops the earlier models.
    const QRegularExpression failed(QStringLiteral("^OcrLite::initModels Failed to initialize models\\."));
    QTest::ignoreMessage(QtCriticalMsg, failed);
    QVERIFY(!ocr.initModels(QString(), QString(), "models/deu.traineddata", QString()));
    QVERIFY(!ocr.isReady() && ocr.modelFile().isEmpty());
    // Neither the folder nor TESSDATA_PREFIX holds one.
    qputenv("TESSDATA_PREFIX", QDir::current().absoluteFilePath("empty").toLocal8Bit());
    QTest::ignoreMessage(QtCriticalMsg, failed);
    const bool ok = initLikeTheApplication(ocr, "./nowhere");
    qunsetenv("TESSDATA_PREFIX");
    QVERIFY(!ok);
}

// Tesseract's OpenMP team spun against a loaded machine (seconds a read): a
// read makes no threads of Tesseract's (OpenCV's own pool is kept out of the
// count). The runtime takes OMP_THREAD_LIMIT, which the suite sets, only when
// it loads, so the count is checked in a copy of this test started without
// it, as the program runs.
void TestOcrLite::readsOnOneThreadUprightOrTurned()
{
    if (qEnvironmentVariableIsSet("OMP_THREAD_LIMIT")) {
        qunsetenv("OMP_THREAD_LIMIT");
        QCOMPARE(QProcess::execute(QCoreApplication::applicationFilePath(), {QTest::currentTestFunction()}), 0);
        return;
    }
    QImage image = paper(900, 260);
    printed(image, QPointF(40, 160), QStringLiteral("LABEL"), 80);
    printed(image, QPointF(480, 160), QStringLiteral("4711"), 80);
    cv::setNumThreads(1);
    const cv::Mat bgr = CodeReader::bgrMatrix(image);
    const QDir tasks(QStringLiteral("/proc/self/task"));
    const qsizetype before = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    const OcrResult result = m_ocr.detect(bgr, 20, 600, 0.8f, 0.8f, 1.5f, true, true);
    QCOMPARE(tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), before);
    QCOMPARE(result.strRes, QStringLiteral("LABEL\n4711\n"));
    QCOMPARE(result.textBlocks.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const OcrTextBlock &block = result.textBlocks[i];
        const QRect ink = inkBox(image, i * 450, i * 450 + 450);
        const QRect box = QPolygon(block.boxPoint.toVector()).boundingRect();
        QVERIFY(block.boxScore >= 0.8f && block.boxScore <= 1.0f && block.boxPoint.size() == 4);
        // Grown like a detector's outline, but around the right word and inside the image.
        QVERIFY(box.contains(ink.adjusted(3, 3, -3, -3)) && box.width() < ink.width() * 2 && image.rect().contains(box));
    }
    // Above every word's score nothing is left, turned or not.
    QVERIFY(read(m_ocr, image, 1.01f).textBlocks.isEmpty());

    QImage upright = paper(700, 240);
    printed(upright, QPointF(120, 150), QStringLiteral("20240517"), 80);
    const QImage turned = upright.mirrored(true, true);
    const OcrResult back = read(m_ocr, turned);
    QCOMPARE(back.strRes, QStringLiteral("20240517\n"));
    QVERIFY(QPolygon(back.textBlocks[0].boxPoint.toVector()).boundingRect().contains(inkBox(turned, 0, 700).center()));
    // Without the angle pass nothing reads well enough.
    QVERIFY(!read(m_ocr, turned, 0.8f, false).strRes.contains(QStringLiteral("20240517")));
    QVERIFY(read(m_ocr, paper(600, 200)).textBlocks.isEmpty()); // nothing on a blank page either way
}

void TestOcrLite::badImagesReadNothing()
{
    OcrLite idle;
    QTest::ignoreMessage(QtWarningMsg, "OcrLite::detect no models loaded, nothing read");
    QVERIFY(read(idle, paper(100, 100)).textBlocks.isEmpty());
    for (const cv::Mat &bad : {cv::Mat(), cv::Mat(50, 50, CV_16UC1, cv::Scalar(0)), cv::Mat(50, 50, CV_8UC2, cv::Scalar(0)),
                               cv::Mat(20000, 2, CV_8UC1, cv::Scalar(255))}) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^OcrLite::detect unreadable image")));
        QVERIFY(m_ocr.detect(bad, 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
    }
    // One-pixel and odd images are read without harm; a negative margin counts as none.
    QVERIFY(m_ocr.detect(cv::Mat(1, 1, CV_8UC1, cv::Scalar(0)), -5, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
    QVERIFY(m_ocr.detect(cv::Mat(3, 5000, CV_8UC4, cv::Scalar(0, 0, 0, 255)), 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
}

DRAVO_GUI_TEST_MAIN(TestOcrLite)
#include "tst_ocrlite.moc"
