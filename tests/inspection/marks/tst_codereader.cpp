#include "inspection/marks/CodeReader.h"
#include "tests/inspection/marks/MarkFrames.h"
#include "OcrLite.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <limits>

using namespace MarkFrames;

// A QR code and printed digits at a mark are read through the mark scan's
// tests; here the task code's parse and what each reader refuses.
class TestCodeReader : public QObject
{
    Q_OBJECT
private slots:
    void taskCode_data()
    {
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("warning");
        const int largest = std::numeric_limits<int>::max();
        const QString hexRange = QStringLiteral("hexCode no code: number out of range");
        const QString range = QStringLiteral("decimalCode no code: number out of range");
        QTest::newRow("hex") << true << " \t0x1A" << 26 << QString();
        QTest::newRow("hex, leading zeros, trailing letters") << true << "0000000000001ag" << 26 << QString();
        QTest::newRow("hex, largest") << true << "7fffffff" << largest << QString();
        QTest::newRow("hex, one past") << true << "80000000" << 0 << hexRange;
        QTest::newRow("hex, long serial") << true << "123456789abcdef0123" << 0 << hexRange;
        QTest::newRow("too long for a code") << true << QString(300, '0') << 0 << "hexCode no code: text too long";
        QTest::newRow("decimal") << false << " 20240517 " << 20240517 << QString();
        QTest::newRow("decimal, largest") << false << "2147483647" << largest << QString();
        QTest::newRow("decimal, one past") << false << "2147483648" << 0 << range;
        QTest::newRow("decimal, twenty digits") << false << "99999999999999999999" << 0 << range;
    }
    // A number that does not fit a positive int is no code, not a wrapped one.
    void taskCode()
    {
        QFETCH(bool, hex);
        QFETCH(QString, text);
        QFETCH(int, code);
        QFETCH(QString, warning);
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^CodeReader::" + warning));
        QCOMPARE(hex ? CodeReader::hexCode(text) : CodeReader::decimalCode(text), code);
    }

    void readers()
    {
        // A serial too long for a task code is shown to the operator, with no task code.
        QImage qr = paper(1280, 960);
        qrCode(qr, QPoint(300, 300), QStringLiteral("123456789abcdef0123456789abcdef"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^CodeReader::hexCode no code: number"));
        const CodeRead serial = CodeReader::readBarcode(qr, 0.25);
        QVERIFY(serial.text == QStringLiteral("123456789abcdef0123456789abcdef") && serial.code == 0);
        QVERIFY(CodeReader::readBarcode(noise(1280, 960, 3), 0.25).text.isEmpty());
        QTest::ignoreMessage(QtWarningMsg, "CodeReader::readBarcode no code: no image");
        QVERIFY(CodeReader::readBarcode(QImage(), 0.25).text.isEmpty());
        // Nothing is read without an engine or without an image.
        OcrLite unloaded;
        QTest::ignoreMessage(QtWarningMsg, "CodeReader::readText no code: no OCR engine");
        QVERIFY(CodeReader::readText(nullptr, qr, 1.0).text.isEmpty());
        QTest::ignoreMessage(QtWarningMsg, "CodeReader::readText no code: no image");
        QVERIFY(CodeReader::readText(&unloaded, QImage(), 1.0).text.isEmpty());
    }
};

DRAVO_GUI_TEST_MAIN(TestCodeReader)
#include "tst_codereader.moc"
