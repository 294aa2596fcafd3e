#include "tests/support/LogCapture.h"
#include "tests/support/TestMain.h"
#include "app/task/TaskThreads.h"

#include <QSemaphore>

// The short-lived threads: a body that starts another (a check pausing the
// task) is not asked to wait for itself, and joinAll waits for both.
class TestTaskThreads : public QObject
{
    Q_OBJECT

private slots:
    void bodyStartsAnother()
    {
        LogCapture log;
        TaskThreads threads;
        QSemaphore done;
        std::atomic<bool> innerStarted{false};
        QVERIFY(threads.run("outer", [&] {
            // Another one first, so that the outer finds a finished thread to sweep besides itself.
            innerStarted = threads.run("inner", [&] { done.release(); }, true);
            innerStarted = innerStarted && threads.run("inner", [&] { done.release(); }, false);
        }, true));
        threads.joinAll();
        QVERIFY(innerStarted);
        QCOMPARE(done.available(), 2);
        QCOMPARE(log.count("Thread tried to wait on itself"), 0);
    }
};

DRAVO_TEST_MAIN(TestTaskThreads)
#include "tst_taskthreads.moc"
