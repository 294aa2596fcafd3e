#include "PltHeader.h"
#include "tests/support/TestMain.h"

class TestPltHeader : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void notUsable_data();
    void notUsable();
    void writtenAsRead_data();
    void writtenAsRead();
};

using Sizes = QList<double>;

// A 12000 x 8000 page, its marked area from MD or, without it, with the same margin on both sides.
void TestPltHeader::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("markSize"); // 0: none
    QTest::addColumn<Sizes>("lanes");
    const QByteArray md = "MD4,0,11000,7600,3;";
    QTest::newRow("five values") << "IN;PS12000,8000,400,200,4;" + md + "SP1;PD1,1;" << 0.0 << Sizes{};
    QTest::newRow("mark size") << "PS12000,8000,400,200,1,120;" + md << 120.0 << Sizes{};
    QTest::newRow("0,400,800") << "PS12000,8000,400,200,0,0,400,800;" + md << 0.0 << Sizes{0, 400, 800};
    QTest::newRow("size then lanes") << "PS12000,8000,400,200,0,120,0,400,800;" + md << 120.0 << Sizes{0, 400, 800};
    QTest::newRow("fraction starts") << "PS12000,8000,400,200,0,120,400.5,800;" + md << 120.0 << Sizes{400.5, 800};
    QTest::newRow("empty field starts") << "PS12000,8000,400,200,0,,400;" + md << 0.0 << Sizes{0, 400};
    QTest::newRow("without MD") << QByteArray("PS12000,8000,400,200,4;") << 0.0 << Sizes{};
}

void TestPltHeader::parse()
{
    QFETCH(QByteArray, text);
    const PltHeader h = PltHeader::parse(text);
    const bool md = text.contains("MD");
    QVERIFY(h.valid && h.hasArea == md);
    QCOMPARE((Sizes{h.pageLength, h.pageWidth, h.areaLength, h.areaWidth}), (Sizes{12000, 8000, md ? 11000.0 : 11200.0, 7600}));
    QTEST(h.hasMarkSize ? h.markSize : 0, "markSize");
    QTEST(h.lanes, "lanes");
}

void TestPltHeader::notUsable_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("short MD") << QByteArray("PS12000,8000,400,200,4;MD4,0,11000;");
    QTest::newRow("zero page") << QByteArray("PS0,8000,400,200,4;MD4,0,11000,7600,0;");
    QTest::newRow("text page") << QByteArray("PSabc,8000,400,200,4;MD4,0,11000,7600,0;");
    QTest::newRow("NaN") << QByteArray("PSnan,8000,400,200,4;MD4,0,11000,7600,0;");
    QTest::newRow("beyond 2^31") << QByteArray("PS3000000000,8000,400,200,4;MD4,0,11000,7600,0;");
    QTest::newRow("negative area") << QByteArray("PS12000,8000,400,200,4;MD4,0,-5,7600,0;");
    QTest::newRow("offset beyond page") << QByteArray("PS12000,8000,13000,200,4;");
    // Found by fuzzing: the area a negative offset derives would be written out past 2^31.
    QTest::newRow("derived area beyond 2^31") << QByteArray("IN;PS12000,8000,20,-1100001100,1;");
}

void TestPltHeader::notUsable()
{
    QFETCH(QByteArray, text);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("PltHeader::parse header not used"));
    const PltHeader h = PltHeader::parse(text);
    QVERIFY(!h.valid && !h.problem.isEmpty());
    // Past the first 256 bytes a header is no header: simply a plain file.
    const PltHeader late = PltHeader::parse(QByteArray(250, ' ') + text);
    QVERIFY(!late.valid && late.problem.isEmpty());
    QVERIFY(late.toHpgl().isEmpty());
}

// What the reader accepts is written so that it reads back the same.
void TestPltHeader::writtenAsRead_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("lanes and size") << QByteArray("PS12000,8000.5,400,200.25,1,120,0.5,3200,6400;MD1,120,11000,7600,3;");
    QTest::newRow("whole first lane") << QByteArray("PS12000,8000,400,200,1,120,3200,6400;MD1,120,11000,7600,2;");
    QTest::newRow("negative offset") << QByteArray("PS12000,8000,20,-1000000000,1;");
}

void TestPltHeader::writtenAsRead()
{
    QFETCH(QByteArray, text);
    const PltHeader h = PltHeader::parse(text);
    const QByteArray written = h.toHpgl();
    QVERIFY(written.startsWith("IN;PS") && written.size() <= PltHeader::kScanBytes);
    const PltHeader back = PltHeader::parse(written);
    QVERIFY(h.valid && back.valid);
    QCOMPARE((Sizes{back.pageLength, back.pageWidth, back.areaOffsetLength, back.areaOffsetWidth, back.areaLength,
                    back.areaWidth, back.markSize}),
             (Sizes{h.pageLength, h.pageWidth, h.areaOffsetLength, h.areaOffsetWidth, h.areaLength, h.areaWidth, h.markSize}));
    QCOMPARE(back.markType, h.markType);
    QCOMPARE(back.lanes, h.lanes); // the first lane is written so that the lanes stay apart from the size
}

DRAVO_TEST_MAIN(TestPltHeader)
#include "tst_pltheader.moc"
