// The fit of the cut data to the scanned marks.
#include "GPathProcess.h"
#include "MarkFit.h"
#include "TestMain.h"

#include <QTest>
#include <cmath>

namespace {
// Four marks at the corners of a 200 x 100 mm marked area, HPGL units.
const QPolygonF kNominal({QPointF(0, 0), QPointF(8000, 0), QPointF(8000, 4000), QPointF(0, 4000)});
const QSizeF kPage(200, 100);

// The nominal marks as printed: turned by degrees about the first mark,
// scaled, then shifted (HPGL units).
QPolygonF printed(double degrees, double scale, QPointF shift)
{
    QTransform t;
    t.translate(shift.x(), shift.y());
    t.rotate(degrees);
    t.scale(scale, scale);
    return t.map(kNominal);
}

struct Messages
{
    static inline QList<QPair<QtMsgType, QString>> lines;
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &text) { lines.append({type, text}); }
};
} // namespace

class TestMarkFit : public QObject
{
    Q_OBJECT
private slots:
    void fitsThePrintedPage_data();
    void fitsThePrintedPage();
    void refusesMarksWithoutAFit_data();
    void refusesMarksWithoutAFit();
    void otherMarkCountsKeepTheIdentity();
    void measureNeedsEveryMark();
    void translationFollowsTheCoordinateMode();
};

void TestMarkFit::fitsThePrintedPage_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPointF>("shift");
    QTest::addColumn<bool>("withinBounds");
    QTest::newRow("0.1 mm along the web") << 0.0 << 1.0 << QPointF(4, 0) << true;
    QTest::newRow("turned 2 degrees") << 2.0 << 1.0 << QPointF(0, 0) << true;
    QTest::newRow("turned 5 degrees") << 5.0 << 1.0 << QPointF(40, -20) << false;
    QTest::newRow("1 % larger") << 0.0 << 1.01 << QPointF(0, 0) << true;   // 2 mm over 200 mm
    QTest::newRow("3 % larger") << 0.0 << 1.03 << QPointF(0, 0) << false;  // 6 mm over 200 mm
}

void TestMarkFit::fitsThePrintedPage()
{
    QFETCH(double, degrees);
    QFETCH(double, scale);
    QFETCH(QPointF, shift);
    QFETCH(bool, withinBounds);

    QList<QPointF> offsets;
    const QPolygonF marks = printed(degrees, scale, shift);
    for (int i = 0; i < 4; ++i)
        offsets << marks.at(i) - kNominal.at(i);
    QPolygonF measured;
    QVERIFY(MarkFit::measure(kNominal, offsets, &measured));
    QTransform t;
    QVERIFY(MarkFit::fit(kNominal, measured, &t));

    // Every nominal point lands on its printed place.
    const QPolygonF mapped = t.map(GPathProcess::hpgl2Point(kNominal));
    const QPolygonF expected = GPathProcess::hpgl2Point(marks);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(QLineF(mapped.at(i), expected.at(i)).length() < 1e-6, qPrintable(QString::number(i)));

    const MarkFit::Quality q = MarkFit::quality(t, kPage);
    QVERIFY2(qAbs(q.angle - degrees) < 1e-6, qPrintable(QString::number(q.angle)));
    QVERIFY(qAbs(q.scaleX - scale) < 1e-6);
    QVERIFY(qAbs(q.scaleY - scale) < 1e-6);
    QVERIFY(qAbs(q.dtX - 200 * (scale - 1)) < 1e-6);
    QVERIFY(qAbs(q.dtY - 100 * (scale - 1)) < 1e-6);
    QCOMPARE(q.withinBounds(), withinBounds);

    Messages::lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(&Messages::handler);
    MarkFit::report(offsets, {140, 140, 140, 140}, measured, kNominal, q);
    qInstallMessageHandler(previous);
    QCOMPARE(Messages::lines.size(), 4);
    for (const auto &line : Messages::lines) {
        QCOMPARE(line.first, withinBounds ? QtInfoMsg : QtCriticalMsg);
        QVERIFY(line.second.startsWith(QStringLiteral("TaskWorker::taskScanOK ")));
    }
    QVERIFY(Messages::lines.last().second.contains(QStringLiteral("angle:")));
}

void TestMarkFit::refusesMarksWithoutAFit_data()
{
    QTest::addColumn<QPolygonF>("measured");
    QTest::newRow("three in a row") << QPolygonF({QPointF(0, 0), QPointF(4000, 0), QPointF(8000, 0), QPointF(0, 4000)});
    QTest::newRow("two on one spot") << QPolygonF({QPointF(0, 0), QPointF(0, 0), QPointF(8000, 4000), QPointF(0, 4000)});
    QTest::newRow("a mark short") << QPolygonF({QPointF(0, 0), QPointF(8000, 0), QPointF(8000, 4000)});
}

void TestMarkFit::refusesMarksWithoutAFit()
{
    QFETCH(QPolygonF, measured);
    const QTransform before = QTransform::fromTranslate(7, 9);
    QTransform t = before;
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^MarkFit::fit ")));
    QVERIFY(!MarkFit::fit(kNominal, measured, &t));
    QCOMPARE(t, before);
}

void TestMarkFit::otherMarkCountsKeepTheIdentity()
{
    const QPolygonF two({QPointF(0, 0), QPointF(0, 4000)});
    QTransform t = QTransform::fromTranslate(7, 9);
    QVERIFY(MarkFit::fit(two, QPolygonF({QPointF(3, 1), QPointF(5, 4002)}), &t));
    QVERIFY(t.isIdentity());
}

void TestMarkFit::measureNeedsEveryMark()
{
    QPolygonF measured({QPointF(1, 1)});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^MarkFit::measure 4 marks, 3 scanned")));
    QVERIFY(!MarkFit::measure(kNominal, {QPointF(), QPointF(), QPointF()}, &measured));
    QVERIFY(measured.isEmpty());
    // Extra scans (a final check scan) are not part of the fit.
    QVERIFY(MarkFit::measure(kNominal, {QPointF(4, 0), QPointF(4, 0), QPointF(4, 0), QPointF(4, 0), QPointF(99, 99)},
                             &measured));
    QCOMPARE(measured.size(), 4);
    QCOMPARE(measured.at(2), QPointF(8004, 4000));
}

void TestMarkFit::translationFollowsTheCoordinateMode()
{
    const QPointF p = GPathProcess::hpgl2Point(QPointF(40, 80));
    QCOMPARE(MarkFit::translation(QPointF(40, 80), false).map(QPointF(0, 0)), p);
    QCOMPARE(MarkFit::translation(QPointF(40, 80), true).map(QPointF(0, 0)), QPointF(p.x(), -p.y()));
}

DRAVO_TEST_MAIN(TestMarkFit)
#include "tst_markfit.moc"
