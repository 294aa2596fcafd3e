#include "platform/graphics/paths/CutOrder.h"
#include "tests/support/TestMain.h"

#include <QRandomGenerator>
#include <algorithm>
#include <numeric>

namespace {

using Order = std::vector<int>;

CutOrder::Piece piece(QPolygonF outline)
{
    return {outline.boundingRect(), outline.value(0), outline.value(outline.size() - 1), outline};
}

CutOrder::Piece square(double x, double y, double size)
{
    return piece(QList<QPointF>{{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}, {x, y}});
}

CutOrder::Piece line(QPointF from, QPointF to)
{
    return piece(QList<QPointF>{from, to});
}

Order ascending(size_t n)
{
    Order order(n);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

bool isPermutation(Order order, size_t n)
{
    std::sort(order.begin(), order.end());
    return order == ascending(n);
}

} // namespace

class TestCutOrder : public QObject
{
    Q_OBJECT
private slots:
    void keepsEveryPiece();
    void orders();
    void farPilesAndLinesStayBounded();
};

void TestCutOrder::keepsEveryPiece()
{
    QRandomGenerator random(12);
    std::vector<CutOrder::Piece> pieces;
    for (int i = 0; i < 3000; ++i) {
        const double x = random.bounded(1000.0);
        const double y = random.bounded(500.0);
        pieces.push_back(i % 3 ? square(x, y, 1 + random.bounded(40.0)) : line({x, y}, {x + 5, y}));
    }
    pieces.insert(pieces.end(), {square(0, 0, 0), CutOrder::Piece()}); // degenerate pieces count too
    for (const CutOrder::Options options : {CutOrder::Options{false, false}, {true, false}, {false, true}, {true, true}}) {
        QVERIFY(isPermutation(CutOrder::sort(pieces, options), pieces.size()));
        QVERIFY(CutOrder::sort({}, options).empty());
    }
}

void TestCutOrder::orders()
{
    QCOMPARE(CutOrder::sort({square(30, 0, 5), square(10, 20, 5), square(10, 5, 5)}, {}), (Order{2, 1, 0}));
    // From the origin always on to the nearest start from where the knife stopped.
    const std::vector<CutOrder::Piece> lines{line({50, 0}, {60, 0}), line({1, 0}, {40, 0}), line({41, 0}, {45, 0}),
                                             line({100, 100}, {0, 1})};
    QCOMPARE(CutOrder::sort(lines, {true, false}), (Order{1, 2, 0, 3}));
    // Inside first: three nested squares listed outside in, next to a lone one.
    const Order order = CutOrder::sort({square(0, 0, 100), square(10, 10, 50), square(20, 20, 10), square(200, 0, 20),
                                        line({70, 70}, {80, 80})}, {false, true});
    // The slit inside the outline is cut before it too; only the lone one may follow.
    QVERIFY(order == (Order{2, 1, 4, 0, 3}) || order == (Order{4, 2, 1, 0, 3}) || order == (Order{2, 4, 1, 0, 3}));
    // Inside the outline's bounds but outside the outline itself: no constraint.
    const CutOrder::Piece ell = piece(QList<QPointF>{{0, 0}, {100, 0}, {100, 10}, {10, 10}, {10, 100}, {0, 100}, {0, 0}});
    QCOMPARE(CutOrder::sort({ell, square(50, 50, 10)}, {false, true}), (Order{0, 1}));
}

void TestCutOrder::farPilesAndLinesStayBounded()
{
    // The work is counted, not timed: a search past its budget says so in the log.
    QTest::failOnWarning(QRegularExpression("start-point order given up"));
    // Far from the origin (a file's coordinates may reach 2^31 plotter units) the order holds.
    std::vector<CutOrder::Piece> far;
    for (int i = 0; i < 2000; ++i) {
        const QPointF at(1.5e8 + (i * 7919) % 2000, 1e8 + 3.0 * ((i * 104729) % 2000));
        far.push_back(line(at, at));
    }
    QVERIFY(isPermutation(CutOrder::sort(far, {true, false, 500000}), far.size()));
    // Every start at one spot away from the origin: cells of 1e-9, the knife billions of cells off.
    const std::vector<CutOrder::Piece> pile(100000, square(5, 5, 1));
    QVERIFY(isPermutation(CutOrder::sort(pile, {true, true}), pile.size()));
    // Starts along one line make a flat grid: its columns are bounded before they are counted.
    std::vector<CutOrder::Piece> flat;
    for (int i = 0; i < 1000; ++i)
        flat.push_back(line({i * 1e6, 0}, {i * 1e6, 0}));
    QCOMPARE(CutOrder::sort(flat, {true, false}), ascending(flat.size()));
    std::vector<CutOrder::Piece> nested;
    for (int i = 0; i < 5000; ++i)
        nested.push_back(square(i, i, 20000 - 2 * i));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CutOrder::sort inside-first order given up"));
    QVERIFY(isPermutation(CutOrder::sort(nested, {true, true, 2000000}), nested.size()));
}

DRAVO_TEST_MAIN(TestCutOrder)
#include "tst_cutorder.moc"
