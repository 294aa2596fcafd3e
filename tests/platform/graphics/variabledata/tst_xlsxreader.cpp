#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/platform/XlsxFixture.h"
#include "platform/graphics/variabledata/XlsxReader.h"

class TestXlsxReader : public QObject
{
    Q_OBJECT
private slots:
    void records_data()
    {
        QTest::addColumn<bool>("inlineStrings");
        QTest::newRow("shared strings") << false;
        QTest::newRow("inline strings") << true;
    }
    // As a spreadsheet program writes it: names, numbers, a gap row, a missing cell, a cell past the headers.
    void records()
    {
        QFETCH(bool, inlineStrings);
        QVERIFY(XlsxFixture::write("data.xlsx",
                                   {"Name\tCode\tQty\t名称", "Alpha\t00c0ffee\t#42\t标签一", "Beta\tdeadbeef\t#3.5", "",
                                    "Gamma\t\t?1\t标签三\t\t\t\t\t\tbeyond the headers"},
                                   inlineStrings));
        XlsxReader reader;
        QVERIFY(reader.load("data.xlsx"));
        QCOMPARE(reader.headers(), (QStringList{"Name", "Code", "Qty", "名称"}));
        QCOMPARE(reader.recordCount(), 3);
        QCOMPARE(reader.record(0), (QStringList{"Alpha", "00c0ffee", "42", "标签一"}));
        QCOMPARE(reader.record(1), (QStringList{"Beta", "deadbeef", "3.5", ""}));
        QCOMPARE(reader.record(2), (QStringList{"Gamma", "", "TRUE", "标签三"}));
        QCOMPARE(reader.value(2, "名称"), QStringLiteral("标签三"));
        QVERIFY(reader.value(2, "missing").isEmpty() && reader.record(3).isEmpty() && reader.record(-1).isEmpty());
    }

    void damaged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QVERIFY(XlsxFixture::write("good.xlsx", {"Name\tCode", "Alpha\t00c0ffee"}));
        const QByteArray workbook = readAll("good.xlsx");
        QVERIFY(!workbook.isEmpty());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a zip") << QByteArray(5000, 'x');
        QTest::newRow("truncated") << workbook.left(workbook.size() / 2);
    }
    // Nothing of the earlier workbook stays.
    void damaged()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile("bad.xlsx", bytes));
        XlsxReader reader;
        QVERIFY(reader.load("good.xlsx"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^XlsxReader::load"));
        QVERIFY(!reader.load("bad.xlsx"));
        QVERIFY(reader.recordCount() == 0 && reader.headers().isEmpty());
        QVERIFY(!reader.load("missing.xlsx"));
    }
};

DRAVO_TEST_MAIN(TestXlsxReader)
#include "tst_xlsxreader.moc"
