#include "CutOrder.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>

namespace {

CutOrder::Piece squarePiece(double x, double y, double size)
{
    CutOrder::Piece p;
    p.outline = QPolygonF(QList<QPointF>{{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}, {x, y}});
    p.bounds = QRectF(x, y, size, size);
    p.start = p.end = QPointF(x, y);
    return p;
}

CutOrder::Piece linePiece(QPointF from, QPointF to)
{
    CutOrder::Piece p;
    p.outline = QPolygonF(QList<QPointF>{from, to});
    p.bounds = QRectF(from, to).normalized();
    p.start = from;
    p.end = to;
    return p;
}

bool isPermutation(std::vector<int> order, size_t n)
{
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] != int(i))
            return false;
    }
    return order.size() == n;
}

int position(const std::vector<int> &order, int piece)
{
    return int(std::find(order.begin(), order.end(), piece) - order.begin());
}

} // namespace

class TestCutOrder : public QObject
{
    Q_OBJECT
private slots:
    void keepsEveryPiece_data();
    void keepsEveryPiece();
    void alongTheWeb();
    void byStartPoint();
    void insideFirst();
    void insideNeedsTheOutline();
    void pilesStayBounded();
};

void TestCutOrder::keepsEveryPiece_data()
{
    QTest::addColumn<bool>("startPoint");
    QTest::addColumn<bool>("inside");
    QTest::newRow("along the web") << false << false;
    QTest::newRow("start point") << true << false;
    QTest::newRow("inside first") << false << true;
    QTest::newRow("both") << true << true;
}

void TestCutOrder::keepsEveryPiece()
{
    QFETCH(bool, startPoint);
    QFETCH(bool, inside);
    QRandomGenerator random(12);
    std::vector<CutOrder::Piece> pieces;
    for (int i = 0; i < 3000; ++i) {
        const double x = random.bounded(1000.0);
        const double y = random.bounded(500.0);
        pieces.push_back(i % 3 ? squarePiece(x, y, 1 + random.bounded(40.0)) : linePiece({x, y}, {x + 5, y}));
    }
    pieces.push_back(squarePiece(0, 0, 0)); // degenerate pieces count too
    pieces.push_back(CutOrder::Piece());
    const std::vector<int> order = CutOrder::sort(pieces, {startPoint, inside});
    QVERIFY(isPermutation(order, pieces.size()));
    QVERIFY(isPermutation(CutOrder::sort({}, {startPoint, inside}), 0));
}

void TestCutOrder::alongTheWeb()
{
    const std::vector<CutOrder::Piece> pieces{squarePiece(30, 0, 5), squarePiece(10, 20, 5), squarePiece(10, 5, 5)};
    QCOMPARE(CutOrder::sort(pieces, {}), (std::vector<int>{2, 1, 0}));
}

// From the origin always on to the nearest start from where the knife stopped.
void TestCutOrder::byStartPoint()
{
    const std::vector<CutOrder::Piece> pieces{linePiece({50, 0}, {60, 0}), linePiece({1, 0}, {40, 0}),
                                              linePiece({41, 0}, {45, 0}), linePiece({100, 100}, {0, 1})};
    QCOMPARE(CutOrder::sort(pieces, {true, false}), (std::vector<int>{1, 2, 0, 3}));
    // Far from the origin (a file's coordinates may reach 2^31 plotter units) the order holds.
    std::vector<CutOrder::Piece> far;
    for (int i = 0; i < 2000; ++i)
        far.push_back(linePiece({1.5e8 + (i * 7919) % 2000, 1e8 + 3.0 * ((i * 104729) % 2000)},
                                {1.5e8 + (i * 7919) % 2000, 1e8 + 3.0 * ((i * 104729) % 2000)}));
    CutOrder::Options tight{true, false, 500000};
    QTest::failOnWarning(QRegularExpression("given up"));
    const std::vector<int> order = CutOrder::sort(far, tight);
    QVERIFY(isPermutation(order, far.size()));
}

void TestCutOrder::insideFirst()
{
    // Three nested squares listed outside in, next to a lone one.
    const std::vector<CutOrder::Piece> pieces{squarePiece(0, 0, 100), squarePiece(10, 10, 50), squarePiece(20, 20, 10),
                                              squarePiece(200, 0, 20), linePiece({70, 70}, {80, 80})};
    const std::vector<int> order = CutOrder::sort(pieces, {false, true});
    QVERIFY(isPermutation(order, pieces.size()));
    QVERIFY(position(order, 2) < position(order, 1));
    QVERIFY(position(order, 1) < position(order, 0));
    QVERIFY(position(order, 4) < position(order, 0)); // a slit inside the outline is cut before it
    QVERIFY(position(order, 0) < position(order, 3));
}

// Inside the outline's bounds but outside the outline itself: no constraint.
void TestCutOrder::insideNeedsTheOutline()
{
    CutOrder::Piece ell;
    ell.outline = QPolygonF(QList<QPointF>{{0, 0}, {100, 0}, {100, 10}, {10, 10}, {10, 100}, {0, 100}, {0, 0}});
    ell.bounds = ell.outline.boundingRect();
    ell.start = ell.end = QPointF(0, 0);
    const std::vector<CutOrder::Piece> pieces{ell, squarePiece(50, 50, 10)};
    QCOMPARE(CutOrder::sort(pieces, {false, true}), (std::vector<int>{0, 1}));
}

void TestCutOrder::pilesStayBounded()
{
    std::vector<CutOrder::Piece> pile(100000, squarePiece(5, 5, 1));
    std::vector<CutOrder::Piece> nested;
    for (int i = 0; i < 5000; ++i)
        nested.push_back(squarePiece(i, i, 20000 - 2 * i));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(isPermutation(CutOrder::sort(pile, {true, true}), pile.size()));
    CutOrder::Options tight{true, true, 2000000};
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CutOrder::sort inside-first order given up"));
    QVERIFY(isPermutation(CutOrder::sort(nested, tight), nested.size()));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
}

DRAVO_TEST_MAIN(TestCutOrder)
#include "tst_cutorder.moc"
