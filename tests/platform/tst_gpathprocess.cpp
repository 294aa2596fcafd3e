#include "GPathProcess.h"
#include "TestMain.h"

#include <QRandomGenerator>
#include <cmath>
#include <functional>

using Convert = std::function<double(double)>;
Q_DECLARE_METATYPE(Convert)

namespace {

QPolygonF square()
{
    return QPolygonF(QList<QPointF>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
}

double length(const QPolygonF &p)
{
    double sum = 0;
    for (int i = 1; i < p.size(); ++i)
        sum += QLineF(p[i - 1], p[i]).length();
    return sum;
}

} // namespace

class TestGPathProcess : public QObject
{
    Q_OBJECT
private slots:
    void factors();
    void pairsInvert_data();
    void pairsInvert();
    void chainsAgree();
    void overloads();
    void rects();
    void transformScale_data();
    void transformScale();
    void overcut();
    void overcutLeavesOthersAlone();
    void knifeStraightCorners();
    void knifeArcs();
    void knifeOpenPath();
    void pathsKeepClosedSubpathsClosed();
};

void TestGPathProcess::factors()
{
    QVERIFY(GPathProcess::mm2Hpgl(1.0) == 40.0);
    QVERIFY(GPathProcess::mm2Point(25.4) == 72.0);
    QVERIFY(GPathProcess::point2Hpgl(72.0) == 1016.0);
    QVERIFY(GPathProcess::hpgl2Mm(1.0) == 0.025);
    // The chain the callers truncate: 100 mm to points to plotter units is 4000, not 3999.
    QVERIFY(GPathProcess::point2Hpgl(GPathProcess::mm2Point(100.0)) == 4000.0);
    QCOMPARE(int(GPathProcess::point2Hpgl(GPathProcess::mm2Point(100.0))), 4000);
    QCOMPARE(int(GPathProcess::point2Hpgl(GPathProcess::mm2Point(0.5))), 20);
}

void TestGPathProcess::pairsInvert_data()
{
    QTest::addColumn<Convert>("there");
    QTest::addColumn<Convert>("back");
    auto f = [](double (*fn)(double)) { return Convert(fn); };
    QTest::newRow("mm point") << f(GPathProcess::mm2Point) << f(GPathProcess::point2Mm);
    QTest::newRow("point mm") << f(GPathProcess::point2Mm) << f(GPathProcess::mm2Point);
    QTest::newRow("mm hpgl") << f(GPathProcess::mm2Hpgl) << f(GPathProcess::hpgl2Mm);
    QTest::newRow("hpgl mm") << f(GPathProcess::hpgl2Mm) << f(GPathProcess::mm2Hpgl);
    QTest::newRow("point hpgl") << f(GPathProcess::point2Hpgl) << f(GPathProcess::hpgl2Point);
    QTest::newRow("hpgl point") << f(GPathProcess::hpgl2Point) << f(GPathProcess::point2Hpgl);
}

// Every value given with up to six decimals comes back exactly.
void TestGPathProcess::pairsInvert()
{
    QFETCH(Convert, there);
    QFETCH(Convert, back);
    const double fixed[] = {0, 0.2, 0.5, 1, 2.54, 12.345678, 100, 210, 297, -42.125, 99999.999999, 1e6};
    for (double v : fixed)
        QVERIFY2(back(there(v)) == v, qPrintable(QString::number(v, 'g', 17)));
    QRandomGenerator random(4711);
    for (int i = 0; i < 200000; ++i) {
        const qint64 micro = qint64(random.bounded(2000000000)) - 1000000000;
        const double v = double(micro * (i % 2 ? 1 : 1000)) / 1e6; // the double nearest to the decimal
        QVERIFY2(back(there(v)) == v, qPrintable(QString::number(v, 'g', 17)));
    }
}

// Going through points gives what the direct conversion gives.
void TestGPathProcess::chainsAgree()
{
    for (int i = -40000; i <= 40000; ++i) {
        const double mm = i * 0.025;
        QVERIFY(GPathProcess::point2Hpgl(GPathProcess::mm2Point(mm)) == GPathProcess::mm2Hpgl(mm));
        QVERIFY(GPathProcess::point2Mm(GPathProcess::hpgl2Point(double(i))) == GPathProcess::hpgl2Mm(double(i)));
    }
}

void TestGPathProcess::overloads()
{
    const QPointF p(12.5, -3.25);
    QCOMPARE(GPathProcess::mm2Hpgl(p), QPointF(500, -130));
    const QRectF r(1, 2, 3, 4);
    QCOMPARE(GPathProcess::mm2Hpgl(r), QRectF(40, 80, 120, 160));
    QVERIFY(GPathProcess::point2Mm(GPathProcess::mm2Point(r)) == r);
    const QMarginsF m(1, 2, -3, -4);
    QCOMPARE(GPathProcess::mm2Hpgl(m), QMarginsF(40, 80, -120, -160));
    QVERIFY(GPathProcess::hpgl2Mm(GPathProcess::mm2Hpgl(m)) == m);
    const QPolygonF polygon = square();
    QVERIFY(GPathProcess::hpgl2Point(GPathProcess::point2Hpgl(polygon)) == polygon);
    QCOMPARE(GPathProcess::mm2Point(polygon).size(), polygon.size());
}

void TestGPathProcess::rects()
{
    QCOMPARE(GPathProcess::createRectF(QPointF(10, 20), 4), QRectF(8, 18, 4, 4));
    QCOMPARE(GPathProcess::createRectF(QPointF(10, 20), 4, 6), QRectF(8, 17, 4, 6));
}

void TestGPathProcess::transformScale_data()
{
    QTest::addColumn<QTransform>("transform");
    QTest::addColumn<double>("sx");
    QTest::addColumn<double>("sy");
    QTest::newRow("identity") << QTransform() << 1.0 << 1.0;
    QTest::newRow("scaled") << QTransform::fromScale(2, 3) << 2.0 << 3.0;
    QTest::newRow("turned -90") << QTransform().rotate(-90) << 1.0 << 1.0;
    QTest::newRow("turned and zoomed") << QTransform().rotate(-90).scale(4, 4) << 4.0 << 4.0;
    QTest::newRow("turned 30, scaled") << QTransform().rotate(30).scale(2, 5) << 2.0 << 5.0;
    QTest::newRow("mirrored") << QTransform::fromScale(-2, 1) << 2.0 << 1.0;
}

void TestGPathProcess::transformScale()
{
    QFETCH(QTransform, transform);
    QFETCH(double, sx);
    QFETCH(double, sy);
    double x = 0;
    double y = 0;
    GPathProcess::transformScale(transform, x, y);
    QCOMPARE(x, sx);
    QCOMPARE(y, sy);
}

void TestGPathProcess::overcut()
{
    const QPolygonF out = GPathProcess::closeCompensatePolygon(square(), 2.5);
    // The whole closed outline first, through its start again, then 2.5 on along the first edge.
    QCOMPARE(out.mid(0, 5), square());
    QCOMPARE(out.size(), 6);
    QCOMPARE(out.back(), QPointF(2.5, 0));
    QCOMPARE(length(out), 42.5);
    // Beyond the outline's length: one more round at most.
    const QPolygonF twice = GPathProcess::closeCompensatePolygon(square(), 1000);
    QCOMPARE(length(twice), 80.0);
    QCOMPARE(twice.back(), QPointF(0, 0));
}

void TestGPathProcess::overcutLeavesOthersAlone()
{
    const QPolygonF open(QList<QPointF>{{0, 0}, {10, 0}, {10, 10}});
    QCOMPARE(GPathProcess::closeCompensatePolygon(open, 2), open);
    QCOMPARE(GPathProcess::closeCompensatePolygon(square(), 0), square());
    QCOMPARE(GPathProcess::closeCompensatePolygon(square(), -1), square());
    QCOMPARE(GPathProcess::closeCompensatePolygon(square(), std::nan("")), square());
    QCOMPARE(GPathProcess::knifeCompensatePolygon(square(), 0), square());
}

void TestGPathProcess::knifeStraightCorners()
{
    const QPolygonF out = GPathProcess::knifeCompensatePolygon(square(), 1, true);
    const QPolygonF expected(QList<QPointF>{
        {1, 0}, {11, 0}, {10, 1}, {10, 11}, {9, 10}, {-1, 10}, {0, 9}, {0, -1}, {1, 0}});
    QCOMPARE(out, expected);
    QVERIFY(GPathProcess::isClosed(out));
}

void TestGPathProcess::knifeArcs()
{
    const QPolygonF out = GPathProcess::knifeCompensatePolygon(square(), 1);
    QVERIFY(GPathProcess::isClosed(out));
    QVERIFY(out.front() == out.back());
    QCOMPARE(out.front(), QPointF(1, 0));
    // Between the end of an edge and the start of the next the axis swings on the corner's circle.
    const int from = int(out.indexOf(QPointF(11, 0)));
    const int to = int(out.indexOf(QPointF(10, 1)));
    QVERIFY(from >= 0 && to > from + 1);
    for (int i = from; i <= to; ++i)
        QVERIFY(std::fabs(QLineF(out[i], QPointF(10, 0)).length() - 1) < 1e-9);
    // The corner at the start is swung round too.
    QVERIFY(out.indexOf(QPointF(0, -1)) < out.size() - 2);
}

void TestGPathProcess::knifeOpenPath()
{
    const QPolygonF open(QList<QPointF>{{0, 0}, {10, 0}, {10, 0}, {10, 10}});
    const QPolygonF out = GPathProcess::knifeCompensatePolygon(open, 0.5, true);
    QCOMPARE(out.front(), QPointF(0.5, 0));
    QCOMPARE(out.back(), QPointF(10, 10.5));
    QVERIFY(!GPathProcess::isClosed(out));
}

void TestGPathProcess::pathsKeepClosedSubpathsClosed()
{
    QPainterPath path;
    path.addPolygon(square());
    path.addPolygon(QPolygonF(QList<QPointF>{{20, 0}, {30, 0}}));
    path.addPolygon(square().translated(40, 0));
    const QPainterPath knife = GPathProcess::knifeCompensatePath(path, 0.5);
    const QList<QPolygonF> parts = knife.toSubpathPolygons();
    QCOMPARE(parts.size(), 3);
    QVERIFY(GPathProcess::isClosed(parts[0]));
    QVERIFY(!GPathProcess::isClosed(parts[1]));
    QVERIFY(GPathProcess::isClosed(parts[2]));
    const QList<QPolygonF> over = GPathProcess::closeCompensatePath(path, 1).toSubpathPolygons();
    QCOMPARE(over.size(), 3);
    QCOMPARE(over[0].mid(0, 5), square());
    QCOMPARE(over[0].back(), QPointF(1, 0));
    QCOMPARE(over[1], parts.isEmpty() ? QPolygonF() : QPolygonF(QList<QPointF>{{20, 0}, {30, 0}}));
}

DRAVO_TEST_MAIN(TestGPathProcess)
#include "tst_gpathprocess.moc"
