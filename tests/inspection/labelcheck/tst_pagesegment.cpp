#include "inspection/labelcheck/PageSegment.h"
#include "tests/support/TestMain.h"

// The page's row in the check image and the rewind length to the next page
// boundary; a scale or page height of 0 leaves what it would divide.
class TestPageSegment : public QObject
{
    Q_OBJECT
private slots:
    void steps_data()
    {
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("found");
        QTest::addColumn<double>("scale");
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<int>("segmentX");
        QTest::addColumn<bool>("newPage");
        QTest::addColumn<double>("collectLen"); // -1: not set
        // Image 1000 rows high, camera centre 635 mm, rewind length 40 set, 50 kept.
        QTest::newRow("none found: moved up by the rewind") << 300 << false << 0 << 0.25 << 100.0 << 100 << false << 40.0;
        QTest::newRow("none found, none kept") << 0 << false << -1 << 0.25 << 100.0 << 0 << false << 40.0;
        QTest::newRow("none found, no scale: the row stays") << 300 << false << 0 << 0.0 << 100.0 << 300 << false << 40.0;
        QTest::newRow("a new page") << 100 << false << 400 << 0.25 << 100.0 << 400 << true << 10.0;
        QTest::newRow("the same page counted already") << 100 << true << 400 << 0.25 << 100.0 << 400 << false << 10.0;
        QTest::newRow("the page moved up") << 400 << false << 300 << 0.25 << 100.0 << 300 << false << 15.0;
        QTest::newRow("nearer the boundary after") << 100 << false << 1080 << 0.25 << 100.0 << 1080 << true << 20.0;
        QTest::newRow("far from both: the setting") << 100 << false << 1000 << 0.25 << 100.0 << 1000 << true << 40.0;
        QTest::newRow("no page height: the rewind length stays") << 100 << false << 400 << 0.25 << 0.0 << 400 << true << -1.0;
    }
    void steps()
    {
        QFETCH(int, kept);
        QFETCH(bool, checked);
        QFETCH(int, found);
        QFETCH(double, scale);
        QFETCH(double, pageHeight);
        PageSegment::Inputs in;
        in.segmentX = kept;
        in.pageChecked = checked;
        in.found = found;
        in.imageHeight = 1000;
        in.scale = scale;
        in.pageHeight = pageHeight;
        in.centerX = 635;
        in.collectLen = 50;
        in.collectLenSetting = 40;
        const PageSegment::Step out = PageSegment::next(in);
        QTEST(out.segmentX, "segmentX");
        QTEST(out.newPage, "newPage");
        QFETCH(double, collectLen);
        QCOMPARE(out.setCollectLen, collectLen >= 0);
        if (collectLen >= 0)
            QVERIFY2(qAbs(out.collectLen - collectLen) < 1e-9, qPrintable(QString::number(out.collectLen)));
    }
};

DRAVO_TEST_MAIN(TestPageSegment)
#include "tst_pagesegment.moc"
