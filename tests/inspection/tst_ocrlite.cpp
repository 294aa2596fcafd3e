#include "CodeReader.h"
#include "MarkFrames.h"
#include "OcrLite.h"
#include "TestMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
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
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

QRect blockBox(const OcrTextBlock &block)
{
    return QPolygon(block.boxPoint.toVector()).boundingRect();
}

// The set-up call of the application: four model paths in "models".
bool initLikeTheApplication(OcrLite &ocr, const QString &folder = QStringLiteral("./models"))
{
    return ocr.initModels(folder + QStringLiteral("/ch_PP-OCRv3_det_infer.onnx"),
                          folder + QStringLiteral("/ch_ppocr_mobile_v2.0_cls_infer.onnx"),
                          folder + QStringLiteral("/ch_PP-OCRv3_rec_infer.onnx"),
                          folder + QStringLiteral("/ppocr_keys_v1.txt"));
}

} // namespace

class TestOcrLite : public QObject
{
    Q_OBJECT
private slots:
    void modelsFromTheModelsFolder();
    void modelsFromTheSystem();
    void missingModelsAreRefused();
    void readsWordsWithBoxes();
    void readsUpsideDownWithAngle();
    void scoreThresholdDropsWords();
    void nothingWithoutModelsOrImage();
};

void TestOcrLite::modelsFromTheModelsFolder()
{
    QVERIFY(QDir().mkpath(QStringLiteral("models")));
    QVERIFY(QFile::copy(kSystemModel, QStringLiteral("models/eng.traineddata")));
    OcrLite ocr;
    ocr.setNumThread(4);
    ocr.initLogger(true, true, true);
    QCOMPARE(ocr.numThread(), 4);
    QVERIFY(initLikeTheApplication(ocr));
    QCOMPARE(ocr.modelFile(), QDir::current().absoluteFilePath(QStringLiteral("models/eng.traineddata")));
    // Set-ups written for Windows pass backslashes.
    QVERIFY(ocr.initModels(QStringLiteral(".\\models\\ch_PP-OCRv3_det_infer.onnx"), QString(),
                           QStringLiteral(".\\models\\ch_PP-OCRv3_rec_infer.onnx"), QString()));
    QCOMPARE(ocr.modelFile(), QDir::current().absoluteFilePath(QStringLiteral("models/eng.traineddata")));
    QVERIFY(QFile::remove(QStringLiteral("models/eng.traineddata")));
}

void TestOcrLite::modelsFromTheSystem()
{
    if (!QFile::exists(kSystemModel))
        QSKIP("no system language file");
    OcrLite ocr;
    QVERIFY(initLikeTheApplication(ocr, QStringLiteral("./nowhere")));
    QVERIFY(ocr.isReady());
    QCOMPARE(ocr.modelFile(), kSystemModel);
}

void TestOcrLite::missingModelsAreRefused()
{
    QVERIFY(QDir().mkpath(QStringLiteral("empty")));
    OcrLite ocr;
    QVERIFY(initLikeTheApplication(ocr, QStringLiteral("./nowhere")));
    // A named language file that is not there.
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^OcrLite::initModels Failed to initialize models\\.")));
    QVERIFY(!ocr.initModels(QString(), QString(), QStringLiteral("models/deu.traineddata"), QString()));
    QVERIFY(!ocr.isReady()); // a failed set-up drops the earlier models
    QVERIFY(ocr.modelFile().isEmpty());
    // The application's paths where neither the folder nor TESSDATA_PREFIX holds one.
    qputenv("TESSDATA_PREFIX", QDir::current().absoluteFilePath(QStringLiteral("empty")).toLocal8Bit());
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^OcrLite::initModels Failed to initialize models\\.")));
    const bool ok = initLikeTheApplication(ocr);
    qunsetenv("TESSDATA_PREFIX");
    QVERIFY(!ok);
}

void TestOcrLite::readsWordsWithBoxes()
{
    OcrLite ocr;
    QVERIFY(initLikeTheApplication(ocr));
    QImage image = paper(900, 260);
    printed(image, QPointF(40, 160), QStringLiteral("LABEL"), 80);
    printed(image, QPointF(480, 160), QStringLiteral("4711"), 80);
    const OcrResult result = ocr.detect(CodeReader::bgrMatrix(image), 20, 600, 0.8f, 0.8f, 1.5f, true, true);
    QCOMPARE(result.textBlocks.size(), 2);
    QCOMPARE(result.textBlocks[0].text, QStringLiteral("LABEL"));
    QCOMPARE(result.textBlocks[1].text, QStringLiteral("4711"));
    QCOMPARE(result.strRes, QStringLiteral("LABEL\n4711\n"));
    const QRect ink[2] = {inkBox(image, 0, 450), inkBox(image, 450, 900)};
    for (int i = 0; i < 2; ++i) {
        const OcrTextBlock &block = result.textBlocks[i];
        QVERIFY(block.boxScore >= 0.8f && block.boxScore <= 1.0f);
        QCOMPARE(block.boxPoint.size(), 4);
        const QRect box = blockBox(block);
        // Grown like a detector's outline, but around the right word and inside the image.
        QVERIFY2(box.contains(ink[i].adjusted(3, 3, -3, -3)), qPrintable(QStringLiteral("box %1,%2 %3x%4")
                 .arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
        QVERIFY(box.width() < ink[i].width() * 2);
        QVERIFY(image.rect().contains(box));
    }
}

void TestOcrLite::readsUpsideDownWithAngle()
{
    OcrLite ocr;
    QVERIFY(initLikeTheApplication(ocr));
    QImage upright = paper(700, 240);
    printed(upright, QPointF(120, 150), QStringLiteral("20240517"), 80);
    const QImage turned = upright.mirrored(true, true);
    const QRect ink = inkBox(turned, 0, turned.width());
    const OcrResult result = ocr.detect(CodeReader::bgrMatrix(turned), 20, 600, 0.8f, 0.8f, 1.5f, true, true);
    QCOMPARE(result.textBlocks.size(), 1);
    QCOMPARE(result.textBlocks[0].text, QStringLiteral("20240517"));
    QVERIFY(blockBox(result.textBlocks[0]).contains(ink.center()));
    // Without the angle pass nothing reads well enough.
    for (const OcrTextBlock &block : ocr.detect(CodeReader::bgrMatrix(turned), 20, 600, 0.8f, 0.8f, 1.5f, false, false).textBlocks)
        QVERIFY(block.text != QStringLiteral("20240517"));
}

void TestOcrLite::scoreThresholdDropsWords()
{
    OcrLite ocr;
    QVERIFY(initLikeTheApplication(ocr));
    QImage image = paper(600, 200);
    printed(image, QPointF(40, 130), QStringLiteral("4711"), 80);
    const cv::Mat mat = CodeReader::bgrMatrix(image);
    QCOMPARE(ocr.detect(mat, 20, 600, 0.5f, 0.8f, 1.5f, false, false).textBlocks.size(), 1);
    QCOMPARE(ocr.detect(mat, 20, 600, 1.01f, 0.8f, 1.5f, true, true).textBlocks.size(), 0);
    // A blank page has no words at all, upright or turned.
    QCOMPARE(ocr.detect(CodeReader::bgrMatrix(paper(600, 200)), 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.size(), 0);
}

void TestOcrLite::nothingWithoutModelsOrImage()
{
    OcrLite idle;
    QTest::ignoreMessage(QtWarningMsg, "OcrLite::detect no models loaded, nothing read");
    QVERIFY(idle.detect(CodeReader::bgrMatrix(paper(100, 100)), 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());

    OcrLite ocr;
    QVERIFY(initLikeTheApplication(ocr));
    const QRegularExpression unreadable(QStringLiteral("^OcrLite::detect unreadable image"));
    QTest::ignoreMessage(QtWarningMsg, unreadable);
    QVERIFY(ocr.detect(cv::Mat(), 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
    QTest::ignoreMessage(QtWarningMsg, unreadable);
    QVERIFY(ocr.detect(cv::Mat(50, 50, CV_16UC1, cv::Scalar(0)), 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
    QTest::ignoreMessage(QtWarningMsg, unreadable);
    QVERIFY(ocr.detect(cv::Mat(50, 50, CV_8UC2, cv::Scalar(0)), 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
    QTest::ignoreMessage(QtWarningMsg, unreadable);
    QVERIFY(ocr.detect(cv::Mat(20000, 2, CV_8UC1, cv::Scalar(255)), 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
    // One-pixel and odd images are read without harm; a negative margin counts as none.
    QVERIFY(ocr.detect(cv::Mat(1, 1, CV_8UC1, cv::Scalar(0)), -5, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
    QVERIFY(ocr.detect(cv::Mat(3, 5000, CV_8UC4, cv::Scalar(0, 0, 0, 255)), 20, 600, 0.8f, 0.8f, 1.5f, true, true).textBlocks.isEmpty());
}

DRAVO_GUI_TEST_MAIN(TestOcrLite)
#include "tst_ocrlite.moc"
