// The roller poller against the simulated controller: limit bits, the film
// and feed motors, the limit reactions, bad readings and a silent controller.
#include "MachineAlarms.h"
#include "PollFixture.h"
#include "TestMain.h"

namespace {

// Film motor speeds sent ("20,1,1,0,<speed>,0;") and feed motor speeds ("20,1,0,...").
QList<int> speeds(const QStringList &commands)
{
    QList<int> out;
    for (const QString &c : commands)
        out << c.section(QLatin1Char(','), 4, 4).toInt();
    return out;
}

} // namespace

class TestPollWorker : public QObject
{
    Q_OBJECT

private slots:
    void filmMotorFollowsFilmRoller();
    void feedMotorFollowsDancer();
    void spanOfZeroLeavesSpeedsUnchanged();
    void rewindLimitStopsRewindAndJog();
    void runningCutPausesAtRewindMaximum();
    void badReadingsKeepSpeedsInRange();
    void silentControllerIsAskedLessOften();
    void idleWhilePollingOffAndQuietWhileUnlinked();
};

void TestPollWorker::filmMotorFollowsFilmRoller()
{
    PollFixture f;
    QVERIFY(f.linkSim({"--set", "filmRoller=50"}));
    f.set(Config::CPT_Film_Roller_Trigger, 60);
    f.set(Config::CPT_Film_Roller_Limit, 20);
    f.set(Config::CPT_Film_Speed, 100);
    f.set(Config::CPT_Enable_Print_Roller, false);
    f.set(Config::CPT_Enable_Gyroscope, false);
    CommandTimeline t(f.sim);
    f.startPolling();

    // band (60 - 20) x 0.65 = 26, roller 10 below its trigger: 10 x 100 / 26 = 38,
    // the same speed again only after more than 2000 ms.
    QVERIFY(t.waitForCount("20,1,1,0,38,0;", 2, 4000));
    const QList<qint64> sent = t.times("20,1,1,");
    QCOMPARE(speeds(t.commands("20,1,1,")), (QList<int>{38, 38}));
    QVERIFY2(sent.at(1) - sent.at(0) > 1950 && sent.at(1) - sent.at(0) < 2600,
             qPrintable(QString::number(sent.at(1) - sent.at(0))));
    QVERIFY(f.driver->filmMotorRunning());

    // Above its maximum the film motor stops at once.
    const int above = t.mark();
    QVERIFY(f.control("set filmRoller 120"));
    QVERIFY(t.waitForCount("20,1,1,0,0,0;", 1, 2000));
    QCOMPARE(t.commands("20,1,1,", above), QStringList{"20,1,1,0,0,0;"});
    QTRY_VERIFY(f.driver->deviceState() & MachineAlarms::FilmRollerMax);
    QVERIFY(!f.driver->filmMotorRunning());
}

void TestPollWorker::feedMotorFollowsDancer()
{
    PollFixture f;
    QVERIFY(f.linkSim({"--set", "gyroscope=1150"}));
    f.set(Config::CPT_Gyroscope_Trigger, 3);
    f.set(Config::CPT_Gyroscope_Limit, 20);
    f.set(Config::CPT_Gyroscope_speed, 100);
    CommandTimeline t(f.sim);
    f.startPolling();

    // Half way from trigger 3 to limit 20: 10 + 0.5 x 90 = 55.
    QVERIFY(t.waitForCount("20,1,0,0,55,0;", 1, 2000));
    QTRY_VERIFY(f.driver->feedMotorRunning());
    QVERIFY(!(f.driver->deviceState() & MachineAlarms::FeedLimit));

    // Past the limit: capped at the top speed, and the dancer's limit bit.
    QVERIFY(f.control("set gyroscope 2500"));
    QVERIFY(t.waitForCount("20,1,0,0,100,0;", 1, 2000));
    QTRY_VERIFY(f.driver->deviceState() & MachineAlarms::FeedLimit);

    // At the trigger the feed stops.
    QVERIFY(f.control("set gyroscope 300"));
    QVERIFY(t.waitForCount("20,1,0,0,0,0;", 1, 2000));
    QTRY_VERIFY(!f.driver->feedMotorRunning());
    QTRY_VERIFY(!(f.driver->deviceState() & MachineAlarms::FeedLimit));
    // A standing dancer at speed 0 is not told again.
    const int settled = t.mark();
    t.watch(500);
    QVERIFY(t.commands("20,1,0,", settled).isEmpty());
}

void TestPollWorker::spanOfZeroLeavesSpeedsUnchanged()
{
    PollFixture f;
    LogCapture log;
    QVERIFY(f.linkSim({"--set", "filmRoller=50", "--set", "gyroscope=1150"}));
    f.set(Config::CPT_Film_Roller_Trigger, 60);
    f.set(Config::CPT_Film_Roller_Limit, 60);
    f.set(Config::CPT_Enable_Print_Roller, false);
    f.set(Config::CPT_Gyroscope_Trigger, 20);
    f.set(Config::CPT_Gyroscope_Limit, 20);
    CommandTimeline t(f.sim);
    f.startPolling();

    // Rollers are read, but no speed can be scaled: none is sent.
    QVERIFY(t.waitForCount("18,0,0;", 5, 3000));
    t.watch(300);
    QVERIFY(t.commands("20,1,1,").isEmpty());
    QVERIFY(t.commands("20,1,0,").isEmpty());
    QCOMPARE(log.linesFrom("PollWorker::doFilmMotor").size(), 1);
    QCOMPARE(log.linesFrom("PollWorker::doFeedMotor").size(), 1);

    // A span again: the film speed follows.
    f.set(Config::CPT_Film_Roller_Limit, 20);
    f.set(Config::CPT_Film_Speed, 100);
    QVERIFY(t.waitForCount("20,1,1,0,38,0;", 1, 2000));
}

void TestPollWorker::rewindLimitStopsRewindAndJog()
{
    PollFixture f;
    QVERIFY(f.linkSim({"--set", "collectRoller=90", "--set", "filmRoller=70"}));
    CommandTimeline t(f.sim);
    f.startPolling();
    QVERIFY(t.waitForCount("18,0,0;", 2, 2000));
    QVERIFY(f.driver->wMoveX(1));

    // Rewind roller 50 below its limit 60: bit 32, the forward jog and the rewind stop.
    const int below = t.mark();
    QVERIFY(f.control("set collectRoller 50"));
    QVERIFY(t.waitForCount("15,0,0;", 1, 2000));
    QVERIFY(t.waitForCount("20,1,3,0,0,0;", 1, 2000));
    QVERIFY(f.driver->deviceState() & MachineAlarms::CollectRollerLimit);
    QVERIFY(!f.driver->wMoveX(1));
    QVERIFY(f.driver->wMoveX(-1));
    // While the limit lasts the stop is repeated once a second, not on every pass.
    t.watch(1500);
    const int stops = int(t.times("20,1,3,0,0,0;", below).size());
    QVERIFY2(stops >= 2 && stops <= 3, qPrintable(QString::number(stops)));
    QVERIFY(t.times("18,0,0;", below).size() >= 8);

    QVERIFY(f.control("set collectRoller 90"));
    QTRY_VERIFY(!(f.driver->deviceState() & MachineAlarms::CollectRollerLimit));
    QVERIFY(f.driver->wMoveX(1));
}

void TestPollWorker::runningCutPausesAtRewindMaximum()
{
    PollFixture f;
    QVERIFY(f.linkSim({"--set", "status=1", "--set", "filmRoller=70"}));
    QVERIFY(f.driver->rCutMotorStatus());
    QCOMPARE(f.driver->cutMotorStatus(), 1);
    f.host->setTaskStatus(1);
    const int statusChanges = int(f.host->statusLog().size());
    CommandTimeline t(f.sim);
    f.startPolling();
    QVERIFY(t.waitForCount("18,0,0;", 2, 2000));
    QVERIFY(t.times("12,0;").isEmpty());

    QVERIFY(f.control("set collectRoller 130"));
    QVERIFY(t.waitForCount("12,0;", 1, 2000));
    QTRY_VERIFY(f.driver->deviceState() & MachineAlarms::CollectRollerMax);
    // The machine pauses; the application's task keeps running.
    QTest::qWait(200);
    QCOMPARE(f.host->taskStatus(), 1);
    QCOMPARE(f.host->statusLog().size(), statusChanges);
}

void TestPollWorker::badReadingsKeepSpeedsInRange()
{
    PollFixture f;
    QVERIFY(f.linkSim());
    f.set(Config::CPT_Film_Roller_Trigger, 60);
    f.set(Config::CPT_Film_Roller_Limit, 20);
    f.set(Config::CPT_Film_Speed, 100);
    f.set(Config::CPT_Enable_Print_Roller, false);
    f.set(Config::CPT_Gyroscope_Trigger, 3);
    f.set(Config::CPT_Gyroscope_Limit, 20);
    f.set(Config::CPT_Gyroscope_speed, 100);
    CommandTimeline t(f.sim);
    f.startPolling();
    QVERIFY(t.waitForCount("18,0,0;", 2, 2000));

    // Wild jumps, readings out of every range, no numbers, missing fields.
    for (const char *line : {"at 0 set filmRoller -1e12", "at 0 set gyroscope 2000000000",
                             "at 300 set filmRoller 1e12", "at 300 set gyroscope -2000000000",
                             "at 600 set filmRoller -5000", "at 600 set gyroscope 99999",
                             "at 900 set filmRoller inf", "at 1100 set filmRoller nan",
                             "at 1300 set filmRoller 50"})
        QVERIFY(f.control(QString::fromLatin1(line)));
    QVERIFY(f.control("on 18 reply CCMD;18,0,0,0,x,0,0,50.00,abc,50.00; skip 20 count 2"));
    QVERIFY(f.control("on 18 fields 4 skip 24 count 2"));
    t.watch(2500);

    QList<int> sent = speeds(t.commands("20,1,1,")) + speeds(t.commands("20,1,0,"));
    QVERIFY(!sent.isEmpty());
    for (int speed : sent)
        QVERIFY2(speed >= 0 && speed <= 100, qPrintable(QString::number(speed)));
    // The roller far below its trigger asks for the top film speed, no more.
    QVERIFY(t.times("20,1,1,0,100,0;").size() >= 1);
    // Non-numbers and missing fields never became a roller value.
    QVERIFY(std::isfinite(f.driver->filmRoller()));
    QCOMPARE(f.driver->filmRoller(), 50.0);
}

void TestPollWorker::silentControllerIsAskedLessOften()
{
    PollFixture f;
    LogCapture log;
    QVERIFY(f.linkSim());
    CommandTimeline t(f.sim);
    f.startPolling();
    QVERIFY(t.waitForCount("18,0,0;", 3, 2000));

    // Three reads go unanswered: the poller waits 0.5, 1 and 2 s after them
    // (not 0.1 s), says so once, and goes on when the controller answers again.
    const int logged = log.size();
    const int silent = t.mark();
    const qint64 silentAt = t.now();
    QVERIFY(f.control("on 18 drop count 3"));
    QVERIFY(t.waitFor([&] { return !log.linesFrom("PollWorker::doReadState roller reading back", logged).isEmpty(); },
                      7000));
    const QList<qint64> reads = t.times("18,0,0;", silent);
    QVERIFY2(reads.size() <= 5, qPrintable(QString::number(reads.size())));
    QVERIFY(t.now() - silentAt > 3000);
    QCOMPARE(log.linesFrom("PollWorker::doReadState no roller reading", logged).size(), 1);
    int unanswered = 0;
    for (const QString &line : log.linesFrom("Varnok120X::sendCMD", logged))
        unanswered += line.contains(QLatin1String("18,0,0;")) ? 1 : 0;
    QCOMPARE(unanswered, 3);
    // Back to the poll interval.
    const int back = t.mark();
    t.watch(500);
    QVERIFY(t.times("18,0,0;", back).size() >= 3);
}

void TestPollWorker::idleWhilePollingOffAndQuietWhileUnlinked()
{
    PollFixture f;
    LogCapture log;
    QVERIFY(f.linkSim());
    CommandTimeline t(f.sim);

    // Polling off (as the fixture leaves it): nothing is asked.
    t.watch(600);
    QVERIFY(t.times("18,0,0;").isEmpty());
    f.startPolling();
    QVERIFY(t.waitForCount("18,0,0;", 2, 2000));
    f.driver->setPolling(false);
    t.watch(200);
    const int off = t.mark();
    t.watch(600);
    QVERIFY(t.commands("", off).isEmpty());

    // Off and on again at once: the loop goes on, or starts again.
    f.startPolling();
    QVERIFY(t.waitForCount("18,0,0;", 4, 2000));
    f.driver->setPolling(false);
    f.startPolling();
    QVERIFY(t.waitForCount("18,0,0;", 8, 2000));

    // Link down: both pollers stay silent, on the link and in the log.
    QVERIFY(f.control("now close"));
    QTRY_VERIFY(!f.driver->isLinked());
    const int logged = log.size();
    QTest::qWait(1500);
    const QStringList lines = log.lines().mid(logged);
    QVERIFY2(lines.size() <= 1, qPrintable(lines.join(QLatin1Char('\n'))));
}

DRAVO_TEST_MAIN(TestPollWorker)
#include "tst_pollworker.moc"
