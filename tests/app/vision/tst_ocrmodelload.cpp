#include "tests/support/TestMain.h"
#include "app/vision/OcrModelLoad.h"

#include <QThread>
#include <atomic>
#include <future>
#include <memory>

// The models' load on a thread of its own: it runs once, whoever starts it;
// every reader waiting for it wakes only once it is over, with its result,
// also a reader that came before anybody started it.
class TestOcrModelLoad : public QObject
{
    Q_OBJECT
private slots:
    void waitersWakeWhenTheLoadIsOver_data()
    {
        QTest::addColumn<bool>("loads");
        QTest::addColumn<bool>("started");
        QTest::newRow("loaded") << true << true;
        QTest::newRow("refused") << false << true;
        QTest::newRow("started by a waiter") << true << false;
    }
    void waitersWakeWhenTheLoadIsOver()
    {
        QFETCH(bool, loads);
        QFETCH(bool, started);
        std::promise<void> release;
        std::shared_future<void> released(release.get_future());
        std::atomic<int> runs{0};
        std::atomic<bool> over{false};
        OcrModelLoad load([&] {
            ++runs;
            released.wait();
            over = true;
            return loads;
        });
        if (started)
            load.start();
        std::atomic<int> woken{0}, early{0}, results{0};
        std::vector<std::unique_ptr<QThread>> readers;
        for (int i = 0; i < 3; ++i) {
            readers.emplace_back(QThread::create([&] {
                const bool ready = load.wait();
                early += over ? 0 : 1;
                results += ready ? 1 : 0;
                ++woken;
            }));
            readers.back()->start();
        }
        QTRY_COMPARE_WITH_TIMEOUT(runs.load(), 1, 10000);
        QVERIFY(!load.isOver() && woken == 0);
        release.set_value();
        for (const auto &reader : readers)
            QVERIFY(reader->wait(10000));
        QVERIFY(load.isOver());
        QCOMPARE(QList<int>({runs, woken, early, results}), QList<int>({1, 3, 0, loads ? 3 : 0}));
        load.start(); // over: nothing runs again
        QCOMPARE(load.wait(), loads);
        QCOMPARE(runs.load(), 1);
    }
};

DRAVO_TEST_MAIN(TestOcrModelLoad)
#include "tst_ocrmodelload.moc"
