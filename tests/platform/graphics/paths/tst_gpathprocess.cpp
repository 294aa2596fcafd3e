#include "platform/graphics/paths/GPathProcess.h"
#include "tests/support/TestMain.h"

#include <QRandomGenerator>
#include <cmath>
#include <functional>

using Convert = std::function<double(double)>;
Q_DECLARE_METATYPE(Convert)

namespace {

const QPolygonF kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};

} // namespace

using P = GPathProcess;

class TestGPathProcess : public QObject
{
    Q_OBJECT
private slots:
    void pairsInvert_data()
    {
        QTest::addColumn<Convert>("there");
        QTest::addColumn<Convert>("back");
        auto f = [](double (*fn)(double)) { return Convert(fn); };
        QTest::newRow("mm point") << f(P::mm2Point) << f(P::point2Mm);
        QTest::newRow("point mm") << f(P::point2Mm) << f(P::mm2Point);
        QTest::newRow("mm hpgl") << f(P::mm2Hpgl) << f(P::hpgl2Mm);
        QTest::newRow("hpgl mm") << f(P::hpgl2Mm) << f(P::mm2Hpgl);
        QTest::newRow("point hpgl") << f(P::point2Hpgl) << f(P::hpgl2Point);
        QTest::newRow("hpgl point") << f(P::hpgl2Point) << f(P::point2Hpgl);
    }
    // Every value given with up to six decimals comes back exactly.
    void pairsInvert()
    {
        QFETCH(Convert, there);
        QFETCH(Convert, back);
        for (double v : {0.0, 0.2, 0.5, 2.54, 12.345678, 297.0, -42.125, 99999.999999, 1e6})
            QVERIFY2(back(there(v)) == v, qPrintable(QString::number(v, 'g', 17)));
        QRandomGenerator random(4711);
        for (int i = 0; i < 200000; ++i) {
            const qint64 micro = qint64(random.bounded(2000000000)) - 1000000000;
            const double v = double(micro * (i % 2 ? 1 : 1000)) / 1e6; // the double nearest to the decimal
            QVERIFY2(back(there(v)) == v, qPrintable(QString::number(v, 'g', 17)));
        }
    }

    // Going through points gives what the direct conversion gives: callers
    // truncate, and 100 mm must be 4000 plotter units, not 3999.
    void chainsAgree()
    {
        QCOMPARE(int(P::point2Hpgl(P::mm2Point(100.0))), 4000);
        for (int i = -40000; i <= 40000; ++i) {
            QVERIFY(P::point2Hpgl(P::mm2Point(i * 0.025)) == P::mm2Hpgl(i * 0.025));
            QVERIFY(P::point2Mm(P::hpgl2Point(double(i))) == P::hpgl2Mm(double(i)));
        }
    }

    void transformScale_data()
    {
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<QPointF>("scale");
        QTest::newRow("turned -90") << QTransform().rotate(-90) << QPointF(1, 1);
        QTest::newRow("turned and zoomed") << QTransform().rotate(-90).scale(4, 4) << QPointF(4, 4);
        QTest::newRow("turned 30, scaled") << QTransform().rotate(30).scale(2, 5) << QPointF(2, 5);
        QTest::newRow("mirrored") << QTransform::fromScale(-2, 1) << QPointF(2, 1);
    }
    // The true scale of a turned transform, not its matrix's diagonal.
    void transformScale()
    {
        QFETCH(QTransform, transform);
        QFETCH(QPointF, scale);
        QPointF found;
        P::transformScale(transform, found.rx(), found.ry());
        QCOMPARE(found, scale);
    }

    // The whole closed outline, through its start again, then on along the
    // first edge; one more round at most. Open paths and no distance: as given.
    void overcut()
    {
        const QPolygonF out = P::closeCompensatePolygon(kSquare, 2.5);
        QCOMPARE(out.mid(0, 5), kSquare);
        QCOMPARE(out.size(), 6);
        QCOMPARE(out.back(), QPointF(2.5, 0));
        QCOMPARE(P::closeCompensatePolygon(kSquare, 1000), kSquare + kSquare.mid(1));
        const QPolygonF open{{0, 0}, {10, 0}, {10, 10}};
        QCOMPARE(P::closeCompensatePolygon(open, 2), open);
        for (double none : {0.0, -1.0, std::nan("")})
            QCOMPARE(P::closeCompensatePolygon(kSquare, none), kSquare);
        QCOMPARE(P::knifeCompensatePolygon(kSquare, 0), kSquare);
    }

    void knifeCompensation()
    {
        QCOMPARE(P::knifeCompensatePolygon(kSquare, 1, true),
                 (QPolygonF{{1, 0}, {11, 0}, {10, 1}, {10, 11}, {9, 10}, {-1, 10}, {0, 9}, {0, -1}, {1, 0}}));
        // Between the end of an edge and the start of the next the axis swings
        // on the corner's circle, the corner at the start too.
        const QPolygonF arcs = P::knifeCompensatePolygon(kSquare, 1);
        QVERIFY(P::isClosed(arcs) && arcs.front() == arcs.back());
        const int from = int(arcs.indexOf(QPointF(11, 0)));
        const int to = int(arcs.indexOf(QPointF(10, 1)));
        QVERIFY(from >= 0 && to > from + 1);
        for (int i = from; i <= to; ++i)
            QVERIFY(std::fabs(QLineF(arcs[i], QPointF(10, 0)).length() - 1) < 1e-9);
        QVERIFY(arcs.indexOf(QPointF(0, -1)) < arcs.size() - 2);
        const QPolygonF open = P::knifeCompensatePolygon({{0, 0}, {10, 0}, {10, 0}, {10, 10}}, 0.5, true);
        QCOMPARE(open.front(), QPointF(0.5, 0));
        QCOMPARE(open.back(), QPointF(10, 10.5));
    }

    void pathsKeepClosedSubpathsClosed()
    {
        QPainterPath path;
        path.addPolygon(kSquare);
        path.addPolygon(QPolygonF{{20, 0}, {30, 0}});
        path.addPolygon(kSquare.translated(40, 0));
        const QList<QPolygonF> knife = P::knifeCompensatePath(path, 0.5).toSubpathPolygons();
        QCOMPARE(knife.size(), 3);
        QVERIFY(P::isClosed(knife[0]) && !P::isClosed(knife[1]) && P::isClosed(knife[2]));
        const QList<QPolygonF> over = P::closeCompensatePath(path, 1).toSubpathPolygons();
        QCOMPARE(over.size(), 3);
        QCOMPARE(over[0].back(), QPointF(1, 0));
        QCOMPARE(over[1], (QPolygonF{{20, 0}, {30, 0}}));
    }
};

DRAVO_TEST_MAIN(TestGPathProcess)
#include "tst_gpathprocess.moc"
