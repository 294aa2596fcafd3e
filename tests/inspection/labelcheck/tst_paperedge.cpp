#include "inspection/labelcheck/PaperEdge.h"
#include "tests/support/TestMain.h"

// The paper edge: scale from the cut page's width, the reference after a
// reset, the width-jump and offset guards, and inputs with nothing to divide by.
using K = PaperEdge::Outcome;
struct Step
{
    int first, last;
    double pageWidth = 250, minWidth = 999, maxOffset = 5;
    K::Kind kind;
    double offset = 0; // stored afterwards
};
Q_DECLARE_METATYPE(Step)

class TestPaperEdge : public QObject
{
    Q_OBJECT

private slots:
    void sequences_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::newRow("scale and centre; reference on the first wide check")
            << QList<Step>{{100, 1100, 250, 999, 5, K::ReferenceTaken}, {110, 1110, 250, 999, 5, K::Accepted, 2.5}};
        QTest::newRow("width equal to the least: no reference until wider")
            << QList<Step>{{0, 1000, 250, 1000, 5, K::Ignored}, {0, 1001, 250, 1000, 5, K::ReferenceTaken},
                           {0, 999, 250, 1000, 5, K::Ignored}};
        QTest::newRow("width jump rejected, the stored width stays")
            << QList<Step>{{100, 1100, 250, 999, 15, K::ReferenceTaken}, {90, 1110, 250, 999, 15, K::WidthJump},
                           {92, 1108, 250, 999, 15, K::Accepted, 0.0}};
        QTest::newRow("10 mm drift beyond 5, offset kept")
            << QList<Step>{{100, 1100, 250, 999, 5, K::ReferenceTaken}, {110, 1110, 250, 999, 5, K::Accepted, 2.5},
                           {140, 1140, 250, 999, 5, K::TooFar, 2.5}};
        QTest::newRow("exactly the limit, either way")
            << QList<Step>{{100, 1100, 250, 999, 5, K::ReferenceTaken}, {120, 1120, 250, 999, 5, K::Accepted, 5.0},
                           {80, 1080, 250, 999, 5, K::Accepted, -5.0}, {79, 1079, 250, 999, 5, K::TooFar, -5.0}};
        QTest::newRow("no paper with a least width of 0 or less")
            << QList<Step>{{0, 0, 250, 0, 5, K::Ignored}, {500, 400, 250, -10, 5, K::Ignored},
                           {600, 601, 250, -10, 5, K::ReferenceTaken}};
        QTest::newRow("no cut page width: nothing divided by it")
            << QList<Step>{{100, 1100, 0, 999, 5, K::NoPageSize}, {100, 1100, -3, 999, 5, K::NoPageSize},
                           {100, 1100, 250, 999, 5, K::ReferenceTaken}};
    }
    void sequences()
    {
        QFETCH(QList<Step>, steps);
        PaperEdge edge;
        for (int i = 0; i < steps.size(); ++i) {
            const Step &s = steps[i];
            const K o = edge.track(s.first, s.last, s.pageWidth, s.minWidth, s.maxOffset);
            QVERIFY2(o.kind == s.kind, qPrintable(QStringLiteral("step %1: kind %2").arg(i).arg(o.kind)));
            QVERIFY2(qAbs(edge.offset() - s.offset) < 1e-9, qPrintable(QStringLiteral("step %1: offset %2").arg(i).arg(edge.offset())));
            QVERIFY(std::isfinite(edge.scale()));
        }
    }

    // The first example: 0.25 mm per pixel, centre 600; the scale follows each check past the least width.
    void scaleAndReset()
    {
        PaperEdge edge;
        K o = edge.track(100, 1100, 250, 999, 5);
        QVERIFY(o.scaleChanged && o.scale == 0.25 && o.centre == 600 && edge.reference() == 600);
        QVERIFY(!edge.track(100, 1100, 250, 999, 5).scaleChanged);
        o = edge.track(100, 1120, 250, 999, 5); // rejected by the jump guard, scale taken all the same
        QVERIFY(o.kind == K::WidthJump && o.scaleChanged && qFuzzyCompare(edge.scale(), 250.0 / 1020));
        edge.resetCenter();
        o = edge.track(300, 1300, 250, 999, 5);
        QVERIFY(o.kind == K::ReferenceTaken && edge.reference() == 800);
    }
};

DRAVO_TEST_MAIN(TestPaperEdge)
#include "tst_paperedge.moc"
