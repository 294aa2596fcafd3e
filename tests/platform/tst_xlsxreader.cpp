#include "TestMain.h"
#include "XlsxFixture.h"
#include "XlsxReader.h"

#include <QFile>

namespace {

// A workbook as a spreadsheet program writes it: names, numbers, a gap row, a missing cell.
bool writeWorkbook(const QString &path, bool inlineStrings)
{
    return XlsxFixture::write(path,
                              {"Name\tCode\tQty\t名称", "Alpha\t00c0ffee\t#42\t标签一", "Beta\tdeadbeef\t#3.5",
                               "", "Gamma\t\t?1\t标签三\t\t\t\t\t\tbeyond the headers"},
                              inlineStrings);
}

} // namespace

class TestXlsxReader : public QObject
{
    Q_OBJECT
private slots:
    void records_data();
    void records();
    void damaged_data();
    void damaged();
};

void TestXlsxReader::records_data()
{
    QTest::addColumn<bool>("constantMemory");
    QTest::newRow("shared strings") << false;
    QTest::newRow("inline strings") << true;
}

void TestXlsxReader::records()
{
    QFETCH(bool, constantMemory);
    QVERIFY(writeWorkbook("data.xlsx", constantMemory));
    XlsxReader reader;
    QVERIFY(reader.load("data.xlsx"));
    QCOMPARE(reader.headers(), (QStringList{"Name", "Code", "Qty", "名称"}));
    QCOMPARE(reader.recordCount(), 3);
    QCOMPARE(reader.record(0), (QStringList{"Alpha", "00c0ffee", "42", "标签一"}));
    QCOMPARE(reader.record(1), (QStringList{"Beta", "deadbeef", "3.5", ""}));
    QCOMPARE(reader.record(2), (QStringList{"Gamma", "", "TRUE", "标签三"}));
    QCOMPARE(reader.value(2, "名称"), QStringLiteral("标签三"));
    QVERIFY(reader.value(2, "missing").isEmpty());
    QVERIFY(reader.record(3).isEmpty());
    QVERIFY(reader.record(-1).isEmpty());
}

void TestXlsxReader::damaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QVERIFY(writeWorkbook("good.xlsx", false));
    QFile good("good.xlsx");
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray workbook = good.readAll();
    QByteArray flipped = workbook;
    for (qsizetype i = workbook.size() / 3; i < workbook.size() / 3 + 64; ++i)
        flipped[i] = char(flipped[i] ^ 0x5a);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a zip") << QByteArray(5000, 'x');
    QTest::newRow("truncated") << workbook.left(workbook.size() / 2);
    QTest::newRow("flipped bytes") << flipped;
}

void TestXlsxReader::damaged()
{
    QFETCH(QByteArray, bytes);
    QFile file("bad.xlsx");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    XlsxReader reader;
    QVERIFY(reader.load("good.xlsx"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^XlsxReader::load"));
    QVERIFY(!reader.load("bad.xlsx"));
    QCOMPARE(reader.recordCount(), 0); // nothing of the earlier workbook stays
    QVERIFY(reader.headers().isEmpty());
    QVERIFY(!reader.load("missing.xlsx"));
}

DRAVO_TEST_MAIN(TestXlsxReader)
#include "tst_xlsxreader.moc"
