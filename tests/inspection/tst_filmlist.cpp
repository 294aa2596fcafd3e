#include "FilmList.h"
#include "TestMain.h"

#include <QRegularExpression>
#include <QThread>

namespace {

FilmRecord scanned(double x, float diameter, const QString &text = QString())
{
    FilmRecord r;
    r.image = QImage(320, 240, QImage::Format_RGB32);
    r.x = x;
    r.y = 20;
    r.diameter = diameter;
    r.text = text;
    return r;
}

QList<float> diameters(const FilmList &films)
{
    QList<float> d;
    for (const FilmRecord &r : films.records())
        d << r.diameter;
    return d;
}

} // namespace

class TestFilmList : public QObject
{
    Q_OBJECT
private slots:
    void freshRecordsAreEmpty();
    void scanGoesToRecordZeroAndTheMark_data();
    void scanGoesToRecordZeroAndTheMark();
    void markIndexBeyondTheRecords();
    void clear_data();
    void clear();
    void clearWhileScanning();
};

void TestFilmList::freshRecordsAreEmpty()
{
    FilmList films;
    QCOMPARE(films.records().size(), 5);
    QCOMPARE(diameters(films), QList<float>(5, -1.0f));
    const FilmRecord r = films.at(0);
    QVERIFY(r.image.isNull());
    QCOMPARE(r.x, 0.0);
    QVERIFY(r.text.isEmpty());
    QVERIFY(r.points.isEmpty());
    QCOMPARE(films.at(9).diameter, -1.0f);
    QCOMPARE(films.at(-1).diameter, -1.0f);
}

void TestFilmList::scanGoesToRecordZeroAndTheMark_data()
{
    QTest::addColumn<int>("markIndex");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QList<float>>("expected");
    QTest::newRow("outside a task") << 2 << false << QList<float>{35, -1, -1, -1, -1};
    QTest::newRow("no mark sequence") << 0 << true << QList<float>{35, -1, -1, -1, -1};
    QTest::newRow("mark 1") << 1 << true << QList<float>{35, 35, -1, -1, -1};
    QTest::newRow("mark 4") << 4 << true << QList<float>{35, -1, -1, -1, 35};
}

void TestFilmList::scanGoesToRecordZeroAndTheMark()
{
    QFETCH(int, markIndex);
    QFETCH(bool, running);
    QFETCH(QList<float>, expected);
    FilmList films;
    QVERIFY(films.storeScan(scanned(10, 35, QStringLiteral("1a")), markIndex, running));
    QCOMPARE(diameters(films), expected);
    QCOMPARE(films.at(0).text, QStringLiteral("1a"));
    if (markIndex > 0 && running)
        QCOMPARE(films.at(markIndex).x, 10.0);
}

void TestFilmList::markIndexBeyondTheRecords()
{
    FilmList films;
    for (int index : {5, 6, 1000}) {
        QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("FilmList::storeScan mark index %1 has no film record").arg(index)));
        QVERIFY(!films.storeScan(scanned(index, 35), index, true));
        QCOMPARE(films.at(0).x, double(index)); // the latest scan is still shown
    }
    QCOMPARE(diameters(films), (QList<float>{35, -1, -1, -1, -1}));
    QVERIFY(films.storeScan(scanned(1, 0), -3, true)); // a negative index is "no sequence"
}

void TestFilmList::clear_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QList<float>>("expected");
    QTest::newRow("record 0") << 0 << true << QList<float>{-1, 35, 0, -1, -1};
    QTest::newRow("record 2 (no mark)") << 2 << true << QList<float>{35, 35, -1, -1, -1};
    QTest::newRow("already cleared") << 3 << false << QList<float>{35, 35, 0, -1, -1};
    QTest::newRow("all") << -1 << true << QList<float>(5, -1.0f);
    QTest::newRow("past the end") << 5 << false << QList<float>{35, 35, 0, -1, -1};
    QTest::newRow("below -1") << -2 << false << QList<float>{35, 35, 0, -1, -1};
}

void TestFilmList::clear()
{
    QFETCH(int, index);
    QFETCH(bool, changed);
    QFETCH(QList<float>, expected);
    FilmList films;
    films.storeScan(scanned(1, 0), 2, true);
    films.storeScan(scanned(1, 35), 1, true);
    QCOMPARE(films.clear(index), changed);
    QCOMPARE(diameters(films), expected);
    QVERIFY(!films.clear(index)); // nothing more to clear
    QCOMPARE(films.at(1).image.size(), QSize(320, 240)); // only the value is cleared
}

void TestFilmList::clearWhileScanning()
{
    // The driver clears from its threads while the GUI thread scans.
    FilmList films;
    std::unique_ptr<QThread> clearer(QThread::create([&films] {
        for (int i = 0; i < 20000; ++i)
            films.clear(i % 2 ? 0 : -1);
    }));
    clearer->start();
    for (int i = 0; i < 20000; ++i)
        films.storeScan(scanned(i, 35), 1 + i % 4, true);
    QVERIFY(clearer->wait(10000));
    QCOMPARE(films.records().size(), 5);
}

DRAVO_TEST_MAIN(TestFilmList)
#include "tst_filmlist.moc"
