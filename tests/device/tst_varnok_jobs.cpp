// One job at a time on the work thread, the job starters, the busy guards of
// the page operations, stopping a task and shutting the machine down.
#include "DriverFixture.h"
#include "TestMain.h"

#include <QFile>
#include <QPointer>
#include <QSemaphore>
#include <QSignalSpy>
#include <atomic>

namespace {
const QString kAddress = QStringLiteral("127.0.0.46");
} // namespace

// Stands in for the task worker: runs a body on the work thread, then ends
// the thread's event loop as the real one does.
class StubWorker : public QObject
{
    Q_OBJECT

public:
    explicit StubWorker(std::function<void()> body) : m_body(std::move(body)) { ++alive; }
    ~StubWorker() override { --alive; }
    static std::atomic<int> alive;

public slots:
    void onWork()
    {
        if (m_body)
            m_body();
        thread()->quit();
    }

private:
    std::function<void()> m_body;
};

std::atomic<int> StubWorker::alive{0};

class TestVarnokJobs : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;
    QSemaphore m_release; // lets a running stub job end

    // A stub job that runs body and then waits for m_release.
    StubWorker *heldJob(std::function<void()> body = nullptr)
    {
        return new StubWorker([this, body] {
            if (body)
                body();
            m_release.acquire();
        });
    }

    bool waitIdle(DriverFixture &f, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, timeoutMs);
    }

    // Whether a job was accepted since the status log had `before` entries.
    static bool jobStartedSince(DriverFixture &f, int before)
    {
        return f.host->statusLog().mid(before).contains(1);
    }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(kAddress));
    }

    void cleanupTestCase() { m_f.reset(); }

    void init()
    {
        m_f->driver->setErrorMessage(QString());
    }

    // A failed test must not leave its job running into the next one.
    void cleanup()
    {
        m_f->sim.control("set status 0");
        if (!m_f->driver->isWorkIdle()) {
            m_release.release();
            m_f->driver->exitTask();
            QVERIFY(waitIdle(*m_f));
        }
        while (m_release.tryAcquire()) {
        }
    }

    void refusedBeforeFirstLink()
    {
        DriverFixture f;
        QPointer<QObject> worker = new StubWorker(nullptr);
        QVERIFY(!f.driver->createWork(worker));
        QVERIFY(worker.isNull());
        QCOMPARE(f.driver->errorMessage(), QString("请检查设备状态， 正在执行任务或者未连接"));
    }

    void oneJobAtATime()
    {
        DriverFixture &f = *m_f;
        QSignalSpy statusSpy(f.driver.get(), &Varnok120X::appTaskStatusChanged);
        // A busy carriage holds the job in its first step.
        QVERIFY(f.sim.control("set status 1"));
        f.driver->cut100mmRect();
        QCOMPARE(f.host->taskStatus(), 1);
        QCOMPARE(statusSpy.count(), 1);
        QVERIFY(!f.driver->isWorkIdle());

        // Requests from many threads at once: none gets in.
        std::atomic<int> accepted{0};
        QList<QThread *> threads;
        for (int i = 0; i < 8; ++i)
            threads << QThread::create([&] { accepted += f.driver->createWork(new StubWorker(nullptr)) ? 1 : 0; });
        for (QThread *t : threads)
            t->start();
        for (QThread *t : threads) {
            t->wait();
            delete t;
        }
        QCOMPARE(accepted.load(), 0);
        QCOMPARE(StubWorker::alive.load(), 0);
        QCOMPARE(f.driver->errorMessage(), QString("机器繁忙，请稍后重试"));
        // A starter that would replace the cut data is refused before it does.
        QFile other(QStringLiteral("other.plt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("PU9,9;");
        other.close();
        f.cut->setCutFile(other.fileName());
        f.driver->cut();
        f.cut->setCutFile(QString());
        QCOMPARE(f.driver->errorMessage(), QString("机器繁忙，请稍后重试"));

        QVERIFY(f.sim.control("set status 0"));
        QVERIFY(waitIdle(f));
        QCOMPARE(f.host->taskStatus(), 2);
    }

    void idleRaceAcceptsExactlyOne()
    {
        DriverFixture &f = *m_f;
        std::atomic<int> accepted{0};
        QSemaphore go;
        QList<QThread *> threads;
        for (int i = 0; i < 8; ++i) {
            threads << QThread::create([&] {
                go.acquire();
                accepted += f.driver->createWork(heldJob()) ? 1 : 0;
            });
        }
        for (QThread *t : threads)
            t->start();
        go.release(8);
        for (QThread *t : threads) {
            t->wait();
            delete t;
        }
        QCOMPARE(accepted.load(), 1);
        m_release.release();
        QVERIFY(waitIdle(f));
    }

    void jobEndRestoresSpeedAndReadsPosition()
    {
        DriverFixture &f = *m_f;
        const int loads = f.host->checkParamLoads();
        f.config->setProperty(Config::CPT_CUT_SPEED, 120);
        QVERIFY(f.driver->createWork(heldJob()));
        const int before = int(f.commands().size());
        m_release.release();
        QVERIFY(waitIdle(f));
        QCOMPARE(f.host->checkParamLoads(), loads + 1);
        QCOMPARE(f.commands(before), (QStringList{"6,1,0,120;", "4,0,0,0;"}));
        f.config->setProperty(Config::CPT_CUT_SPEED, f.driver->speed());
    }

    void pageMovesRefusedWhileJobRuns()
    {
        DriverFixture &f = *m_f;
        std::atomic<int> fromJob{-1};
        QSemaphore jobMoved;
        QVERIFY(f.driver->createWork(heldJob([&] {
            fromJob = f.driver->wDevicePoint(0, QPointF(40, 0)) ? 1 : 0;
            jobMoved.release();
        })));
        QVERIFY(jobMoved.tryAcquire(1, 5000));
        QCOMPARE(fromJob.load(), 1); // the job's own positioning goes through
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().last().contains("PPLT"); }));

        const int before = int(f.sim.received().size());
        QVERIFY(!f.driver->wDevicePoint(0, QPointF(40, 0)));
        QCOMPARE(f.driver->errorMessage(), QString("请检查设备状态"));
        f.driver->setErrorMessage(QString());
        f.driver->moveOffset();
        QCOMPARE(f.driver->errorMessage(), QString("请检查设备状态"));
        QCOMPARE(int(f.sim.received().size()), before);
        m_release.release();
        QVERIFY(waitIdle(f));
    }

    void starters()
    {
        DriverFixture &f = *m_f;
        int statuses = int(f.host->statusLog().size());
        f.driver->resetKnife(); // one knife: nothing to reset
        f.driver->cut();
        QCOMPARE(f.driver->errorMessage(), QString("切割文件未打开 \n"));
        f.driver->checkCameraOffset(); // no "3P5MM.plt"
        QVERIFY(!jobStartedSince(f, statuses));

        QFile cutFile(QStringLiteral("job.plt"));
        QVERIFY(cutFile.open(QIODevice::WriteOnly));
        cutFile.write("PU0,0;PD400,0;PU;");
        cutFile.close();
        f.cut->setCutFile(cutFile.fileName());
        f.driver->cut();
        f.cut->setCutFile(QString());
        QVERIFY(jobStartedSince(f, statuses));
        QVERIFY(waitIdle(f));
        QVERIFY(f.sim.received().contains(QByteArray("\x02" "27;PPLT;PU0,0;PD400,0;PU;\x03")));

        QFile figure(QStringLiteral("3P5MM.plt"));
        QVERIFY(figure.open(QIODevice::WriteOnly));
        figure.write("PU1,1;");
        figure.close();
        statuses = int(f.host->statusLog().size());
        f.driver->checkCameraOffset();
        QVERIFY(jobStartedSince(f, statuses));
        QVERIFY(waitIdle(f));
        QVERIFY(f.sim.received().contains(QByteArray("\x02" "16;PPLT;PU1,1;\x03")));

        // The mark tests set the mark index before their job; here the stop
        // leaves it (the application's stop resets it).
        f.host->setStopAction(nullptr);
        for (auto starter : {&Varnok120X::autoCheckPoint, &Varnok120X::cutRepeat}) {
            f.vision->setMarkIndex(0);
            statuses = int(f.host->statusLog().size());
            (f.driver.get()->*starter)();
            QCOMPARE(f.vision->markIndex(), 1);
            QVERIFY(jobStartedSince(f, statuses));
            // Both run page after page until the operator stops them.
            f.host->setTaskStatus(2);
            QVERIFY(waitIdle(f));
        }
        f.host->setStopAction([d = f.driver.get()] { return d->exitTask(); });
    }

    void startChoosesTaskType_data()
    {
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("enableCut");
        QTest::addColumn<bool>("support");
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("noCutRun");
        QTest::newRow("no copies") << 0 << true << true << true << true;
        QTest::newRow("cutting off") << 3 << false << true << true << true;
        QTest::newRow("cut with marks") << 3 << true << true << true << false;
        QTest::newRow("unsupported marks") << 3 << true << false << false << false;
    }

    void startChoosesTaskType()
    {
        QFETCH(int, copies);
        QFETCH(bool, enableCut);
        QFETCH(bool, support);
        QFETCH(bool, started);
        QFETCH(bool, noCutRun);
        DriverFixture &f = *m_f;
        f.host->setCutTaskCopies(copies);
        f.cut->setSupport(support);
        f.config->setEnableCut(enableCut);
        const int statuses = int(f.host->statusLog().size());
        const int before = int(f.commands().size());
        f.driver->wStart();
        QCOMPARE(jobStartedSince(f, statuses), started);
        // Only the run without cutting sets the no-cut speed as it is built.
        const QString noCutSpeed = QStringLiteral("6,1,0,%1;").arg(f.config->getProperty(Config::CPT_NO_CUT_SPEED).toInt());
        QCOMPARE(f.commands(before).contains(noCutSpeed), noCutRun);
        if (noCutRun) {
            // It runs until stopped.
            QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.commands(before).contains("2,0,5;"); }));
            QVERIFY(f.driver->exitTask());
        }
        QVERIFY(waitIdle(f));
        f.cut->setSupport(true);
        f.config->setEnableCut(true);
    }

    void exitTask()
    {
        DriverFixture &f = *m_f;
        int before = int(f.commands().size());
        QVERIFY(f.driver->exitTask());
        QCOMPARE(f.commands(before), (QStringList{"12,2;", "4,0,0,0;", "2,0,5;"}));
        QCOMPARE(f.vision->clearedFilms().last(), -1);
        QCOMPARE(f.vision->markIndex(), 0);
        QCOMPARE(f.host->taskStatus(), 2);

        f.vision->setMarkIndex(5);
        QVERIFY(f.sim.control("on 12 status 1 count 1"));
        before = int(f.commands().size());
        QVERIFY(!f.driver->exitTask());
        QCOMPARE(f.commands(before), (QStringList{"12,2;", "4,0,0,0;"}));
        QCOMPARE(f.vision->markIndex(), 0);
    }

    void shutdownStopsTheMachineOnce()
    {
        DriverFixture f;
        f.config->setTrim(true);
        QVERIFY(f.link(QStringLiteral("127.0.0.47")));
        f.config->setProperty(Config::CPT_CUT_SPEED, 90);
        QVERIFY(f.driver->wFilmMotorSpeed(20));
        const int before = int(f.commands().size());
        f.driver->unInit();
        QCOMPARE(f.commands(before), (QStringList{"6,1,0,90;", "20,1,1,0,0,0;", "20,1,0,0,0,0;", "20,1,3,0,0,0;",
                                                  "15,0,0;", "15,0,0;", "20,1,4,0,0,0;"}));
        QVERIFY(!f.driver->filmMotorRunning());
        QVERIFY(!f.driver->isLinked());
        QVERIFY(!f.driver->isReady());
        QVERIFY(f.sim.waitForLine("DISCONNECT"));
        f.driver->unInit();
        QCOMPARE(int(f.commands().size()), before + 7);
    }
};

DRAVO_TEST_MAIN(TestVarnokJobs)
#include "tst_varnok_jobs.moc"
