#include "CodeReader.h"
#include "MarkFrames.h"
#include "OcrLite.h"
#include "TestMain.h"

#include <QApplication>
#include <QRegularExpression>
#include <limits>
#include <zbar.h>

using namespace MarkFrames;

class TestCodeReader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void hexCode_data();
    void hexCode();
    void decimalCode_data();
    void decimalCode();
    void readsQrCode();
    void readsBarCode();
    void longCodeGivesNoTaskCode();
    void noBarcodeOnBlankOrNothing();
    void readsPrintedDigits();
    void noTextWithoutEngine();

private:
    OcrLite m_ocr;
};

void TestCodeReader::initTestCase()
{
    QVERIFY(m_ocr.initModels(QStringLiteral("./models/ch_PP-OCRv3_det_infer.onnx"), QString(),
                             QStringLiteral("./models/ch_PP-OCRv3_rec_infer.onnx"), QString()));
}

void TestCodeReader::hexCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::newRow("plain") << "1a" << 26;
    QTest::newRow("prefix") << "0x1A" << 26;
    QTest::newRow("blanks first") << " \t ff" << 255;
    QTest::newRow("trailing letters") << "1ag" << 26;
    QTest::newRow("leading zeros") << "0000000000001a" << 26;
    QTest::newRow("largest") << "7fffffff" << std::numeric_limits<int>::max();
    QTest::newRow("one past") << "80000000" << 0;
    QTest::newRow("long serial") << "123456789abcdef0123" << 0;
    QTest::newRow("not hex") << "zz" << 0;
    QTest::newRow("sign") << "-5" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("prefix only") << "0x" << 0;
    QTest::newRow("prefix, no digit") << "0xg" << 0;
    QTest::newRow("too long to be a code") << QString(300, QLatin1Char('0')) << 0;
}

void TestCodeReader::hexCode()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    if (QByteArray(QTest::currentDataTag()) == "one past" || QByteArray(QTest::currentDataTag()) == "long serial")
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^CodeReader::hexCode no code: number out of range")));
    if (QByteArray(QTest::currentDataTag()) == "too long to be a code")
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^CodeReader::hexCode no code: text too long")));
    QCOMPARE(CodeReader::hexCode(text), code);
}

void TestCodeReader::decimalCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::newRow("digits") << "20240517" << 20240517;
    QTest::newRow("hex text") << "1a" << 1;
    QTest::newRow("blanks") << " 42 " << 42;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("sign") << "+5" << 0;
    QTest::newRow("largest") << "2147483647" << std::numeric_limits<int>::max();
    QTest::newRow("one past") << "2147483648" << 0;
    QTest::newRow("twenty digits") << "99999999999999999999" << 0;
}

void TestCodeReader::decimalCode()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    if (QByteArray(QTest::currentDataTag()).contains("past") || QByteArray(QTest::currentDataTag()) == "twenty digits")
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^CodeReader::decimalCode no code: number out of range")));
    QCOMPARE(CodeReader::decimalCode(text), code);
}

void TestCodeReader::readsQrCode()
{
    QImage frame = markFrame({QPointF(640, 480)});
    qrCode(frame, QPoint(800, 380), QStringLiteral("1a"));
    const CodeRead read = CodeReader::readBarcode(frame, 0.25);
    QCOMPARE(read.text, QStringLiteral("1a"));
    QCOMPARE(read.code, 26);
    QCOMPARE(read.symbolType, int(zbar::ZBAR_QRCODE));
    QCOMPARE(read.points.size(), 4);
    // The outline, in pixels of the quarter-size record image, lies on the code.
    const QRectF outline = read.points.boundingRect();
    QVERIFY2(QRectF(800 / 4.0, 380 / 4.0, 40, 40).contains(outline.center()),
             qPrintable(QStringLiteral("outline centre %1, %2").arg(outline.center().x()).arg(outline.center().y())));
}

void TestCodeReader::readsBarCode()
{
    QImage frame = paper(1280, 960, QImage::Format_RGB888);
    GZint code(GZint::Code128);
    code.setText(QStringLiteral("4711"));
    QPainter painter(&frame);
    painter.drawImage(QPoint(300, 600), code.image(4));
    painter.end();
    const CodeRead read = CodeReader::readBarcode(frame, 1.0);
    QCOMPARE(read.text, QStringLiteral("4711"));
    QCOMPARE(read.code, 0x4711);
    QCOMPARE(read.symbolType, int(zbar::ZBAR_CODE128));
}

void TestCodeReader::longCodeGivesNoTaskCode()
{
    QImage frame = paper(1280, 960);
    const QString serial = QStringLiteral("123456789abcdef0123456789abcdef");
    qrCode(frame, QPoint(300, 300), serial);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^CodeReader::hexCode no code: number out of range")));
    const CodeRead read = CodeReader::readBarcode(frame, 0.25);
    QCOMPARE(read.text, serial); // shown to the operator, but no task code
    QCOMPARE(read.code, 0);
}

void TestCodeReader::noBarcodeOnBlankOrNothing()
{
    QImage frame = markFrame({QPointF(640, 480)});
    CodeRead read = CodeReader::readBarcode(frame, 0.25);
    QVERIFY(read.text.isEmpty());
    QVERIFY(read.points.isEmpty());
    QCOMPARE(read.code, 0);
    noise(frame, 3);
    QVERIFY(CodeReader::readBarcode(frame, 0.25).text.isEmpty());
    QTest::ignoreMessage(QtWarningMsg, "CodeReader::readBarcode no code: no image");
    QVERIFY(CodeReader::readBarcode(QImage(), 0.25).text.isEmpty());
}

void TestCodeReader::readsPrintedDigits()
{
    QImage frame = paper(1280, 960);
    printed(frame, QPointF(700, 520), QStringLiteral("20240517"));
    const CodeRead read = CodeReader::readText(&m_ocr, frame, 0.25);
    QCOMPARE(read.text, QStringLiteral("20240517"));
    QCOMPARE(read.code, 20240517);
    QCOMPARE(read.symbolType, 0);
    QCOMPARE(read.points.size(), 4);
    const QRectF outline = read.points.boundingRect();
    QVERIFY(outline.left() > 150 && outline.right() < 320 && outline.top() > 80 && outline.bottom() < 160);

    // Text that is not a number is shown, with no task code.
    QImage word = paper(1280, 960);
    printed(word, QPointF(300, 520), QStringLiteral("LABEL"));
    const CodeRead named = CodeReader::readText(&m_ocr, word, 0.25);
    QCOMPARE(named.text, QStringLiteral("LABEL"));
    QCOMPARE(named.code, 0);

    QVERIFY(CodeReader::readText(&m_ocr, paper(1280, 960), 0.25).text.isEmpty());
}

void TestCodeReader::noTextWithoutEngine()
{
    QImage frame = paper(640, 480);
    printed(frame, QPointF(100, 300), QStringLiteral("42"));
    QTest::ignoreMessage(QtWarningMsg, "CodeReader::readText no code: no OCR engine");
    QVERIFY(CodeReader::readText(nullptr, frame, 1.0).text.isEmpty());
    OcrLite unloaded;
    QTest::ignoreMessage(QtWarningMsg, "OcrLite::detect no models loaded, nothing read");
    QVERIFY(CodeReader::readText(&unloaded, frame, 1.0).text.isEmpty());
    QTest::ignoreMessage(QtWarningMsg, "CodeReader::readText no code: no image");
    QVERIFY(CodeReader::readText(&m_ocr, QImage(), 1.0).text.isEmpty());
}

DRAVO_GUI_TEST_MAIN(TestCodeReader)
#include "tst_codereader.moc"
