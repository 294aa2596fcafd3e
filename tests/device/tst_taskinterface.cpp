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

// A worker whose driver readiness the test sets.
class Sequencer : public taskInterface
{
public:
    Sequencer() : taskInterface(nullptr) {}
    std::atomic<bool> ready{true};
    StepList &steps() { return m_steps; }
    void setStepInterval(int ms) { m_stepInterval = ms; }

protected:
    bool deviceReady() const override { return ready.load(); }
};

// Runs the worker's own list on a thread of its own, as the driver does.
struct WorkerThread
{
    QThread thread;
    std::atomic<bool> result{false};
    explicit WorkerThread(Sequencer &worker)
    {
        worker.moveToThread(&thread);
        QObject::connect(&thread, &QThread::started, &worker, &taskInterface::onWork);
        thread.start();
    }
    ~WorkerThread() { thread.wait(); }
};

} // namespace

class TestTaskInterface : public QObject
{
    Q_OBJECT

private slots:
    void endOfList_data()
    {
        QTest::addColumn<QList<int>>("jumps"); // what each step sets its index to
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("calls");
        QTest::newRow("empty") << QList<int>{} << true << 0;
        QTest::newRow("runs to its end") << QList<int>{1, 2, 3} << true << 3;
        QTest::newRow("jump ahead") << QList<int>{2, 0, 3} << true << 2;
        QTest::newRow("ended by a step") << QList<int>{1, taskInterface::kEndStep, 3} << false << 2;
        QTest::newRow("index before the list") << QList<int>{-1, 2} << false << 1;
    }

    void endOfList()
    {
        QFETCH(QList<int>, jumps);
        QFETCH(bool, result);
        QFETCH(int, calls);
        Sequencer worker;
        worker.setTaskStatus(taskInterface::Running);
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

    void stepThatStaysRunsAgain()
    {
        Sequencer worker;
        worker.setTaskStatus(taskInterface::Running);
        int tries = 0;
        taskInterface::StepList steps{[&](int &step) {
            if (++tries == 3)
                ++step;
        }};
        QElapsedTimer clock;
        clock.start();
        QVERIFY(worker.doWork(steps));
        QCOMPARE(tries, 3);
        QVERIFY(clock.elapsed() >= 190); // 100 ms after each pass that did not advance
    }

    void stoppedBeforeStart()
    {
        Sequencer worker;
        worker.setTaskStatus(taskInterface::Stopped);
        int called = 0;
        taskInterface::StepList steps{[&](int &step) {
            ++called;
            ++step;
        }};
        QVERIFY(!worker.doWork(steps));
        taskInterface::StepList none;
        QVERIFY(worker.doWork(none));
        QCOMPARE(called, 0);
    }

    void nothingRunsUntilTheDriverIsReady()
    {
        Sequencer worker;
        worker.ready = false;
        worker.setTaskStatus(taskInterface::Running);
        std::atomic<int> called{0};
        worker.steps() << [&](int &step) {
            ++called;
            ++step;
        };
        WorkerThread runner(worker);
        QTest::qWait(700);
        QCOMPARE(called.load(), 0);
        worker.ready = true;
        QVERIFY(runner.thread.wait(2000));
        QCOMPARE(called.load(), 1);
    }

    void unknownStatusRunsNoStep()
    {
        Sequencer worker;
        worker.setTaskStatus(5);
        std::atomic<int> called{0};
        worker.steps() << [&](int &) { ++called; };
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("unidentifiable taskStatus: +5$"));
        WorkerThread runner(worker);
        QTest::qWait(300);
        worker.setTaskStatus(taskInterface::Stopped);
        QVERIFY(runner.thread.wait(2000));
        QCOMPARE(called.load(), 0);
    }

    void restartRunsTheListAgain()
    {
        Sequencer worker;
        worker.setTaskStatus(taskInterface::Running);
        int rounds = 0;
        taskInterface::StepList steps;
        steps << [&](int &step) {
            if (++rounds == 3)
                worker.setTaskStatus(taskInterface::Stopped);
            ++step;
        };
        steps << [&](int &step) { worker.taskRestart(step); };
        worker.doWork(steps);
        QCOMPARE(rounds, 3);
    }

    // Pause, resume and stop come from other threads while the list runs;
    // each reaches it at its next pass, and a waiting pass is cut short.
    void pauseResumeStop()
    {
        Sequencer worker;
        worker.setTaskStatus(taskInterface::Running);
        std::atomic<int> passes{0};
        worker.steps() << [&](int &) { ++passes; }; // stays: runs every 100 ms
        WorkerThread runner(worker);
        QTRY_VERIFY(passes.load() >= 2);

        worker.setTaskStatus(taskInterface::Paused);
        QTest::qWait(150);
        const int paused = passes.load();
        QTest::qWait(400);
        QCOMPARE(passes.load(), paused);

        // The paused pass sleeps a second; resuming does not wait for it.
        QElapsedTimer clock;
        clock.start();
        worker.setTaskStatus(taskInterface::Running);
        QTRY_VERIFY_WITH_TIMEOUT(passes.load() > paused, 2000);
        QVERIFY(clock.elapsed() < 500);

        clock.restart();
        worker.setTaskStatus(taskInterface::Stopped);
        QVERIFY(runner.thread.wait(2000));
        QVERIFY(clock.elapsed() < 500);
        QVERIFY(!runner.thread.isRunning());
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
        worker.steps() << [&](int &step) {
            taskInterface::StepList inner{[&](int &) {
                inStep.release();
                release.acquire();
                stepFinished = true;
            }};
            nestedResult = worker.doWork(inner);
            outerAfter = step;
        };
        worker.steps() << [&](int &step) { ++step; };
        WorkerThread runner(worker);
        QVERIFY(inStep.tryAcquire(1, 2000));
        worker.setTaskStatus(taskInterface::Stopped);
        QTest::qWait(100);
        QVERIFY(!stepFinished);
        release.release();
        QVERIFY(runner.thread.wait(2000));
        QVERIFY(stepFinished);
        QVERIFY(!nestedResult);
        QCOMPARE(outerAfter.load(), 0);
    }
};

DRAVO_TEST_MAIN(TestTaskInterface)
#include "tst_taskinterface.moc"
