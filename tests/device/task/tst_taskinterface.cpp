// The step sequencer alone, without a driver: how a list runs and ends,
// waits for the driver, and takes pause, resume and stop at its next pass.
#include "tests/support/TestMain.h"
#include "device/task/TaskInterface.h"

#include <QRegularExpression>
#include <QSemaphore>
#include <QThread>
#include <atomic>

namespace {
// A worker whose driver readiness the test sets; start() runs its own list
// on a thread of its own, as the driver does.
class Sequencer : public taskInterface
{
public:
    Sequencer(int status = Running) : taskInterface(nullptr) { setTaskStatus(status); }
    ~Sequencer() override { thread.wait(); }
    using taskInterface::m_pausedSleep;
    std::atomic<bool> ready{true};
    QThread thread;
    void start(const StepList &steps)
    {
        m_steps = steps;
        moveToThread(&thread);
        QObject::connect(&thread, &QThread::started, this, &taskInterface::onWork);
        thread.start();
    }

protected:
    bool deviceReady() const override { return ready.load(); }
};
} // namespace

class TestTaskInterface : public QObject
{
    Q_OBJECT

private slots:
    void endOfList_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QList<int>>("jumps"); // what each step sets its index to
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("calls");
        QTest::newRow("runs to its end") << 1 << QList<int>{1, 2, 3} << true << 3;
        QTest::newRow("jump ahead") << 1 << QList<int>{2, 0, 3} << true << 2;
        QTest::newRow("ended by a step") << 1 << QList<int>{1, taskInterface::kEndStep, 3} << false << 2;
        QTest::newRow("index before the list") << 1 << QList<int>{-1, 2} << false << 1;
        QTest::newRow("stopped before the start") << 2 << QList<int>{1} << false << 0;
    }
    void endOfList()
    {
        QFETCH(int, status);
        QFETCH(QList<int>, jumps);
        QFETCH(bool, result);
        QFETCH(int, calls);
        Sequencer worker(status);
        int called = 0;
        taskInterface::StepList steps;
        for (int target : jumps)
            steps << [&called, target](int &step) {
                ++called;
                step = target;
            };
        if (jumps.contains(-1))
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("step index out of range -1"));
        QCOMPARE(worker.doWork(steps), result);
        QCOMPARE(called, calls);
    }

    // No step runs in a status the loop does not know (logged once, slept
    // through) nor before the driver's first initial reads. The waits look
    // for steps that should not come.
    void noStepWhileUnknownOrNotReady()
    {
        Sequencer worker(5);
        worker.ready = false;
        std::atomic<int> called{0};
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("unidentifiable taskStatus: +5$"));
        worker.start({[&](int &step) { step += ++called; }});
        QTest::qWait(300);
        worker.setTaskStatus(taskInterface::Running);
        QTest::qWait(300);
        QCOMPARE(called.load(), 0);
        worker.ready = true;
        QVERIFY(worker.thread.wait(10000));
        QCOMPARE(called.load(), 1);
    }

    // Pause and resume come from another thread while a step that stays runs
    // every 100 ms; each reaches the list at its next pass, and the resume
    // cuts short the paused pass's sleep (a minute here, against a wait of 20 s
    // for the resumed step: a test about the wait).
    void pauseResumeStop()
    {
        Sequencer worker;
        worker.m_pausedSleep = 60000;
        std::atomic<int> passes{0};
        worker.start({[&](int &) { ++passes; }});
        QTRY_VERIFY(passes.load() >= 2);
        worker.setTaskStatus(taskInterface::Paused);
        QTest::qWait(150);
        const int paused = passes.load();
        QTest::qWait(400);
        QCOMPARE(passes.load(), paused);
        worker.setTaskStatus(taskInterface::Running);
        QTRY_VERIFY_WITH_TIMEOUT(passes.load() > paused, 20000);
        worker.setTaskStatus(taskInterface::Stopped);
    }

    // A running step finishes before the stop takes effect; a nested list
    // that reads the same status ends with its outer list.
    void stopWaitsForTheRunningStepAndEndsNestedLists()
    {
        Sequencer worker;
        QSemaphore inStep, release;
        std::atomic<bool> nestedResult{true};
        std::atomic<int> outerAfter{-1};
        const taskInterface::StepList inner{[&](int &) {
            inStep.release();
            release.acquire();
        }};
        worker.start({[&](int &step) {
                          taskInterface::StepList nested = inner;
                          nestedResult = worker.doWork(nested);
                          outerAfter = step;
                      },
                      [](int &step) { ++step; }});
        QVERIFY(inStep.tryAcquire(1, 5000));
        worker.setTaskStatus(taskInterface::Stopped);
        QVERIFY(!worker.thread.wait(100)); // the step is not cut off
        release.release();
        QVERIFY(worker.thread.wait(5000));
        QVERIFY(!nestedResult);
        QCOMPARE(outerAfter.load(), 0);
    }
};

DRAVO_TEST_MAIN(TestTaskInterface)
#include "tst_taskinterface.moc"
