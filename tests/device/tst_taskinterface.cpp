// The step sequencer alone, without a driver: how a list runs, ends, waits
// for the driver, and takes pause, resume and stop at its next pass.
#include "TaskInterface.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSemaphore>
#include <QThread>
#include <atomic>

namespace {

// A worker whose driver readiness the test sets, running its own list on a
// thread of its own as the driver does.
class Sequencer : public taskInterface
{
public:
    Sequencer() : taskInterface(nullptr) {}
    ~Sequencer() override { thread.wait(); }
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
        QTest::addColumn<QList<int>>("jumps"); // what each step sets its index to; 99 restarts
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("calls");
        QTest::newRow("empty") << 1 << QList<int>{} << true << 0;
        QTest::newRow("runs to its end") << 1 << QList<int>{1, 2, 3} << true << 3;
        QTest::newRow("jump ahead") << 1 << QList<int>{2, 0, 3} << true << 2;
        QTest::newRow("ended by a step") << 1 << QList<int>{1, taskInterface::kEndStep, 3} << false << 2;
        QTest::newRow("index before the list") << 1 << QList<int>{-1, 2} << false << 1;
        QTest::newRow("stopped before the start") << 2 << QList<int>{1} << false << 0;
        QTest::newRow("restarts until stopped at the third round") << 1 << QList<int>{1, 99} << false << 6;
    }

    void endOfList()
    {
        QFETCH(int, status);
        QFETCH(QList<int>, jumps);
        QFETCH(bool, result);
        QFETCH(int, calls);
        Sequencer worker;
        worker.setTaskStatus(status);
        int called = 0;
        taskInterface::StepList steps;
        for (int target : jumps)
            steps << [&, target](int &step) {
                if (++called == 6)
                    worker.setTaskStatus(taskInterface::Stopped);
                if (target == 99)
                    worker.taskRestart(step);
                else
                    step = target;
            };
        if (jumps.contains(-1))
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("step index out of range -1"));
        QCOMPARE(worker.doWork(steps), result);
        QCOMPARE(called, calls);
    }

    // A step that stays runs again 100 ms later (a bound from below only).
    void stepThatStaysRunsAgain()
    {
        Sequencer worker;
        worker.setTaskStatus(taskInterface::Running);
        int tries = 0;
        taskInterface::StepList steps{[&](int &step) { step += ++tries == 3 ? 1 : 0; }};
        QElapsedTimer clock;
        clock.start();
        QVERIFY(worker.doWork(steps));
        QCOMPARE(tries, 3);
        QVERIFY(clock.elapsed() >= 190);
    }

    // No step runs before the driver's first initial reads, nor in a status
    // the loop does not know (which it logs and sleeps through). The waits
    // look for steps that should not come.
    void noStepWhileNotReadyOrUnknown()
    {
        Sequencer worker;
        worker.ready = false;
        worker.setTaskStatus(5);
        std::atomic<int> called{0};
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("unidentifiable taskStatus: +5$"));
        worker.start({[&](int &step) {
            ++called;
            ++step;
        }});
        QTest::qWait(300);
        worker.setTaskStatus(taskInterface::Running);
        QTest::qWait(300);
        QCOMPARE(called.load(), 0);
        worker.ready = true;
        QVERIFY(worker.thread.wait(10000));
        QCOMPARE(called.load(), 1);
    }

    // Pause, resume and stop come from other threads while the list runs;
    // each reaches it at its next pass, and a waiting pass is cut short:
    // the paused pass sleeps a second, which neither resume nor stop waits out.
    void pauseResumeStop()
    {
        Sequencer worker;
        worker.setTaskStatus(taskInterface::Running);
        std::atomic<int> passes{0};
        worker.start({[&](int &) { ++passes; }}); // stays: runs every 100 ms
        QTRY_VERIFY(passes.load() >= 2);
        worker.setTaskStatus(taskInterface::Paused);
        QTest::qWait(150);
        const int paused = passes.load();
        QTest::qWait(400);
        QCOMPARE(passes.load(), paused);

        QElapsedTimer clock;
        clock.start();
        worker.setTaskStatus(taskInterface::Running);
        QTRY_VERIFY_WITH_TIMEOUT(passes.load() > paused, 5000);
        QVERIFY(clock.elapsed() < 900);
        worker.setTaskStatus(taskInterface::Paused);
        QTest::qWait(150);
        clock.restart();
        worker.setTaskStatus(taskInterface::Stopped);
        QVERIFY(worker.thread.wait(5000));
        QVERIFY(clock.elapsed() < 900);
    }

    // A step that is running finishes before the stop takes effect; a nested
    // list that reads the same status ends with its outer list.
    void stopWaitsForTheRunningStepAndEndsNestedLists()
    {
        Sequencer worker;
        worker.setTaskStatus(taskInterface::Running);
        QSemaphore inStep, release;
        std::atomic<bool> stepFinished{false}, nestedResult{true};
        std::atomic<int> outerAfter{-1};
        worker.start({[&](int &step) {
                          taskInterface::StepList inner{[&](int &) {
                              inStep.release();
                              release.acquire();
                              stepFinished = true;
                          }};
                          nestedResult = worker.doWork(inner);
                          outerAfter = step;
                      },
                      [](int &step) { ++step; }});
        QVERIFY(inStep.tryAcquire(1, 5000));
        worker.setTaskStatus(taskInterface::Stopped);
        QVERIFY(!worker.thread.wait(100)); // the step is not cut off
        release.release();
        QVERIFY(worker.thread.wait(5000));
        QVERIFY(stepFinished && !nestedResult);
        QCOMPARE(outerAfter.load(), 0);
    }
};

DRAVO_TEST_MAIN(TestTaskInterface)
#include "tst_taskinterface.moc"
