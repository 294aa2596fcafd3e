// The link to a simulated controller in its own process: the initial reads in
// both personalities, relinking, dropped links, reply waits and time-outs.
#include "DriverFixture.h"
#include "FrameCodec.h"
#include "MachineAlarms.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QThread>
#include <csignal>
#include <sys/types.h>

namespace {
const QString kAddress = QStringLiteral("127.0.0.41");
const QString kOtherAddress = QStringLiteral("127.0.0.42");
const QString kNobody = QStringLiteral("127.0.0.253"); // never a simulator's address
} // namespace

class TestVarnokLink : public QObject
{
    Q_OBJECT

private:
    // The sequence that follows the device-info queries.
    static QStringList commonReads(const Config &config)
    {
        QStringList expected{"18,0,0;", "17;", "10,0,0;", "6,0,0,0;"};
        expected << QStringLiteral("13,1,2,%1,0,0;").arg(config.checkLight())
                 << QStringLiteral("13,1,1,%1,0,0;").arg(config.checkBKLight())
                 << QStringLiteral("13,1,0,%1,0,0;").arg(config.markLight());
        for (int knife = 0; knife < config.knifeNum(); ++knife)
            expected << QStringLiteral("7,0,%1,0;").arg(knife);
        return expected;
    }

private slots:
    void initialReadsLegacy()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        QStringList expected{"1,0,0,0,0,0;"};
        expected << commonReads(*f.config);
        QCOMPARE(f.commands(), expected);
        // Byte-exact frames of the worked examples.
        QCOMPARE(f.sim.received().first(), QByteArray("\x02" "22;CCMD;1,0,0,0,0,0;\x03"));
        QCOMPARE(f.driver->devType(), QString("07x5"));
        QCOMPARE(f.driver->firmware(), QString("V3.2.1"));
        QCOMPARE(f.driver->pcbVer(), QString("HC1.2"));
        QCOMPARE(f.driver->speed(), 100);
        QCOMPARE(f.config->getProperty(Config::CPT_CUT_SPEED).toInt(), 100);
        QCOMPARE(f.driver->featureFlag(Varnok120X::FF_PerModule), 0);
        QCOMPARE(f.host->taskStatus(), 2);
        QVERIFY(f.driver->rCutMotorStatus());
        QCOMPARE(f.sim.received().last(), QByteArray("\x02" "12;CCMD;3;\x03"));
        QVERIFY(f.driver->cutterXClear());
        QCOMPARE(f.commands().last(), QString("2,0,5;"));
    }

    void initialReadsPerModuleThenLegacy()
    {
        DriverFixture f;
        f.config->setKnifeNum(2);
        f.config->setEnableTrim(true);
        f.config->setVersion(4); // knife positions per knife: the knife reset after linking can finish
        QSignalSpy versions(f.driver.get(), &Varnok120X::pcbVersionChanged);
        QVERIFY(f.link(kAddress, {"--personality", "module"}));

        QStringList expected{"1,0,0,0,0,0;"};
        for (int module : f.config->getModules())
            expected << QStringLiteral("1,0,%1,0,0,0,0;").arg(module);
        expected << "8,0,1,0,0;" << "8,0,2,0,0;" << "8,0,0,0,0;" << "2,0,0,4;" << "2,0,3,1;";
        expected << commonReads(*f.config);
        // The knife reset job follows the initial reads.
        QCOMPARE(f.commands().mid(0, expected.size()), expected);
        QCOMPARE(f.driver->pcbVerSensor(), QString("HS1.0"));
        QCOMPARE(f.driver->firmwareDriver(), QString("V2.0.4"));
        QCOMPARE(versions.count(), 1);
        QCOMPARE(f.driver->featureFlag(Varnok120X::FF_PerModule), 1);
        // The knife reset after linking runs as a job and ends by itself.
        QVERIFY(QTest::qWaitFor([&] { return f.host->statusLog().contains(1); }, 2000));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 10000));
        QVERIFY(f.commands().contains("19,3;"));
        // The knife offsets count back from the farthest distance.
        const double far = f.config->getProperty(Config::CPT_Knife_Max_Distance).toDouble();
        const double step = f.config->getProperty(Config::CPT_Knife_Interval).toDouble();
        QCOMPARE(f.driver->knifeOffset(1).y(), (far - step) * 40.0);
        QVERIFY(f.driver->cutterXClear());
        QCOMPARE(f.commands().last(), QString("2,1,0,5;"));

        // A later link to a legacy controller decides for itself.
        f.driver->setIp(QString());
        f.sim.stop();
        SimController legacy;
        QVERIFY(DriverFixture::startSim(legacy, kOtherAddress));
        f.driver->setIp(legacy.address());
        const int sequence = 1 + int(commonReads(*f.config).size());
        QVERIFY(QTest::qWaitFor([&] { return legacy.receivedCommands().size() >= sequence; }, 5000));
        QTRY_COMPARE(f.driver->featureFlag(Varnok120X::FF_PerModule), 0);
        QVERIFY(QTest::qWaitFor([&] { return legacy.receivedCommands().contains("19,3;"); }, 5000));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 10000));
        QVERIFY(f.driver->cutterXClear());
        QCOMPARE(legacy.receivedCommands().last(), QString("2,0,5;"));
    }

    void setIpSameOrEmpty()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        QSignalSpy spy(f.driver.get(), &Varnok120X::ipChanged);
        f.driver->setIp(f.sim.address());
        QCOMPARE(spy.count(), 0);
        f.driver->setIp(QString());
        QCOMPARE(spy.count(), 1);
        QVERIFY(!f.driver->isLinked());
        QVERIFY(f.sim.waitForLine("DISCONNECT"));
        QVERIFY(!f.driver->rCutMotorStatus()); // "send failed, dislink"
        QTest::qWait(100);
        QCOMPARE(f.sim.transcript().filter(QRegularExpression("^CONNECT")).size(), 1);
        QVERIFY(f.driver->isReady()); // only shutdown clears it
    }

    void relinkKeepsTheNewLink()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        SimController other;
        QVERIFY(DriverFixture::startSim(other, kOtherAddress));
        f.driver->setIp(other.address());
        QVERIFY(other.waitFor([](const QStringList &l) { return l.filter("RX").size() >= 9; }, 5000));
        QVERIFY(f.sim.waitForLine("DISCONNECT"));
        QTest::qWait(200); // the old reader has long seen its socket end
        QCOMPARE(f.driver->ip(), other.address());
        QVERIFY(f.driver->isLinked());
        QVERIFY(f.driver->rCutMotorStatus());
    }

    void connectFailureClearsAddress()
    {
        DriverFixture f;
        QSignalSpy spy(f.driver.get(), &Varnok120X::ipChanged);
        f.driver->setIp(kNobody);
        QTRY_COMPARE(f.driver->ip(), QString());
        QCOMPARE(spy.count(), 2);
        QVERIFY(!f.driver->isReady());
    }

    void peerCloseDropsLink()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        QVERIFY(f.sim.control("now close"));
        QTRY_COMPARE(f.driver->ip(), QString());
        QVERIFY(!f.driver->isLinked());
        QCOMPARE(f.host->taskStatus(), 2);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!f.driver->rSensor());
        QVERIFY(clock.elapsed() < 50);
    }

    void killedPeerWakesWaiter()
    {
        DriverFixture f;
        f.config->setProperty(Config::CPT_wait_TcpRet_Msecs, 900);
        QVERIFY(f.link(kAddress));
        QVERIFY(f.sim.control("on 17 drop"));
        const qint64 pid = f.sim.processId();
        QElapsedTimer clock;
        clock.start();
        auto killer = QThread::create([pid] {
            QThread::msleep(100);
            ::kill(pid_t(pid), SIGKILL);
        });
        killer->start();
        QVERIFY(!f.driver->rSensor()); // the dropped link ends the wait early
        killer->wait();
        delete killer;
        QVERIFY(clock.elapsed() < 700);
    }

    void replyTimeoutAndLateReply()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        QVERIFY(f.sim.control("set status 1"));
        QVERIFY(f.sim.control("on 3 delay 300 count 1"));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^Varnok120X::decode recv:"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!f.driver->rCutMotorStatus());
        QVERIFY(clock.elapsed() >= 90);
        QCOMPARE(f.driver->cutMotorStatus(), 0);
        QTRY_COMPARE(f.driver->cutMotorStatus(), 1); // the late reply still updates the state
        QVERIFY(f.driver->rCutMotorStatus());
    }

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
        QVERIFY(f.link(kAddress, {"--set", "speed=77"}));
        QCOMPARE(f.driver->speed(), 77);
        QVERIFY(f.sim.control("set speed 55"));
        QVERIFY(f.sim.control(rule + " count 1"));
        QCOMPARE(f.driver->rSpeed(), ok);
        QCOMPARE(f.driver->speed(), ok ? 55 : 77);
        QVERIFY(f.driver->rSpeed()); // the stream is in step again
        QCOMPARE(f.driver->speed(), 55);
    }

    void alarmReportOverTheWire()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        QSignalSpy spy(f.driver.get(), &Varnok120X::deviceStateChanged);
        QVERIFY(f.sim.control("now alarm 7"));
        QTRY_COMPARE(f.driver->deviceState(), qulonglong(MachineAlarms::AlarmReport));
        QCOMPARE(f.driver->alarmText(), QString("纠偏电机报错 23,0,7"));
        QVERIFY(f.driver->deviceStateString().startsWith("纠偏电机报错 23,0,7"));
        QCOMPARE(spy.count(), 1);
        // A new link starts without alarms.
        f.driver->setIp(QString());
        f.driver->setIp(f.sim.address());
        QTRY_COMPARE(f.driver->deviceState(), qulonglong(0));
        QVERIFY(f.driver->alarmText().isEmpty());
    }

    void floodAndJunkDoNotBlock()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        QVERIFY(f.sim.control("now raw x repeat 200000"));
        QVERIFY(f.sim.control("now raw \\x02999999999;CCMD;3,0,1 repeat 1000"));
        QVERIFY(f.sim.control("now send CCMD;3,0,abc;"));
        QVERIFY(f.sim.control("now progress 12.5"));
        QTRY_COMPARE(f.driver->updateProgress(), 12.5);
        QVERIFY(f.driver->rSensor());
        QVERIFY(f.driver->isLinked());
    }

    void parallelSendersOfDifferentIds()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        std::atomic<int> failures{0};
        QList<QThread *> threads;
        const QList<std::function<bool()>> reads{
            [&f] { return f.driver->rCutMotorStatus(); }, [&f] { return f.driver->rSensor(); },
            [&f] { return f.driver->rGyroscope(); }, [&f] { return f.driver->rSpeed(); }};
        for (const auto &read : reads) {
            threads << QThread::create([read, &failures] {
                for (int i = 0; i < 50; ++i)
                    failures += read() ? 0 : 1;
            });
            // Two senders of the same id take turns.
            threads << QThread::create([read, &failures] {
                for (int i = 0; i < 50; ++i)
                    failures += read() ? 0 : 1;
            });
        }
        for (QThread *t : threads)
            t->start();
        for (QThread *t : threads) {
            t->wait();
            delete t;
        }
        QCOMPARE(failures.load(), 0);
    }

    void factoryResetRerunsInitialReads()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        const int before = f.commands().size();
        QVERIFY(f.driver->wFactoryReset());
        QVERIFY(f.waitForCommandCount(before + 1 + 1 + commonReads(*f.config).size()));
        QCOMPARE(f.commands(before), (QStringList{"16,1;", "1,0,0,0,0,0;"} + commonReads(*f.config)));
    }

    void asyncSendWritesFrame()
    {
        DriverFixture f;
        QVERIFY(f.link(kAddress));
        const QByteArray frame = FrameCodec::frameCommand("17;", "CCMD");
        const int before = f.commands().size();
        f.driver->asyncSend(frame);
        QVERIFY(f.waitForCommandCount(before + 1));
        QCOMPARE(f.sim.received().last(), frame);
    }

    void shutdownDuringInitialReads()
    {
        DriverFixture f;
        QVERIFY(DriverFixture::startSim(f.sim, kAddress, {"--fault", "on * delay 40"}));
        f.driver->setIp(f.sim.address());
        QVERIFY(f.waitForCommandCount(2));
        QElapsedTimer clock;
        clock.start();
        f.driver.reset(); // joins the link and reader threads
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(f.sim.waitForLine("DISCONNECT"));
    }
};

DRAVO_TEST_MAIN(TestVarnokLink)
#include "tst_varnok_link.moc"
