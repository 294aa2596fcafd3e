#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/printing/TestPdf.h"
#include "app/printing/PrintJob.h"
#include "app/printing/PrintPage.h"
#include "tests/platform/CodeReading.h"

#include <QApplication>
#include <QRandomGenerator>

// A print job's pages: where the code marker goes, the codes read back, a
// page given again stored once; how a print file's page is drawn.
class TestPrintJob : public QObject
{
    Q_OBJECT
private slots:
    void markerPlace_data()
    {
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QMarginsF>("margins");
        QTest::addColumn<int>("type");
        QTest::addColumn<QRectF>("rect");
        QTest::newRow("QR code") << true << QMarginsF(5, 5, 5, 5) << 1 << QRectF(8, 2, 6, 6);
        QTest::newRow("text") << true << QMarginsF(5, 5, 5, 5) << 2 << QRectF(8, 4, 16, 2);
        QTest::newRow("QR code near the top") << true << QMarginsF(3, 1, 5, 5) << 1 << QRectF(6, 0.5, 6, 6);
        QTest::newRow("no marker") << true << QMarginsF(5, 5, 5, 5) << 0 << QRectF();
        QTest::newRow("no marks") << false << QMarginsF() << 1 << QRectF();
    }
    void markerPlace()
    {
        QFETCH(bool, valid);
        QFETCH(QMarginsF, margins);
        QFETCH(int, type);
        QFETCH(QRectF, rect);
        QCOMPARE(PrintJob::markSizeFromPlt({valid, margins, 2.0}, type), rect);
        QCOMPARE(PrintJob::codeText(0xc0ffee), QStringLiteral("00c0ffee"));
    }

    void codes_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::newRow("300 dpi") << 300;
        QTest::newRow("600 dpi") << 600;
    }
    // Each page's QR code reads as its own code; twenty copies of a page cost little more than one.
    void codes()
    {
        QFETCH(int, dpi);
        const QSizeF page(100, 50);
        const QRectF marker = PrintJob::markSizeFromPlt({true, QMarginsF(5, 5, 5, 5), 2.0}, PrintJob::QrMarker);
        PrintJob one(page, dpi);
        // Noise: a page stored twenty times would take twenty times the room.
        QImage picture(one.pixelSize(), QImage::Format_RGB32);
        picture.fill(QColor(250, 240, 220));
        QRandomGenerator noise(7);
        for (int y = picture.height() / 2; y < picture.height(); ++y)
            noise.fillRange(reinterpret_cast<quint32 *>(picture.scanLine(y)), picture.width());
        one.addPage(picture, 0xdeadbeef, PrintJob::QrMarker, marker, false);
        const QByteArray single = one.finish();
        PrintJob twenty(page, dpi);
        for (quint32 code = 1; code <= 20; ++code)
            twenty.addPage(picture, code, PrintJob::QrMarker, marker, false);
        QCOMPARE(twenty.pageCount(), 20);
        const QByteArray many = twenty.finish();
        QVERIFY2(many.size() < single.size() * 3 / 2 + 20 * 4096, qPrintable(QStringLiteral("%1 vs %2").arg(many.size()).arg(single.size())));
        QStringList codes = CodeReading::pdfCodes(many);
        codes.sort();
        QStringList expected;
        for (quint32 code = 1; code <= 20; ++code)
            expected << QStringLiteral("QR-Code:") + PrintJob::codeText(code);
        expected.sort();
        QCOMPARE(codes, expected);
        QVERIFY(CodeReading::pdfCodes(single).contains("QR-Code:deadbeef"));
    }

    // A page is drawn at the printer's resolution, on white; a giant one more coarsely.
    void drawing()
    {
        QCOMPARE(PrintPage::printDpi(QSizeF(100, 50), 600), 600);
        const int coarse = PrintPage::printDpi(QSizeF(5000, 5000), 600);
        QVERIFY(coarse < 600 && std::pow(5000 / 25.4 * coarse, 2) <= double(PrintPage::kPrintMaxPixels));
        QVERIFY(TestPdf::write("page.pdf", QSizeF(100, 50)));
        QString error;
        const QImage drawn = PrintPage::render("page.pdf", QSize(2362, 1181), &error);
        QCOMPARE(drawn.size(), QSize(2362, 1181));
        QCOMPARE(drawn.pixel(5, 5), qRgb(255, 255, 255));
        QVERIFY(qBlue(drawn.pixel(1181, 590)) > 150 && qRed(drawn.pixel(1181, 590)) < 80);
        QVERIFY(PrintPage::render("missing.pdf", QSize(100, 50), &error).isNull() && !error.isEmpty());
        QImage tif(60, 30, QImage::Format_RGB32);
        tif.fill(Qt::black);
        QVERIFY(tif.save("page.tif"));
        QCOMPARE(PrintPage::render("page.tif", QSize(600, 300), &error).pixel(300, 150), qRgb(0, 0, 0));
    }
};

DRAVO_GUI_TEST_MAIN(TestPrintJob)
#include "tst_printjob.moc"
