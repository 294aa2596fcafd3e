// The link to a simulated controller in its own process: the initial reads in
// both personalities and their reruns, addresses, lost peers, reply waits
// and time-outs, bad replies.
#include "tests/support/TestMain.h"
#include "device/state/MachineAlarms.h"
#include "tests/device/DriverFixture.h"

#include "device/task/TaskWorker.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSemaphore>
#include <QThread>
#include <csignal>

namespace {

// A camera whose clearing of the film never returns on the work thread.
class StuckVision : public RecordingVision
{
public:
    void clearFilm(int index) override
    {
        if (QThread::currentThread()->objectName() != QLatin1String("work"))
            return RecordingVision::clearFilm(index);
        stuck.release();
        QSemaphore().acquire(); // for ever
    }
    QSemaphore stuck;
};

// The sequence that follows the device-info queries.
QStringList commonReads(const Config &c)
{
    QStringList reads{"18,0,0;", "17;", "10,0,0;", "6,0,0,0;", QStringLiteral("13,1,2,%1,0,0;").arg(c.checkLight()),
                      QStringLiteral("13,1,1,%1,0,0;").arg(c.checkBKLight()), QStringLiteral("13,1,0,%1,0,0;").arg(c.markLight())};
    for (int knife = 0; knife < c.knifeNum(); ++knife)
        reads << QStringLiteral("7,0,%1,0;").arg(knife);
    return reads;
}

} // namespace

class TestVarnokLink : public QObject
{
    Q_OBJECT

private slots:
    void initialReadsLegacy()
    {
        DriverFixture f;
        QVERIFY(f.link());
        QCOMPARE(f.commands(), QStringList{"1,0,0,0,0,0;"} + commonReads(*f.config));
        QCOMPARE(f.sim.received().first(), QByteArray("\x02" "22;CCMD;1,0,0,0,0,0;\x03"));
        QCOMPARE(QStringList({f.driver->devType(), f.driver->firmware(), f.driver->pcbVer()}), QStringList({"07x5", "V3.2.1", "HC1.2"}));
        QCOMPARE(f.config->getProperty(Config::CPT_CUT_SPEED).toInt(), 100);
        QVERIFY(f.driver->cutterXClear());
        QCOMPARE(f.commands().last(), QString("2,0,5;"));
    }

    // A module controller, then a legacy one: each link decides for itself.
    void initialReadsPerModuleThenLegacy()
    {
        DriverFixture f;
        f.config->setKnifeNum(2);
        f.config->setEnableTrim(true);
        f.config->setVersion(4); // knife positions per knife: the knife reset after linking can finish
        SignalCount versions(f.driver.get(), &Varnok120X::pcbVersionChanged);
        QVERIFY(f.link(QString(), {"--personality", "module"}));
        QStringList expected{"1,0,0,0,0,0;", "1,0,0,0,0,0,0;", "1,0,1,0,0,0,0;", "1,0,2,0,0,0,0;", "1,0,3,0,0,0,0;",
                             "8,0,1,0,0;", "8,0,2,0,0;", "8,0,0,0,0;", "2,0,0,4;", "2,0,3,1;"};
        QCOMPARE(f.commands().mid(0, expected.size() + 9), expected + commonReads(*f.config));
        QCOMPARE(f.driver->firmwareDriver(), QString("V2.0.4"));
        QTRY_COMPARE(versions.count(), 1);
        // The knife reset job follows and ends by itself; the offsets count back from the farthest.
        QVERIFY(QTest::qWaitFor([&] { return f.commands().contains("19,3;") && f.driver->isWorkIdle(); }, 20000));
        const double far = f.config->getProperty(Config::CPT_Knife_Max_Distance).toDouble();
        QCOMPARE(f.driver->knifeOffset(1).y(), (far - f.config->getProperty(Config::CPT_Knife_Interval).toDouble()) * 40);
        QVERIFY(f.driver->cutterXClear());
        QCOMPARE(f.commands().last(), QString("2,1,0,5;"));
        SimController legacy;
        QVERIFY(DriverFixture::startSim(legacy, QString()));
        f.driver->setIp(legacy.address());
        QVERIFY(QTest::qWaitFor([&] { return legacy.receivedCommands().contains("19,3;") && f.driver->isWorkIdle(); }, 20000));
        QCOMPARE(f.driver->featureFlag(Varnok120X::FF_PerModule), 0);
    }

    // The same address changes nothing; none drops the link at once; another
    // links anew and the old reader leaves it alone; one that does not
    // answer is given up.
    void addresses()
    {
        DriverFixture f;
        QVERIFY(f.link());
        SignalCount changes(f.driver.get(), &Varnok120X::ipChanged);
        f.driver->setIp(f.sim.address());
        f.driver->setIp(QString());
        QTRY_COMPARE(changes.count(), 1);
        QVERIFY(!f.driver->isLinked() && !f.driver->rCutMotorStatus() && f.driver->isReady());
        SimController other;
        QVERIFY(DriverFixture::startSim(other, QString()));
        f.driver->setIp(f.sim.address());
        QVERIFY(QTest::qWaitFor([&] { return f.sim.transcript().filter(QRegularExpression("^CONNECT")).size() == 2; }, 10000));
        f.driver->setIp(other.address());
        QVERIFY(other.waitFor([](const QStringList &l) { return l.filter("RX").size() >= 9; }, 10000));
        QVERIFY(f.sim.waitForLine("DISCONNECT") && f.driver->rCutMotorStatus());
        QCOMPARE(f.driver->ip(), other.address());
        f.driver->setIp(QStringLiteral("127.0.0.253")); // never a simulator's
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->ip(), QString(), 10000);
    }

    // A peer that dies ends the link and the waits on it at once (a test
    // about the wait: the reply time-out is 10 s).
    void lostPeerEndsWaits()
    {
        DriverFixture f;
        QVERIFY(f.link());
        f.config->setProperty(Config::CPT_wait_TcpRet_Msecs, 10000);
        QVERIFY(f.sim.control("on 17 drop"));
        const qint64 pid = f.sim.processId();
        std::unique_ptr<QThread> killer(QThread::create([pid] { QThread::msleep(100), ::kill(pid_t(pid), SIGKILL); }));
        QElapsedTimer clock;
        clock.start();
        killer->start();
        QVERIFY(!f.driver->rSensor());
        QVERIFY2(clock.elapsed() < 5000 && killer->wait(10000), qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->ip(), QString(), 10000);
        QCOMPARE(f.host->taskStatus(), 2);
    }

    // One bad reply fails its command alone; the stream is in step again after it.
    void replyFaults_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<bool>("ok");
        QTest::newRow("status 1") << "on 6 status 1" << false;
        QTest::newRow("wrong field count") << "on 6 fields 2" << false;
        QTest::newRow("missing reply") << "on 6 drop" << false;
        QTest::newRow("split reply") << "on 6 split" << true;
        QTest::newRow("split early") << "on 6 split 3" << true;
        QTest::newRow("two replies in one write") << "on 6 double" << true;
        QTest::newRow("garbage before the frame") << "on 6 garbage abc\\x03xyz" << true;
    }
    void replyFaults()
    {
        QFETCH(QString, rule);
        QFETCH(bool, ok);
        DriverFixture f;
        QVERIFY(f.link(QString(), {"--set", "speed=77"}));
        QVERIFY(f.sim.control("set speed 55") && f.sim.control(rule + " count 1"));
        // The missing reply's wait, and how long it is owed after that.
        const bool missing = rule.endsWith("drop");
        f.config->setProperty(Config::CPT_wait_TcpRet_Msecs, missing ? 300 : 2000);
        f.config->setProperty(Config::CPT_wait_TcpRet_Msecs_Max, missing ? 300 : 10000);
        QVERIFY(f.driver->rSpeed() == ok && f.driver->speed() == (ok ? 55 : 77));
        f.config->setProperty(Config::CPT_wait_TcpRet_Msecs, 2000);
        // The same read again could be the missing one's reply until that is
        // given up: at the latest the read after is in step.
        QVERIFY(f.driver->rSpeed() || (missing && f.driver->rSpeed()));
        QCOMPARE(f.driver->speed(), 55);
    }

    // Replies 150 ms late, the wait 100 ms for a refused command and long
    // for an accepted one, taking turns: each gets its own answer, never the
    // other's (the refusal comes while the acceptance is waited for).
    void lateRefusalIsNotTheNextAnswer()
    {
        DriverFixture f;
        QVERIFY(f.link(QString(), {"--fault", "on 6 delay 150", "--fault", "on 6,1,0,5 status 1"}));
        for (int round = 0; round < 10; ++round) {
            f.config->setProperty(Config::CPT_wait_TcpRet_Msecs, 100);
            QVERIFY(!f.driver->wSpeed(5));
            f.config->setProperty(Config::CPT_wait_TcpRet_Msecs, 5000);
            QVERIFY2(f.driver->wSpeed(7), qPrintable(QString::number(round)));
        }
        QCOMPARE(f.driver->speed(), 7);
    }

    // An alarm report sets its bit once (the state is in before the signal);
    // a new link starts without alarms. Floods and junk block nothing.
    void alarmsFloodsAndJunk()
    {
        DriverFixture f;
        QVERIFY(f.link());
        SignalCount changes(f.driver.get(), &Varnok120X::deviceStateChanged);
        QVERIFY(f.sim.control("now alarm 7"));
        QTRY_COMPARE_WITH_TIMEOUT(changes.count(), 1, 10000);
        QVERIFY(f.driver->deviceState() == MachineAlarms::AlarmReport && f.driver->alarmText() == "纠偏电机报错 23,0,7");
        f.driver->setIp(QString());
        f.driver->setIp(f.sim.address());
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->deviceState(), qulonglong(0), 10000);
        QVERIFY(f.driver->alarmText().isEmpty());
        for (const char *line : {"now raw x repeat 200000", "now raw \\x02999999999;CCMD;3,0,1 repeat 1000",
                                 "now send CCMD;3,0,abc;", "now progress 12.5"})
            QVERIFY(f.sim.control(line));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 12.5, 10000);
        QVERIFY(f.driver->rSensor() && f.driver->isLinked());
    }

    // A controller that reports a factory reset gets the initial reads again:
    // one run at a time, at most one more for a burst of reports, each run
    // alone on the link while the pollers wait (they ask often here, and the
    // reads take a while).
    void factoryResetRerunsInitialReads()
    {
        DriverFixture f;
        QVERIFY(f.link());
        const QStringList run = QStringList{"1,0,0,0,0,0;"} + commonReads(*f.config);
        f.config->setProperty(Config::CPT_Poll_Time_Span, 20);
        QVERIFY(f.sim.control("on 17 delay 50"));
        f.driver->setPolling(true);
        QVERIFY(f.waitForCommandCount(f.commandCount() + 10));
        const int before = f.commandCount();
        QVERIFY(f.driver->wFactoryReset() && f.sim.control("now send CCMD;16,0,1; repeat 20"));
        // The transcript read once per look: it grows by the poll, and read
        // for every command it made each look slower than the polling.
        auto starts = [&] {
            const QStringList commands = f.commands(before);
            QList<int> at;
            for (int i = 0; i < commands.size(); ++i) {
                if (commands.at(i) == run.first())
                    at << i;
            }
            return at;
        };
        QVERIFY(QTest::qWaitFor([&] { return starts().size() >= 2 && f.commandCount() >= before + starts().last() + run.size(); }, 20000));
        QTest::qWait(500); // a third run would have begun by now
        QVERIFY2(starts().size() <= 3, qPrintable(QString::number(starts().size())));
        for (int at : starts())
            QCOMPARE(f.commands(before).mid(at, run.size()), run);
    }

    // A work thread that does not end: the destructor waits its bound, then
    // gives up and says so (in a process of its own, which that ends).
    void destructorGivesUpOnAStuckThread()
    {
        if (qEnvironmentVariableIsSet("DRAVO_STUCK_CHILD")) {
            DriverFixture f;
            StuckVision vision;
            f.driver->setVision(&vision);
            QVERIFY(f.link());
            QVERIFY(f.driver->createWork(new TaskWorker(f.driver.get(), 1, QByteArray("IN;PU0,0;PD0,400;PU;"))));
            QVERIFY(vision.stuck.tryAcquire(1, 20000));
            f.driver.reset(); // does not return
            QFAIL("the driver went while its work thread ran");
        }
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DRAVO_STUCK_CHILD", "1");
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QTest::currentTestFunction()});
        const int bound = Varnok120X::kJoinMs * 2 + Varnok120X::kGiveUpMs; // unInit's wait, then the destructor's
        QVERIFY(child.waitForFinished(bound + 60000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(output.contains(QStringLiteral("Varnok120X::~Varnok120X work did not end within %1 ms, giving up")
                                     .arg(Varnok120X::kJoinMs + Varnok120X::kGiveUpMs)),
                 qPrintable(output.right(2000)));
        QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0);
    }

    void shutdownDuringInitialReads()
    {
        DriverFixture f;
        QVERIFY(DriverFixture::startSim(f.sim, QString(), {"--fault", "on * delay 40"}));
        f.driver->setIp(f.sim.address());
        QVERIFY(f.waitForCommandCount(2));
        QElapsedTimer clock;
        clock.start();
        f.driver.reset(); // joins the link and reader threads
        QVERIFY(clock.elapsed() < 5000 && f.sim.waitForLine("DISCONNECT"));
    }
};

DRAVO_TEST_MAIN(TestVarnokLink)
#include "tst_varnok_link.moc"
