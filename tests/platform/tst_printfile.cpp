#include "tests/platform/CodeReading.h"
#include "platform/graphics/GScene.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/platform/XlsxFixture.h"

#include <QApplication>

class TestPrintFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // A 100 x 60 mm label page: the name as text and as QR code, the code as Code 128.
        SceneData s;
        s.hasPage = s.hasMark = true;
        s.pageMm = QSizeF(100, 60);
        s.markSizeMm = 2;
        s.markAreaMm = QRectF(5, 5, 90, 50);
        s.paths << ScenePath{QPainterPath(QPointF(20, 20)), 1};
        s.paths.back().path.lineTo(120, 220);
        s.background = QImage(100, 60, QImage::Format_RGB888);
        s.background.fill(QColor(250, 250, 240));
        s.fields << VariableField{VariableField::Text, QStringLiteral("Name"), {}, QRectF(5, 5, 50, 8)}
                 << VariableField{VariableField::QrCode, QStringLiteral("Name"), {}, QRectF(60, 5, 25, 25)}
                 << VariableField{VariableField::Barcode, QStringLiteral("Code"), {}, QRectF(5, 35, 60, 18)};
        QVERIFY(writeFile("label.tqc", SceneWriter::tqc(s)));
        QVERIFY(XlsxFixture::write("data.xlsx", {"Name\tCode", "Alpha\t00c0ffee", "Beta\tdeadbeef", "标签 三\t#1234"}));
    }

    // One single-page PDF per record, its codes read back as they were given.
    void onePdfPerRecord()
    {
        GScene scene;
        QVERIFY(scene.openFile("label.tqc"));
        QVERIFY(scene.setVariableFile("data.xlsx"));
        const QStringList names{"Alpha", "Beta", "标签 三"}, codes{"00c0ffee", "deadbeef", "1234"};
        for (int i = 0; i < codes.size(); ++i) {
            QVERIFY(scene.setCodeIndex(i));
            QVERIFY(scene.savePrintFile("record.pdf"));
            const QByteArray pdf = readAll("record.pdf");
            QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), 1);
            const QStringList found = CodeReading::pdfCodes(pdf);
            QVERIFY2(found.contains("QR-Code:" + names[i]) && found.contains("CODE-128:" + codes[i]),
                     qPrintable(found.join(", ")));
        }
    }

    // A record out of range writes no PDF; fixed fields need no record at all.
    void recordsAndFixedFields()
    {
        GScene scene;
        QVERIFY(scene.openFile("label.tqc"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GScene::savePrintFile no record"));
        QVERIFY(!scene.savePrintFile("none.pdf")); // no data source yet
        QVERIFY(scene.setVariableFile("data.xlsx"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GScene::setCodeIndex no record 7"));
        QVERIFY(!scene.setCodeIndex(7));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GScene::savePrintFile no record 7"));
        QVERIFY(!scene.savePrintFile("7.pdf"));
        QVERIFY(!QFile::exists("7.pdf") && !QFile::exists("none.pdf"));
        GScene fixed;
        QVERIFY(fixed.openFile("label.tqc"));
        fixed.setVariableFields({{VariableField::QrCode, {}, QStringLiteral("FIXED-1"), QRectF(10, 10, 30, 30)}});
        QVERIFY(fixed.savePrintFile("fixed.pdf"));
        QCOMPARE(CodeReading::pdfCodes(readAll("fixed.pdf")), QStringList{QStringLiteral("QR-Code:FIXED-1")});
    }
};

DRAVO_GUI_TEST_MAIN(TestPrintFile)
#include "tst_printfile.moc"
