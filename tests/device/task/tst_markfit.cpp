// The fit of the cut data to the scanned marks.
#include "platform/graphics/paths/GPathProcess.h"
#include "tests/support/TestMain.h"
#include "device/task/MarkFit.h"

#include <QRegularExpression>

namespace {
// Four marks at the corners of a 200 x 100 mm marked area, HPGL units.
const QPolygonF kNominal({QPointF(0, 0), QPointF(8000, 0), QPointF(8000, 4000), QPointF(0, 4000)});
} // namespace

class TestMarkFit : public QObject
{
    Q_OBJECT
private slots:
    // The marks as printed (turned about the first mark, scaled, shifted):
    // every nominal point lands on its printed place, and the quality says
    // how far from a plain placement (the report's level: tst_appmarkrun).
    void fitsThePrintedPage_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("shift");
        QTest::addColumn<bool>("withinBounds");
        QTest::newRow("0.1 mm along the web") << 0.0 << 1.0 << QPointF(4, 0) << true;
        QTest::newRow("turned 2 degrees") << 2.0 << 1.0 << QPointF(0, 0) << true;
        QTest::newRow("turned 5 degrees") << 5.0 << 1.0 << QPointF(40, -20) << false;
        QTest::newRow("1 % larger") << 0.0 << 1.01 << QPointF(0, 0) << true; // 2 mm over 200 mm
        QTest::newRow("3 % larger") << 0.0 << 1.03 << QPointF(0, 0) << false;
    }
    void fitsThePrintedPage()
    {
        QFETCH(double, degrees);
        QFETCH(double, scale);
        QFETCH(QPointF, shift);
        QFETCH(bool, withinBounds);
        QTransform print;
        print.translate(shift.x(), shift.y());
        print.rotate(degrees);
        print.scale(scale, scale);
        const QPolygonF marks = print.map(kNominal);
        QList<QPointF> offsets;
        for (int i = 0; i < 4; ++i)
            offsets << marks.at(i) - kNominal.at(i);
        offsets << QPointF(99, 99); // a final check scan takes no part
        QPolygonF measured;
        QTransform t;
        QVERIFY(MarkFit::measure(kNominal, offsets, &measured) && MarkFit::fit(kNominal, measured, &t));
        const QPolygonF mapped = t.map(GPathProcess::hpgl2Point(kNominal));
        for (int i = 0; i < 4; ++i)
            QVERIFY(QLineF(mapped.at(i), GPathProcess::hpgl2Point(marks.at(i))).length() < 1e-6);
        const MarkFit::Quality q = MarkFit::quality(t, QSizeF(200, 100));
        QVERIFY(qAbs(q.angle - degrees) < 1e-6 && qAbs(q.scaleX - scale) < 1e-6 && qAbs(q.scaleY - scale) < 1e-6);
        QVERIFY(qAbs(q.dtX - 200 * (scale - 1)) < 1e-6 && qAbs(q.dtY - 100 * (scale - 1)) < 1e-6);
        QCOMPARE(q.withinBounds(), withinBounds);
    }

    // Marks that admit no fit leave the transform as it was: no cut at a
    // half-made place. A mark not scanned is never read past the list.
    void refusesMarksWithoutAFit_data()
    {
        QTest::addColumn<QPolygonF>("measured");
        QTest::newRow("three in a row") << QPolygonF({QPointF(0, 0), QPointF(4000, 0), QPointF(8000, 0), QPointF(0, 4000)});
        QTest::newRow("two on one spot") << QPolygonF({QPointF(0, 0), QPointF(0, 0), QPointF(8000, 4000), QPointF(0, 4000)});
        QTest::newRow("a mark short") << QPolygonF({QPointF(0, 0), QPointF(8000, 0), QPointF(8000, 4000)});
    }
    void refusesMarksWithoutAFit()
    {
        QFETCH(QPolygonF, measured);
        QTransform t = QTransform::fromTranslate(7, 9);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^MarkFit::fit "));
        QVERIFY(!MarkFit::fit(kNominal, measured, &t));
        QCOMPARE(t, QTransform::fromTranslate(7, 9));
        QPolygonF none({QPointF(1, 1)});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^MarkFit::measure 4 marks, 3 scanned"));
        QVERIFY(!MarkFit::measure(kNominal, {QPointF(), QPointF(), QPointF()}, &none));
        QVERIFY(none.isEmpty());
    }
};

DRAVO_TEST_MAIN(TestMarkFit)
#include "tst_markfit.moc"
