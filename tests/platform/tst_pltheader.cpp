#include "PltHeader.h"
#include "TestMain.h"

class TestPltHeader : public QObject
{
    Q_OBJECT
private slots:
    void fiveValues();
    void markSize();
    void lanes_data();
    void lanes();
    void onlyTheFirst256Bytes();
    void notUsable_data();
    void notUsable();
    void withoutMd();
    void writeAndRead();
};

void TestPltHeader::fiveValues()
{
    const PltHeader h = PltHeader::parse("IN;PS12000,8000,400,200,4;MD4,0,11000,7600,0;SP1;PU0,0;PD1,1;");
    QVERIFY(h.valid);
    QCOMPARE(h.pageLength, 12000.0);
    QCOMPARE(h.pageWidth, 8000.0);
    QCOMPARE(h.areaOffsetLength, 400.0);
    QCOMPARE(h.areaOffsetWidth, 200.0);
    QCOMPARE(h.markType, 4);
    QVERIFY(!h.hasMarkSize);
    QVERIFY(h.lanes.isEmpty());
    QVERIFY(h.hasArea);
    QCOMPARE(h.areaLength, 11000.0);
    QCOMPARE(h.areaWidth, 7600.0);
}

void TestPltHeader::markSize()
{
    const PltHeader h = PltHeader::parse("PS12000,8000,400,200,1,120;MD1,0,11000,7600,0;");
    QVERIFY(h.valid && h.hasMarkSize);
    QCOMPARE(h.markSize, 120.0);
}

void TestPltHeader::lanes_data()
{
    QTest::addColumn<QByteArray>("ps");
    QTest::addColumn<QList<double>>("lanes");
    QTest::addColumn<double>("markSize"); // 0: none
    QTest::newRow("0,400,800") << QByteArray("PS12000,8000,400,200,0,0,400,800;") << QList<double>{0, 400, 800} << 0.0;
    QTest::newRow("size then lanes") << QByteArray("PS12000,8000,400,200,0,120,0,400,800;")
                                     << QList<double>{0, 400, 800} << 120.0;
    QTest::newRow("fraction starts") << QByteArray("PS12000,8000,400,200,0,120,400.5,800;")
                                     << QList<double>{400.5, 800} << 120.0;
    QTest::newRow("empty field starts") << QByteArray("PS12000,8000,400,200,0,,400;") << QList<double>{0, 400}
                                        << 0.0;
}

void TestPltHeader::lanes()
{
    QFETCH(QByteArray, ps);
    QFETCH(QList<double>, lanes);
    QFETCH(double, markSize);
    const PltHeader h = PltHeader::parse(ps + "MD0,0,11000,7600,3;");
    QVERIFY(h.valid);
    QCOMPARE(h.lanes, lanes);
    QCOMPARE(h.hasMarkSize, markSize > 0);
    if (markSize > 0)
        QCOMPARE(h.markSize, markSize);
}

void TestPltHeader::onlyTheFirst256Bytes()
{
    const QByteArray late = QByteArray(250, ' ') + "PS12000,8000,400,200,4;MD4,0,11000,7600,0;";
    QVERIFY(!PltHeader::parse(late).valid);
    QVERIFY(PltHeader::parse(late).problem.isEmpty()); // simply a plain file
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
}

void TestPltHeader::notUsable()
{
    QFETCH(QByteArray, text);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("PltHeader::parse header not used"));
    const PltHeader h = PltHeader::parse(text);
    QVERIFY(!h.valid);
    QVERIFY(!h.problem.isEmpty());
}

// Without MD the marked area keeps the same margin on both sides.
void TestPltHeader::withoutMd()
{
    const PltHeader h = PltHeader::parse("PS12000,8000,400,200,4;");
    QVERIFY(h.valid && !h.hasArea);
    QCOMPARE(h.areaLength, 11200.0);
    QCOMPARE(h.areaWidth, 7600.0);
}

void TestPltHeader::writeAndRead()
{
    PltHeader h;
    h.valid = true;
    h.pageLength = 12000;
    h.pageWidth = 8000.5;
    h.areaOffsetLength = 400;
    h.areaOffsetWidth = 200.25;
    h.markType = 1;
    h.hasMarkSize = true;
    h.markSize = 120;
    h.lanes = {3200, 6400};
    h.hasArea = true;
    h.areaLength = 11000;
    h.areaWidth = 7600;
    const QByteArray text = h.toHpgl();
    QVERIFY(text.startsWith("IN;PS"));
    QVERIFY(text.size() < PltHeader::kScanBytes);
    const PltHeader back = PltHeader::parse(text);
    QVERIFY(back.valid);
    QCOMPARE(back.pageLength, h.pageLength);
    QCOMPARE(back.pageWidth, h.pageWidth);
    QCOMPARE(back.areaOffsetWidth, h.areaOffsetWidth);
    QCOMPARE(back.markType, 1);
    QCOMPARE(back.markSize, 120.0);
    QCOMPARE(back.lanes, h.lanes); // the first lane is written so that the lanes stay apart from the size
    QCOMPARE(back.areaLength, h.areaLength);
    QCOMPARE(back.areaWidth, h.areaWidth);
    QVERIFY(PltHeader().toHpgl().isEmpty());
}

DRAVO_TEST_MAIN(TestPltHeader)
#include "tst_pltheader.moc"
