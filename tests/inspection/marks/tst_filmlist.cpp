#include "inspection/marks/FilmList.h"
#include "tests/support/TestMain.h"

#include <QThread>

// How the overlay's records follow the scans is tested through the
// application object; here the bounds and the lock.
class TestFilmList : public QObject
{
    Q_OBJECT
private slots:
    // A mark index past the five records writes only the latest scan's; one
    // record or all (-1) are cleared, their images kept; an index outside does nothing.
    void boundsAndClear()
    {
        FilmList films;
        auto diameters = [&films] {
            QList<float> d;
            for (const FilmRecord &r : films.records())
                d << r.diameter;
            return d;
        };
        for (int index : {5, 1000}) {
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("FilmList::storeScan mark index %1 "
                                                                         "has no film record").arg(index)));
            QVERIFY(!films.storeScan(FilmRecord{QImage(), double(index), 0, 35, {}, {}}, index, true));
            QCOMPARE(films.at(0).x, double(index));
        }
        QCOMPARE(diameters(), (QList<float>{35, -1, -1, -1, -1}));
        QVERIFY(films.at(9).diameter == -1.0f && films.at(-1).diameter == -1.0f);
        for (int mark = -3; mark < 5; ++mark)
            QVERIFY(films.storeScan(FilmRecord{QImage(320, 240, QImage::Format_RGB32), 1, 0, 35, {}, {}}, mark, true));
        QVERIFY(!films.clear(5) && !films.clear(-2));
        QVERIFY(films.clear(3) && !films.clear(3));
        QCOMPARE(diameters(), (QList<float>{35, 35, 35, -1, 35}));
        QVERIFY(films.clear(-1) && !films.clear(-1));
        QCOMPARE(diameters(), QList<float>(5, -1.0f));
        QCOMPARE(films.at(3).image.size(), QSize(320, 240));
    }

    // The driver clears from its threads while the GUI thread scans.
    void clearWhileScanning()
    {
        FilmList films;
        std::unique_ptr<QThread> clearer(QThread::create([&films] {
            for (int i = 0; i < 20000; ++i)
                films.clear(i % 2 ? 0 : -1);
        }));
        clearer->start();
        for (int i = 0; i < 20000; ++i)
            films.storeScan(FilmRecord{QImage(), double(i), 0, 35, {}, {}}, 1 + i % 4, true);
        QVERIFY(clearer->wait(60000));
        QCOMPARE(films.records().size(), 5);
    }
};

DRAVO_TEST_MAIN(TestFilmList)
#include "tst_filmlist.moc"
