#include "CodeReading.h"
#include "GScene.h"
#include "SceneWriter.h"
#include "TestMain.h"
#include "XlsxFixture.h"

#include <QApplication>
#include <QFile>

namespace {

// A 100 x 60 mm label page: the name as text, the code as QR code and as Code 128.
QByteArray labelPage()
{
    SceneData s;
    s.hasPage = true;
    s.pageMm = QSizeF(100, 60);
    s.hasMark = true;
    s.markType = 0;
    s.markSizeMm = 2;
    s.markAreaMm = QRectF(5, 5, 90, 50);
    QPainterPath outline;
    outline.addRect(QRectF(20, 20, 100, 200));
    s.paths << ScenePath{outline, 1};
    s.background = QImage(100, 60, QImage::Format_RGB888);
    s.background.fill(QColor(250, 250, 240));
    VariableField name;
    name.column = QStringLiteral("Name");
    name.rectMm = QRectF(5, 5, 50, 8);
    VariableField qr;
    qr.kind = VariableField::QrCode;
    qr.column = QStringLiteral("Code");
    qr.rectMm = QRectF(60, 5, 25, 25);
    VariableField bar;
    bar.kind = VariableField::Barcode;
    bar.column = QStringLiteral("Code");
    bar.rectMm = QRectF(5, 35, 60, 18);
    s.fields << name << qr << bar;
    return SceneWriter::tqc(s);
}

QByteArray readAll(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPrintFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void onePdfPerRecord();
    void noRecordNoPdf();
    void fixedFieldsNeedNoRecord();
};

void TestPrintFile::initTestCase()
{
    QFile page("label.tqc");
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(labelPage());
    page.close();
    QVERIFY(XlsxFixture::write("data.xlsx", {"Name\tCode", "Alpha\t00c0ffee", "Beta\tdeadbeef", "Gamma\t#1234"}));
}

void TestPrintFile::onePdfPerRecord()
{
    GScene scene;
    QVERIFY(scene.openFile("label.tqc"));
    QCOMPARE(scene.variableFields().size(), 3);
    QVERIFY(scene.setVariableFile("data.xlsx"));
    QCOMPARE(scene.variableData().recordCount(), 3);
    const QStringList codes{"00c0ffee", "deadbeef", "1234"};
    for (int i = 0; i < codes.size(); ++i) {
        QVERIFY(scene.setCodeIndex(i));
        const QString name = QStringLiteral("%1pdf.pdf").arg(i);
        QVERIFY(scene.savePrintFile(name));
        const QByteArray pdf = readAll(name);
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), 1);
        QStringList found;
        for (const QImage &image : CodeReading::pdfImages(pdf))
            found << CodeReading::decode(image);
        QVERIFY2(found.contains("QR-Code:" + codes[i]), qPrintable(found.join(", ")));
        QVERIFY2(found.contains("CODE-128:" + codes[i]), qPrintable(found.join(", ")));
    }
}

void TestPrintFile::noRecordNoPdf()
{
    GScene scene;
    QVERIFY(scene.openFile("label.tqc"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GScene::savePrintFile no record"));
    QVERIFY(!scene.savePrintFile("none.pdf")); // no data source yet
    QVERIFY(scene.setVariableFile("data.xlsx"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GScene::setCodeIndex no record 7"));
    QVERIFY(!scene.setCodeIndex(7));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GScene::savePrintFile no record 7"));
    QVERIFY(!scene.savePrintFile("7pdf.pdf"));
    QVERIFY(!QFile::exists("7pdf.pdf"));
    QVERIFY(!QFile::exists("none.pdf"));
}

void TestPrintFile::fixedFieldsNeedNoRecord()
{
    GScene scene;
    QVERIFY(scene.openFile("label.tqc"));
    VariableField fixed;
    fixed.kind = VariableField::QrCode;
    fixed.text = QStringLiteral("FIXED-1");
    fixed.rectMm = QRectF(10, 10, 30, 30);
    scene.setVariableFields({fixed});
    QVERIFY(scene.savePrintFile("fixed.pdf"));
    QStringList found;
    for (const QImage &image : CodeReading::pdfImages(readAll("fixed.pdf")))
        found << CodeReading::decode(image);
    QCOMPARE(found, QStringList{QStringLiteral("QR-Code:FIXED-1")});
}

DRAVO_GUI_TEST_MAIN(TestPrintFile)
#include "tst_printfile.moc"
