// The command set and the work slot against the simulated controller: what
// each operation puts on the wire and the guards before it, pauses kept
// apart, one job or transfer at a time, stopping and shutting down.
#include "tests/support/Recorder.h"
#include "tests/support/TestMain.h"
#include "device/state/MachineAlarms.h"
#include "tests/device/DriverFixture.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSemaphore>
#include <atomic>

using Operation = std::function<bool(Varnok120X &)>;
Q_DECLARE_METATYPE(Operation)

// A row: the call, whether it succeeds, the command texts it sends.
#define ROW(call, ok, ...) QTest::newRow(#call) << Operation([](Varnok120X &d) { return d.call; }) << ok << QStringList{__VA_ARGS__}

// Stands in for the task worker: runs a body on the work thread, then ends its event loop.
class StubWorker : public QObject
{
    Q_OBJECT

public:
    explicit StubWorker(std::function<void()> body) : m_body(std::move(body)) {}

public slots:
    void onWork() { m_body(), thread()->quit(); }

private:
    std::function<void()> m_body;
};

// A host whose label capture waits until released, as one that only the GUI
// thread answers would while that thread shuts the driver down.
struct SlowCaptureHost : RecordingVision
{
    QSemaphore entered, release;
    bool doCapture(int) override { return entered.release(), release.tryAcquire(1, 30000), false; }
};

class TestVarnokCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;
    QSemaphore m_release; // lets a held stub job end

    // op's result and the commands it put on the wire (those without a reply waited for).
    QPair<bool, QStringList> run(const Operation &op, DriverFixture &f, int expected)
    {
        const int before = f.commandCount();
        const bool ok = op(*f.driver);
        f.waitForCommandCount(before + expected, expected > 0 ? 10000 : 50);
        return {ok, f.commands(before)};
    }
    StubWorker *heldJob(std::function<void()> body = [] {})
    {
        return new StubWorker([this, body] { body(), m_release.acquire(); });
    }
    bool waitIdle() { return QTest::qWaitFor([&] { return m_f->driver->isWorkIdle(); }, 20000); }
    bool waitCarriage() { return QTest::qWaitFor([&] { return m_f->driver->rCutMotorStatus() && m_f->driver->cutMotorStatus() == 0; }, 10000); }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(QString(), {"--job-ms", "20"}));
    }
    void cleanupTestCase() { m_f.reset(); }
    void init() { m_f->driver->setErrorMessage(QString()); }

    void bodies_data()
    {
        QTest::addColumn<Operation>("op");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("sent");
        ROW(rDeviceInfo(2), true, "1,0,2,0,0,0,0;");
        ROW(rRectifyMotorReset(), false); // legacy: no such read
        ROW(wTrimMotorYReset(), true, "2,3,1;");
        ROW(wSpeed(1234567.0), true, "6,1,0,1.23457e+06;");
        ROW(wPressure(85.5), true, "7,1,0,85.5;");
        ROW(wPressure(d.pressure()), true);
        ROW(wMarkCameraOffset(1.5, -2), true, "8,1,1,1.50,-2.00;");
        ROW(wScale(1.25, 0.5), true, "9,1,1.2500,0.5000;");
        ROW(setScale(1.25, 0.5), true, "9,1,1.25,0.5;");
        ROW(setScale(1.0, 1.0), true);
        ROW(setWorkArea(QSizeF(300.4, 400.6)), true, "11,1,300,401;");
        ROW(wMoveX(2), false);
        ROW(wFilmMotorSpeed(5), true, "20,1,1,0,10,0;");
        ROW(wRectifyMotor(5, 2.5f), true, "20,1,2,0,5,2.5;");
        ROW(wCollectMotor(3, 100), true, "20,1,3,0,10,100;");
    }
    void bodies()
    {
        QFETCH(Operation, op);
        QFETCH(bool, ok);
        QFETCH(QStringList, sent);
        QCOMPARE(run(op, *m_f, int(sent.size())), qMakePair(ok, sent));
    }

    // Jogging and rewinding stop at the limits of their direction; a jog
    // under way may go on only while its own direction is clear.
    void limitGuards_data()
    {
        QTest::addColumn<qulonglong>("state");
        QTest::addColumn<Operation>("op");
        QTest::addColumn<bool>("sent");
        const Operation back = [](Varnok120X &d) { return d.wMoveX(-1); }, forward = [](Varnok120X &d) { return d.wMoveX(1); };
        QTest::newRow("back, film limit") << qulonglong(8) << back << false;
        QTest::newRow("back, rewind full") << qulonglong(64) << back << false;
        QTest::newRow("back, rewind low") << qulonglong(32) << back << true;
        QTest::newRow("forward, film full") << qulonglong(16) << forward << false;
        QTest::newRow("forward, rewind low") << qulonglong(32) << forward << false;
        QTest::newRow("rewind, rewind low") << qulonglong(32) << Operation([](Varnok120X &d) { return d.wCollectMotor(30, 0); }) << false;
        QTest::newRow("rewind stop, rewind low") << qulonglong(32) << Operation([](Varnok120X &d) { return d.wCollectMotor(0, 0); }) << true;
    }
    void limitGuards()
    {
        QFETCH(qulonglong, state);
        QFETCH(Operation, op);
        QFETCH(bool, sent);
        m_f->driver->setDeviceState(state);
        const auto result = run(op, *m_f, sent ? 1 : 0);
        QVERIFY(result.first == sent && result.second.size() == (sent ? 1 : 0));
        m_f->driver->setDeviceState(0);
    }
    void jogAllowedByItsDirection()
    {
        Varnok120X &d = *m_f->driver;
        QVERIFY(d.wMoveX(1));
        d.setDeviceState(MachineAlarms::CollectRollerLimit);
        QVERIFY(!d.isMoveAllowed());
        d.setDeviceState(MachineAlarms::FilmRollerLimit);
        QVERIFY(d.isMoveAllowed());
        d.setDeviceState(0);
        QVERIFY(d.wMoveX(0));
    }

    // The operator's pause pauses the application's task, the limit check's
    // only the machine, whichever of the two is answered first.
    void pausesKeptApart()
    {
        DriverFixture &f = *m_f;
        for (bool operatorFirst : {true, false}) {
            QVERIFY(f.sim.control("on 12 delay 100 count 2"));
            f.host->setTaskStatus(1);
            const int before = f.commandCount();
            std::unique_ptr<QThread> first(QThread::create([&] { f.driver->wPause(operatorFirst); }));
            first->start();
            QVERIFY(f.waitForCommandCount(before + 1)); // the first pause is on the wire
            QVERIFY(f.driver->wPause(!operatorFirst) && first->wait(10000));
            QCOMPARE(f.host->taskStatus(), 0);
        }
        f.host->setTaskStatus(1);
        QVERIFY(f.driver->wPause(false));
        QCOMPARE(f.host->taskStatus(), 1);
        f.host->setTaskStatus(2);
    }

    // Origin: set from the carriage, refused while a task runs; going back
    // is a one-package positioning job of the difference; the camera offset
    // goes in HPGL units, its Y sign by the coordinates.
    void originAndPositioning()
    {
        DriverFixture &f = *m_f;
        NotifierRecorder notes;
        QVERIFY(f.sim.control("set point0 400,800"));
        f.driver->gotoOrigin();
        QCOMPARE(f.driver->errorMessage(), QString("未设置原点"));
        f.driver->setOrigin();
        QVERIFY(notes.messages() == QStringList{"设置成功"} && f.driver->origin() == QPointF(400, 800));
        f.host->setTaskStatus(1);
        f.driver->gotoOrigin();
        QCOMPARE(f.driver->errorMessage(), QString("请检查设备状态"));
        f.host->setTaskStatus(2);
        QVERIFY(f.sim.control("set point0 100,200"));
        const int before = f.commandCount();
        f.driver->gotoOrigin();
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return packages(f.sim.received()).contains("IN;PA;SP2;PU300,600;PG;PG;"); }, 10000));
        QCOMPARE(f.commands(before), (QStringList{"3;", "4,0,0,0;", "21;", "22,26,26;"}));
        f.config->setMarkCameraOffsetX(0, 1.5);
        f.config->setMarkCameraOffsetY(0, -2.0);
        f.config->setCutCoordinates(1);
        QVERIFY(waitCarriage());
        f.driver->moveOffset();
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return packages(f.sim.received()).last() == "IN;PA;SP2;PU60,80;PG;PG;"; }, 10000));
        f.config->setCutCoordinates(0);
        QVERIFY(waitCarriage());
    }

    // Eight threads start jobs at once: exactly one runs; the others and the
    // starters of other jobs are refused; at its end the
    // cut speed is restored and the position read. Nothing runs unlinked.
    void oneJobAtATime()
    {
        DriverFixture &f = *m_f;
        std::atomic<int> accepted{0};
        QSemaphore go;
        QList<QThread *> threads;
        for (int i = 0; i < 8; ++i) {
            threads << QThread::create([&] { go.acquire(), accepted += f.driver->createWork(heldJob()); });
            threads.last()->start();
        }
        go.release(8);
        for (QThread *t : threads) {
            QVERIFY(t->wait(10000));
            delete t;
        }
        QVERIFY(accepted == 1 && f.driver->errorMessage() == "机器繁忙，请稍后重试");
        const int step = f.driver->testPressureStep();
        f.driver->cut100mmRect();
        f.driver->testPressure();
        QVERIFY(f.driver->errorMessage() == "机器繁忙，请稍后重试" && f.driver->testPressureStep() == step);
        f.config->setProperty(Config::CPT_CUT_SPEED, 120);
        const int before = f.commandCount();
        m_release.release();
        QVERIFY(waitIdle() && f.waitForCommandCount(before + 2));
        QCOMPARE(f.commands(before), (QStringList{"6,1,0,120;", "4,0,0,0;"}));
        QCOMPARE(f.host->statusLog().mid(f.host->statusLog().size() - 2), (QList<int>{1, 2}));
        DriverFixture unlinked;
        QVERIFY(!unlinked.driver->createWork(new StubWorker([] {})));
        QCOMPARE(unlinked.driver->errorMessage(), QString("请检查设备状态， 正在执行任务或者未连接"));
    }

    // A page's positioning move holds the transfer for its round trips: a
    // job asked for meanwhile is refused, the move's frames go together.
    // Within a job its own moves pass, a page's do not.
    void positioningHoldsTheTransfer()
    {
        DriverFixture &f = *m_f;
        QVERIFY(f.sim.control("on 21 delay 300 count 1"));
        const int from = int(f.sim.received().size()), before = f.commandCount();
        std::atomic<bool> moved{false};
        std::unique_ptr<QThread> page(QThread::create([&] { moved = f.driver->wDevicePoint(0, QPointF(40, 0)); }));
        page->start();
        QVERIFY(f.waitForCommandCount(before + 1));
        QVERIFY(!f.driver->createWork(new StubWorker([] {})));
        QVERIFY(page->wait(10000) && moved);
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().size() >= from + 3; }, 10000));
        QCOMPARE(f.sim.received().mid(from), (QList<QByteArray>{FrameCodec::frameCommand("21;", "CCMD"), FrameCodec::frameCommand("22,23,23;", "CCMD"),
                                                                 FrameCodec::frameRaw("PPLT;IN;PA;SP2;PU40,0;PG;PG;")}));
        QVERIFY(waitCarriage());
        std::atomic<int> fromJob{-1};
        QVERIFY(f.driver->createWork(heldJob([&] { fromJob = f.driver->wDevicePoint(0, QPointF(40, 0)); })));
        QVERIFY(QTest::qWaitFor([&] { return fromJob.load() == 1; }, 10000));
        QVERIFY(!f.driver->wDevicePoint(0, QPointF(40, 0)) && f.driver->errorMessage() == "请检查设备状态");
        m_release.release();
        QVERIFY(waitIdle() && waitCarriage());
    }

    // The stop, the position read and the X clear; a refused stop clears nothing.
    void exitTask()
    {
        DriverFixture &f = *m_f;
        QCOMPARE(run([](Varnok120X &d) { return d.exitTask(); }, f, 3), qMakePair(true, QStringList{"12,2;", "4,0,0,0;", "2,0,5;"}));
        QCOMPARE(f.vision->clearedFilms().last(), -1);
        f.vision->setMarkIndex(5);
        QVERIFY(f.sim.control("on 12 status 1 count 1"));
        QCOMPARE(run([](Varnok120X &d) { return d.exitTask(); }, f, 2), qMakePair(false, QStringList{"12,2;", "4,0,0,0;"}));
        QCOMPARE(f.vision->markIndex(), 0);
    }

    // The pressure figure beside the mark camera (20, -10 mm: 800, -400 units), the knife
    // parked 100 mm on; the next ones 100 mm back in steps 2, 3, 4, 5, 1, ...; the origin starts again.
    void pressureTestCycle()
    {
        DriverFixture &f = *m_f;
        f.config->setMarkCameraOffsetX(0, 20.0);
        f.config->setMarkCameraOffsetY(0, -10.0);
        f.driver->setOrigin();
        for (const int step : {2, 3, 4, 5, 1, 2}) {
            const int from = int(f.sim.received().size()), dx = step == 2 && f.driver->testPressureStep() == 0 ? 800 : -3200;
            f.driver->testPressure();
            QVERIFY(waitIdle() && f.driver->testPressureStep() == step);
            const QByteArray figure = packages(f.sim.received().mid(from)).value(0);
            QVERIFY2(figure.startsWith(QStringLiteral("IN;PA;SP2;PU%1,0;PD%1,-263,%2,-131,").arg(617 + dx).arg(400 + dx).toLatin1()), figure);
            QVERIFY(figure.endsWith(dx > 0 ? "PU4000,1200;!PG;" : step == 1 ? "PU1200,-4800;!PG;" : "PU0,1200;!PG;"));
        }
        f.driver->setOrigin();
        QCOMPARE(f.driver->testPressureStep(), 0);
    }

    // Version 4 controllers: knife positions, jogs of four fields, knife
    // selection (not again while the carriage works), moves select first.
    void modernControllerForms()
    {
        DriverFixture f;
        f.config->setProperty(Config::CPT_Version, 4);
        f.config->setKnifeNum(5);
        QVERIFY(f.link());
        QVERIFY(QTest::qWaitFor([&] { return f.host->statusLog().contains(1) && f.driver->isWorkIdle(); }, 20000)); // the knife reset
        QCOMPARE(run([](Varnok120X &d) { return d.rDevicePoint(1) && d.wDevicePoint(1, 5, 6) && d.wMoveX(1) && d.wMoveY(-1) && d.setKnife(5); }, f, 5).second,
                 (QStringList{"4,0,1,0,0;", "4,1,1,5,6;", "15,0,1,0;", "15,0,0,-1;", "19,5;"}));
        QCOMPARE(f.config->runTip(), QString("移动第1,3把刀"));
        QVERIFY(f.sim.control("set status 1") && f.driver->rCutMotorStatus());
        QCOMPARE(run([](Varnok120X &d) { return d.setKnife(5); }, f, 0), qMakePair(true, QStringList()));
        QVERIFY(f.sim.control("set status 0") && f.driver->rCutMotorStatus());
        QCOMPARE(run([](Varnok120X &d) { return d.wDevicePoint(2, QPointF(0, 40)); }, f, 3).second, (QStringList{"19,2;", "21;", "22,23,23;"}));
    }

    void shutdownStopsTheMachineOnce()
    {
        DriverFixture f;
        f.config->setTrim(true);
        QVERIFY(f.link());
        f.config->setProperty(Config::CPT_CUT_SPEED, 90);
        QVERIFY(f.driver->wFilmMotorSpeed(20));
        const int before = f.commandCount();
        f.driver->unInit();
        QCOMPARE(f.commands(before), (QStringList{"6,1,0,90;", "20,1,1,0,0,0;", "20,1,0,0,0,0;", "20,1,3,0,0,0;", "15,0,0;", "15,0,0;", "20,1,4,0,0,0;"}));
        QVERIFY(!f.driver->filmMotorRunning() && !f.driver->isLinked() && !f.driver->isReady());
        f.driver->unInit();
        QCOMPARE(f.commandCount(), before + 7);
    }

    // A poller held in a capture that the closing thread would have to
    // answer holds up the shutdown no longer than its bound (a test about
    // the wait); the driver goes once the capture ends.
    void shutdownDoesNotWaitForACapture()
    {
        SlowCaptureHost slow;
        DriverFixture f;
        QVERIFY(f.link());
        f.driver->setVision(&slow);
        f.driver->setPolling(true);
        QVERIFY(slow.entered.tryAcquire(1, 20000));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::unInit m_collectThread did not end within"));
        QElapsedTimer clock;
        clock.start();
        f.driver->unInit();
        QVERIFY2(clock.elapsed() < Varnok120X::kJoinMs + 5000 && !f.driver->isLinked(), qPrintable(QString::number(clock.elapsed())));
        slow.release.release();
    }
};

DRAVO_TEST_MAIN(TestVarnokCommands)
#include "tst_varnok_commands.moc"
