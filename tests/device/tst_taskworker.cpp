// Jobs of the task worker against the simulated controller: a cut on the
// wire, pause, resume and stop, a refused second job, the run without
// cutting, the knife reset, a dropped link, and the checks the steps share.
#include "DriverFixture.h"
#include "FrameCodec.h"
#include "TaskWorker.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>

namespace {

const QByteArray kSquare("PU0,0;PD0,4000,4000,4000,4000,0,0,0;PU;PG;");

// The received frames as text: command bodies as they stand, cut data as
// "PPLT <bytes>".
QStringList wire(const QList<QByteArray> &frames)
{
    QStringList out;
    for (const QByteArray &frame : frames) {
        const qsizetype semi = frame.indexOf(';');
        const QByteArray body = frame.mid(semi + 1, frame.size() - semi - 2);
        if (body.startsWith("CCMD;"))
            out << QString::fromLatin1(body.mid(5));
        else if (body.startsWith("PPLT;"))
            out << QStringLiteral("PPLT %1").arg(body.size() - 5);
        else
            out << QString::fromLatin1(body);
    }
    return out;
}

QByteArray penUpWalk()
{
    QByteArray data;
    for (int x = 400; x <= 400000; x += 400)
        data += "PU" + QByteArray::number(x) + ",0;";
    return data;
}

} // namespace

class TestTaskWorker : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

    static bool waitIdle(DriverFixture &f, int timeoutMs = 8000)
    {
        return QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, timeoutMs);
    }

    // Waits until the job's cut data has reached the controller and it cuts.
    static bool waitCutting(DriverFixture &f, int from)
    {
        return QTest::qWaitFor([&] { return wire(f.sim.received().mid(from)).join(' ').contains("PPLT"); }, 5000);
    }

    // The application's pause and resume threads, as the task page runs them.
    static void pauseLikeApp(DriverFixture &f)
    {
        QVERIFY(f.driver->rCutMotorStatus());
        if (f.driver->cutSent() && f.driver->cutMotorStatus() == 1)
            QVERIFY(f.driver->wPause(true));
        f.host->setTaskStatus(0);
    }
    static void resumeLikeApp(DriverFixture &f)
    {
        QVERIFY(f.driver->rCutMotorStatus());
        if (f.driver->cutSent() && f.driver->cutMotorStatus() == 2)
            QVERIFY(f.driver->wResume());
        f.host->setTaskStatus(1);
    }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(QString(), {"--job-ms", "600"}));
    }

    void cleanupTestCase() { m_f.reset(); }

    void cleanup()
    {
        m_f->sim.control("set status 0");
        if (!m_f->driver->isWorkIdle())
            m_f->driver->exitTask();
        QVERIFY(waitIdle(*m_f));
        m_f->driver->setErrorMessage(QString());
    }

    void stepLists_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("print");
        QTest::addColumn<int>("steps"); // with the closing taskStop
        QTest::newRow("none yet") << -1 << true << 0;
        QTest::newRow("cut") << 1 << true << 9;
        QTest::newRow("run, printing") << 2 << true << 8;
        QTest::newRow("run") << 2 << false << 6;
        QTest::newRow("knife reset") << 9 << true << 3;
        QTest::newRow("unknown") << 42 << true << 1;
    }

    void stepLists()
    {
        QFETCH(int, type);
        QFETCH(bool, print);
        QFETCH(int, steps);
        DriverFixture &f = *m_f;
        f.config->setEnablePrint(print);
        if (type == 42)
            QTest::ignoreMessage(QtWarningMsg, "TaskWorker::buildSteps no steps for task type 42");
        TaskWorker worker(f.driver.get(), type);
        QCOMPARE(worker.stepCount(), steps);
        f.config->setEnablePrint(true);
    }

    // A cut takes the driver's data unless the job already has its own.
    void cutDataAtBuildTime()
    {
        DriverFixture &f = *m_f;
        f.driver->setPltData("PU1,1;");
        TaskWorker plain(f.driver.get(), 1);
        QCOMPARE(plain.data(), QByteArray("PU1,1;"));
        TaskWorker own(f.driver.get(), -1);
        own.setData("PU2,2;");
        own.setTaskType(1);
        QCOMPARE(own.data(), QByteArray("PU2,2;"));
    }

    void cut100mmRectOnTheWire()
    {
        DriverFixture &f = *m_f;
        const int from = int(f.sim.received().size());
        const int stops = f.host->stopRequests();
        f.driver->cut100mmRect();
        QVERIFY(waitIdle(f));
        const QList<QByteArray> frames = f.sim.received().mid(from);
        const QStringList sent = wire(frames);

        // Knife checks, the size announcement, two send requests, the data.
        const QStringList head{"3;", "3;", "4,0,0,0;", "3;", "4,0,0,0;", "3;", "22,42,1024;", "21;", "21;", "PPLT 42"};
        QCOMPARE(sent.mid(0, head.size()), head);
        QCOMPARE(frames.at(head.size() - 1), QByteArray("\x02" "52;PPLT;" + kSquare + "\x03"));
        QCOMPARE(sent.filter("PPLT").size(), 1);
        // Status polls while the carriage cuts, then the machine's stop.
        const QStringList tail = sent.mid(head.size());
        const QStringList stop{"12,2;", "4,0,0,0;", "2,0,5;"};
        const int polls = int(tail.indexOf("12,2;"));
        QVERIFY2(polls >= 2, qPrintable(sent.join(' ')));
        QCOMPARE(tail.mid(0, polls), QStringList(polls, "3;"));
        QCOMPARE(tail.mid(polls, 3), stop);
        QCOMPARE(f.host->stopRequests(), stops + 1);
        QCOMPARE(f.host->taskStatus(), 2);
        const Varnok120X::PltTransfer plt = f.driver->pltTransfer();
        QCOMPARE(plt.total, quint64(42));
        QCOMPARE(plt.sent, quint64(42));
        QCOMPARE(plt.package, quint64(1024));
        // The step texts go 3 s after the job.
        QCOMPARE(f.config->runTip(), QString("停止任务"));
        QTRY_COMPARE_WITH_TIMEOUT(f.config->runTip(), QString(), 5000);
    }

    void dataGoesInPackages()
    {
        DriverFixture &f = *m_f;
        QByteArray data;
        while (data.size() < 2498)
            data += "PU" + QByteArray::number(data.size() % 1000) + ",0;";
        data.truncate(2498);
        data.append("\xb2\xe2", 2); // bytes outside ASCII go as they are
        QFile file(QStringLiteral("big.plt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();
        f.host->setCutFile(file.fileName());
        const int from = int(f.sim.received().size());
        f.driver->cut();
        f.host->setCutFile(QString());
        QVERIFY(waitIdle(f));
        const QList<QByteArray> frames = f.sim.received().mid(from);
        const QStringList sent = wire(frames);
        QVERIFY(sent.contains("22,2500,1024;"));
        const QList<QByteArray> parts = packages(frames);
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts.at(0).size(), 1024);
        QCOMPARE(parts.at(1).size(), 1024);
        QCOMPARE(parts.at(2).size(), 452);
        QCOMPARE(parts.join(), data);
        // Each package is asked for first.
        for (int i = 0; i < sent.size(); ++i) {
            if (sent.at(i).startsWith("PPLT"))
                QCOMPARE(sent.at(i - 1), QString("21;"));
        }
        QVERIFY(!f.sim.transcript().join('\n').contains("NOTE cut data"));
    }

    void pauseResumeAndStop()
    {
        DriverFixture &f = *m_f;
        int from = int(f.sim.received().size());
        f.driver->cut100mmRect();
        QVERIFY(waitCutting(f, from));

        pauseLikeApp(f);
        QCOMPARE(f.host->taskStatus(), 0);
        QTest::qWait(200);
        // Paused: the list polls nothing and the carriage keeps its place.
        const int quiet = int(f.commands().size());
        QTest::qWait(700);
        QCOMPARE(int(f.commands().size()), quiet);
        QVERIFY(f.driver->rCutMotorStatus());
        QCOMPARE(f.driver->cutMotorStatus(), 2);
        QVERIFY(!f.driver->isWorkIdle());

        resumeLikeApp(f);
        QVERIFY(waitIdle(f));
        QStringList sent = wire(f.sim.received().mid(from));
        QVERIFY(sent.indexOf("12,0;") < sent.indexOf("12,1;"));
        QCOMPARE(sent.filter("12,2;").size(), 1); // the job ended itself
        QCOMPARE(sent.last(), QString("4,0,0,0;"));

        // A stop reaches the list at its next pass: no step of the job runs
        // after the machine has stopped.
        from = int(f.sim.received().size());
        const int stops = f.host->stopRequests();
        f.driver->cut100mmRect();
        QVERIFY(waitCutting(f, from));
        QElapsedTimer clock;
        clock.start();
        f.host->stopTask(true);
        QVERIFY(waitIdle(f, 2000));
        QVERIFY(clock.elapsed() < 1500);
        sent = wire(f.sim.received().mid(from));
        QCOMPARE(sent.filter("12,2;").size(), 1);
        QCOMPARE(f.host->stopRequests(), stops + 1); // only the operator's
        QCOMPARE(f.host->taskStatus(), 2);
    }

    void secondJobRefused()
    {
        DriverFixture &f = *m_f;
        QVERIFY(f.sim.control("set status 1")); // the carriage holds the job in its first step
        f.driver->cut100mmRect();
        QVERIFY(!f.driver->isWorkIdle());

        QPointer<TaskWorker> second = new TaskWorker(f.driver.get(), 9);
        QVERIFY(!f.driver->createWork(second));
        QVERIFY(second.isNull());
        QCOMPARE(f.driver->errorMessage(), QString("机器繁忙，请稍后重试"));

        // A refused run without cutting never gets to set its speed.
        f.driver->setErrorMessage(QString());
        const int before = int(f.commands().size());
        f.driver->wStart();
        QCOMPARE(f.driver->errorMessage(), QString("机器繁忙，请稍后重试"));
        QVERIFY(f.commands(before).filter(QRegularExpression("^6,1,")).isEmpty());

        QVERIFY(f.sim.control("set status 0"));
        QVERIFY(waitIdle(f));
    }

    // Type 2: a pen-up walk of 10 m fed again and again, one copy booked and
    // printed per walk, until the application has all its copies.
    void runWithoutCutting()
    {
        DriverFixture &f = *m_f;
        f.host->setCopiesLeft(3);
        const int prints = f.host->prints();
        const int from = int(f.sim.received().size());
        f.host->setCutTaskCopies(0);
        f.driver->wStart();
        QVERIFY(waitIdle(f, 15000));
        f.host->setCopiesLeft(-1);

        const QList<QByteArray> frames = f.sim.received().mid(from);
        const QStringList sent = wire(frames);
        QCOMPARE(sent.first(), QString("6,1,0,200;")); // the no-cut speed, as the list is built
        QCOMPARE(f.host->prints() - prints, 3);
        QCOMPARE(sent.filter("2,0,5;").size(), 3); // two walks, and the stop's own
        const QByteArray walk = penUpWalk();
        QCOMPARE(walk.count("PU"), 1000);
        const QList<QByteArray> parts = packages(frames);
        QCOMPARE(parts.size(), 2 * int((walk.size() + 1023) / 1024));
        QCOMPARE(parts.join(), walk + walk);
        QCOMPARE(sent.filter(QStringLiteral("22,%1,1024;").arg(walk.size())).size(), 2);
        // The last copy ends the job: rewind motor off, the machine's stop,
        // then the cut speed again.
        const int end = int(sent.indexOf("20,1,3,0,0,0;"));
        QVERIFY(end > 0);
        QCOMPARE(sent.mid(end), (QStringList{"20,1,3,0,0,0;", "12,2;", "4,0,0,0;", "2,0,5;", "6,1,0,100;", "4,0,0,0;"}));
    }

    // Type 2 without printing: 10 m walks after zeroing X, again and again,
    // cutting nothing and booking nothing, until the operator stops.
    void runUntilStopped()
    {
        DriverFixture &f = *m_f;
        f.config->setEnablePrint(false);
        f.host->setCutTaskCopies(0);
        const int copies = f.host->finishedCopies();
        const int lineFrom = int(f.sim.transcript().size());
        const int from = int(f.sim.received().size());
        f.driver->wStart();
        QVERIFY(f.sim.waitFor(
            [&](const QStringList &lines) { return lines.mid(lineFrom).filter(QRegularExpression("^JOB END")).size() >= 3; },
            15000));
        QVERIFY(!f.driver->isWorkIdle());
        f.host->stopTask(true);
        QVERIFY(waitIdle(f));

        const QStringList lines = f.sim.transcript().mid(lineFrom);
        const QStringList starts = lines.filter(QRegularExpression("^JOB START"));
        const QStringList ends = lines.filter(QRegularExpression("^JOB END"));
        QVERIFY(starts.size() >= 3);
        const qint64 walk = penUpWalk().size();
        for (int i = 0; i < 3; ++i) {
            const qint64 web = starts.at(i).section(' ', -1).toLongLong();
            QCOMPARE(starts.at(i), QStringLiteral("JOB START %1 bytes knives 1 web %2").arg(walk).arg(web));
            QCOMPARE(ends.at(i), QStringLiteral("JOB END web %1").arg(web + 400000));
            if (i > 0)
                QCOMPARE(web, starts.at(i - 1).section(' ', -1).toLongLong() + 400000);
        }
        QVERIFY(lines.filter(QRegularExpression("^CUT ")).isEmpty());
        const QStringList sent = wire(f.sim.received().mid(from));
        QVERIFY(sent.filter("2,0,5;").size() >= 3);
        QCOMPARE(f.host->finishedCopies(), copies);
        QCOMPARE(f.host->taskStatus(), 2);
        f.config->setEnablePrint(true);
    }

    // While the web runs without cutting the speed follows the rewind roller.
    void speedFollowsRewindRoller()
    {
        DriverFixture &f = *m_f;
        f.config->setEnableCut(false);
        f.config->setEnablePrint(false);
        f.config->setVersion(5);
        f.config->setProperty(Config::CPT_NO_CUT_SPEED, 100);
        f.config->setCollectRollerLimit(20);
        f.config->setCollectRollerMax(60);
        const double trigger = f.config->collectRollerTrigger();
        f.driver->setCollectRoller(trigger + 10.0);
        QVERIFY(f.sim.control("set status 1")); // the carriage stays busy: the list waits in its first step
        const int before = int(f.commands().size());
        f.driver->wStart();
        QVERIFY(QTest::qWaitFor([&] { return f.commands(before).contains("6,1,0,50;"); }, 3000));
        QTest::qWait(300);
        QCOMPARE(f.commands(before).filter(QRegularExpression("^6,1,")).size(), 1);

        f.driver->setCollectRoller(trigger + 17.5); // speed 12, below 30: left as it is
        const int slow = int(f.commands().size());
        QTest::qWait(600);
        QVERIFY(f.commands(slow).filter(QRegularExpression("^6,1,")).isEmpty());
        f.driver->setCollectRoller(trigger - 10.0); // at most the no-cut speed
        QVERIFY(QTest::qWaitFor([&] { return f.commands(slow).contains("6,1,0,100;"); }, 3000));

        QVERIFY(f.driver->exitTask());
        QVERIFY(waitIdle(f));
        f.config->setEnableCut(true);
        f.config->setEnablePrint(true);
        f.config->setVersion(0);
        f.config->setProperty(Config::CPT_NO_CUT_SPEED, 200);
        f.driver->setCollectRoller(50.0);
    }

    void checkMove_data()
    {
        QTest::addColumn<double>("film");
        QTest::addColumn<double>("rewind");
        QTest::addColumn<double>("dx");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<bool>("stops");
        // Limits: film 60, rewind 60 to 100; 40 mm move the rollers by 2.
        QTest::newRow("forward") << 70.0 << 50.0 << 40.0 << true << false;
        QTest::newRow("forward onto the film limit") << 61.0 << 50.0 << 40.0 << false << false;
        QTest::newRow("forward into a full rewind") << 70.0 << 99.0 << 40.0 << false << false;
        QTest::newRow("backward") << 70.0 << 70.0 << -40.0 << true << false;
        QTest::newRow("backward onto the rewind limit") << 70.0 << 61.0 << -40.0 << false << true;
        QTest::newRow("no move") << 0.0 << 0.0 << 0.0 << true << false;
    }

    void checkMove()
    {
        QFETCH(double, film);
        QFETCH(double, rewind);
        QFETCH(double, dx);
        QFETCH(bool, allowed);
        QFETCH(bool, stops);
        DriverFixture &f = *m_f;
        f.config->setFilmRollerLimit(60);
        f.config->setCollectRollerLimit(60);
        f.config->setCollectRollerMax(100);
        f.driver->setFilmRoller(film);
        f.driver->setCollectRoller(rewind);
        f.host->setStopAction(nullptr);
        f.host->setTaskStatus(1);
        const int stopRequests = f.host->stopRequests();
        TaskWorker worker(f.driver.get(), -1);
        QCOMPARE(worker.checkMove(dx), allowed);
        QCOMPARE(f.host->stopRequests() - stopRequests, stops ? 1 : 0);
        QCOMPARE(f.driver->errorMessage(), stops ? QString(" 收纸容纸限位 ") : QString());
        // A zero move is no move at all.
        const int before = int(f.commands().size());
        QVERIFY(worker.moveBy(1, QPointF(0, 0)));
        QCOMPARE(int(f.commands().size()), before);
        f.host->setTaskStatus(2);
        f.host->setStopAction([d = f.driver.get()] { return d->exitTask(); });
        f.driver->setFilmRoller(50.0);
        f.driver->setCollectRoller(50.0);
    }

    // Several knives: after the link a knife reset brings every knife to its
    // origin offset; knives move together by the shortest distance.
    void knifeResetAndPlacement()
    {
        DriverFixture f;
        f.config->setVersion(4); // per-knife positions and knife selection
        f.config->setKnifeNum(4);
        // Origin offsets (380 - 40 k) mm: 15200, 13600, 12000, 10400 units.
        // Knives 2 and 3 stand 3 and 5 units short of theirs.
        QVERIFY(f.link(QString(), {"--job-ms", "100", "--set", "point0=0,15200", "--set", "point1=0,13600", "--set",
                                   "point2=0,11997", "--set", "point3=0,10395"}));
        QVERIFY(QTest::qWaitFor([&] { return f.host->statusLog().contains(1); }, 2000));
        QVERIFY(waitIdle(f));
        QStringList sent = wire(f.sim.received());
        QVERIFY2(sent.contains("19,12;") && sent.contains("19,8;"), qPrintable(sent.join(' ')));
        QVERIFY(sent.indexOf("19,12;") < sent.indexOf("19,8;"));
        const QList<QByteArray> moves = packages(f.sim.received());
        QCOMPARE(moves, (QList<QByteArray>{"IN;PA;SP2;PU0,3;PG;PG;", "IN;PA;SP2;PU0,2;PG;PG;"}));
        // The reset's own stop does not start another reset.
        const int stop = int(sent.indexOf("12,2;"));
        QCOMPARE(sent.at(stop - 1), QString("3;"));
        for (int k = 0; k < 4; ++k) {
            QVERIFY(f.driver->rDevicePoint(k));
            QCOMPARE(f.driver->devicePoint(k).y(), f.driver->knifeOffset(k).y());
        }

        // A job of two knives: knives 3 and 2 go to their origins (read in
        // that order), knife 1 to its interval from knife 0, which stays; the
        // data goes to the job's knives; the job's end parks every knife.
        QVERIFY(f.sim.control("set point2 0,100"));
        QVERIFY(f.sim.control("set point3 0,200"));
        QVERIFY(f.sim.control("set point1 0,0"));
        const int from = int(f.sim.received().size());
        auto *worker = new TaskWorker(f.driver.get(), -1);
        worker->setData("PU0,0;PD400,0;PU0,0;");
        worker->setKnifeIntervals({0, 4000});
        worker->setTaskType(1);
        QVERIFY(f.driver->createWork(worker));
        QVERIFY(waitIdle(f));
        sent = wire(f.sim.received().mid(from));
        QVERIFY(sent.indexOf("4,0,3,0,0;") < sent.indexOf("4,0,2,0,0;"));
        QCOMPARE(sent.filter(QRegularExpression("^19,")).mid(0, 4), (QStringList{"19,12;", "19,4;", "19,2;", "19,3;"}));
        // Knife 1: 4000 units from knife 0 at 15200, less the knife interval
        // of 40 mm (its camera offset is 0).
        QCOMPARE(packages(f.sim.received().mid(from)).mid(0, 4),
                 (QList<QByteArray>{"IN;PA;SP2;PU0,10200;PG;PG;", "IN;PA;SP2;PU0,1700;PG;PG;",
                                    "IN;PA;SP2;PU0,17600;PG;PG;", "PU0,0;PD400,0;PU0,0;"}));
        // Both knives of the job cut the stroke, each in its lane.
        const QStringList cuts = f.sim.transcript().filter(QRegularExpression("^CUT "));
        QCOMPARE(cuts.size(), 2);
        const QString web = f.sim.transcript().filter(QRegularExpression("^JOB START 20 bytes")).value(0).section(' ', -1);
        QCOMPARE(cuts, (QStringList{QStringLiteral("CUT 0 %1,15200 %2,15200").arg(web).arg(web.toLongLong() + 400),
                                    QStringLiteral("CUT 1 %1,17600 %2,17600").arg(web).arg(web.toLongLong() + 400)}));
        for (int k = 0; k < 4; ++k) {
            QVERIFY(f.driver->rDevicePoint(k));
            QCOMPARE(f.driver->devicePoint(k).y(), f.driver->knifeOffset(k).y());
        }
    }

    void droppedLinkEndsTheJob()
    {
        DriverFixture f;
        QVERIFY(f.link(QString()));
        QVERIFY(f.sim.control("set status 1"));
        const int before = int(f.commands().size());
        f.driver->cut100mmRect();
        QVERIFY(f.waitForCommandCount(before + 2));
        QVERIFY(f.sim.control("now close"));
        QVERIFY(waitIdle(f, 3000));
        QCOMPARE(f.driver->errorMessage(), QString("设备未连接，请重启设备或者选择设备 \n"));
        QCOMPARE(f.host->taskStatus(), 2);
        QVERIFY(!f.driver->isLinked());
    }
};

DRAVO_TEST_MAIN(TestTaskWorker)
#include "tst_taskworker.moc"
