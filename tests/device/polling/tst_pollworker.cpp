// The roller poller against the simulated controller: limit bits, the film
// and feed motors, the limit reactions, bad readings and a silent controller.
#include "tests/support/TestMain.h"
#include "device/state/MachineAlarms.h"
#include "tests/device/polling/PollFixture.h"

using namespace MachineAlarms;

namespace {

// Motor speeds sent with prefix ("20,1,<motor>,0,<speed>,0;").
QList<int> speeds(PollRun &r, const QString &prefix)
{
    QList<int> out;
    for (const QString &c : r.commands(prefix))
        out << c.section(QLatin1Char(','), 4, 4).toInt();
    return out;
}

} // namespace

class TestPollWorker : public QObject
{
    Q_OBJECT

private slots:
    void scenarios_data()
    {
        QTest::addColumn<QStringList>("simArguments");
        QTest::addColumn<PollScript>("script");
        const PollStep noGyro = param(Config::CPT_Enable_Gyroscope, false), noPrint = param(Config::CPT_Enable_Print_Roller, false);
        const PollStep filmTop = param(Config::CPT_Film_Speed, 100);
        // Band (60 - 20) x 0.65 = 26, roller 10 below its trigger: 10 x 100 / 26
        // = 38, the same again only after 2 s; above its maximum the film stops.
        QTest::newRow("film motor follows the film roller") << QStringList{"--set", "filmRoller=50"} << PollScript{
            param(Config::CPT_Film_Roller_Trigger, 60), param(Config::CPT_Film_Roller_Limit, 20), noPrint, noGyro, filmTop, startPolling(),
            expect("20,1,1,0,38,0;", 2),
            check("again after 2 s", [](PollRun &r) { const auto t = r.times("20,1,1,"); return speeds(r, "20,1,1,").mid(0, 2) == QList<int>{38, 38} && spaced(t.mid(0, 2), 2000); }),
            check("running", [](PollRun &r) { return r.f.driver->filmMotorRunning(); }),
            mark(), sim("set filmRoller 120"), expect("20,1,1,0,0,0;"), only("20,1,1,", {"20,1,1,0,0,0;"}), bit(FilmRollerMax),
            check("stopped", [](PollRun &r) { return !r.f.driver->filmMotorRunning(); })};
        // Half way from trigger 3 to limit 20: 10 + 0.5 x 90 = 55; past the
        // limit the top speed and the bit; at the trigger 0, said once.
        QTest::newRow("feed motor follows the dancer") << QStringList{"--set", "gyroscope=1150"} << PollScript{
            param(Config::CPT_Gyroscope_Trigger, 3), param(Config::CPT_Gyroscope_Limit, 20), startPolling(),
            expect("20,1,0,0,55,0;"), until("running", [](PollRun &r) { return r.f.driver->feedMotorRunning(); }),
            sim("set gyroscope 2500"), expect("20,1,0,0,100,0;"), bit(FeedLimit),
            sim("set gyroscope 300"), expect("20,1,0,0,0,0;"), bit(FeedLimit, false),
            until("stopped", [](PollRun &r) { return !r.f.driver->feedMotorRunning(); }),
            quiet("20,1,0,", 500)};
        // Trigger equal to limit leaves no span to scale by: no speed, one
        // warning each; with a span again the film follows.
        QTest::newRow("no span, speeds unchanged") << QStringList{"--set", "filmRoller=50", "--set", "gyroscope=1150"} << PollScript{
            param(Config::CPT_Film_Roller_Trigger, 60), param(Config::CPT_Film_Roller_Limit, 60), noPrint,
            param(Config::CPT_Gyroscope_Trigger, 20), param(Config::CPT_Gyroscope_Limit, 20), startPolling(),
            expect("18,0,0;", 5), quiet("20,1,1,", 300), quiet("20,1,0,", 100),
            check("warned once", [](PollRun &r) { return r.log.lines("PollWorker::doFilmMotor").size() == 1 && r.log.lines("PollWorker::doFeedMotor").size() == 1; }),
            param(Config::CPT_Film_Roller_Limit, 20), filmTop, expect("20,1,1,0,38,0;")};
        // The rewind roller below its limit: the bit, the forward jog stopped
        // and refused, the rewind stopped again once a second while it lasts.
        QTest::newRow("rewind limit stops rewind and jog") << QStringList{"--set", "collectRoller=90", "--set", "filmRoller=70"} << PollScript{
            startPolling(), expect("18,0,0;", 2), check("jog", [](PollRun &r) { return r.f.driver->wMoveX(1); }),
            mark(), sim("set collectRoller 50"), expect("15,0,0;"), expect("20,1,3,0,0,0;"), bit(CollectRollerLimit),
            check("jog refused forward only", [](PollRun &r) { return !r.f.driver->wMoveX(1) && r.f.driver->wMoveX(-1); }),
            check("stop repeated once a second", [](PollRun &r) { return r.waitFor([&] { return r.times("20,1,3,0,0,0;", r.mark).size() >= 3; }) && spaced(r.times("20,1,3,0,0,0;", r.mark), 1000); }),
            sim("set collectRoller 90"), bit(CollectRollerLimit, false), check("jog", [](PollRun &r) { return r.f.driver->wMoveX(1); })};
        // At the rewind maximum a running cut pauses the machine, not the
        // application's task.
        QTest::newRow("cut paused at rewind maximum") << QStringList{"--set", "status=1", "--set", "filmRoller=70"} << PollScript{
            check("cutting", [](PollRun &r) { return r.f.driver->rCutMotorStatus(); }), status(1), startPolling(), expect("18,0,0;", 2),
            sim("set collectRoller 130"), expect("12,0;"), bit(CollectRollerMax),
            check("task still runs", [](PollRun &r) { return r.f.driver->rCutMotorStatus() && !r.f.host->statusLog().contains(0); })};
        // Wild jumps, readings out of every range, no numbers, missing
        // fields: every speed within 0 to the top, no junk a roller value.
        PollScript wild{param(Config::CPT_Film_Roller_Trigger, 60), param(Config::CPT_Film_Roller_Limit, 20), noPrint, filmTop,
                        param(Config::CPT_Gyroscope_Trigger, 3), param(Config::CPT_Gyroscope_Limit, 20), startPolling(), expect("18,0,0;", 2)};
        for (const char *line : {"at 0 set filmRoller -1e12", "at 0 set gyroscope 2000000000", "at 300 set filmRoller 1e12",
                                 "at 300 set gyroscope -2000000000", "at 600 set filmRoller -5000", "at 600 set gyroscope 99999",
                                 "at 900 set filmRoller inf", "at 1100 set filmRoller nan", "at 1300 set filmRoller 50",
                                 "on 18 reply CCMD;18,0,0,0,x,0,0,50.00,abc,50.00; skip 20 count 2", "on 18 fields 4 skip 24 count 2"})
            wild << sim(QString::fromLatin1(line));
        wild << check("speeds in range", [](PollRun &r) {
            r.waitFor([&] { return r.times("18,0,0;").size() >= 34; }, 30000); // past the scripted replies
            const QList<int> sent = speeds(r, "20,1,1,") + speeds(r, "20,1,0,");
            return !sent.isEmpty() && std::all_of(sent.begin(), sent.end(), [](int v) { return v >= 0 && v <= 100; })
                   && sent.contains(100) && r.f.driver->filmRoller() == 50.0;
        });
        QTest::newRow("bad readings") << QStringList{} << wild;
        // Three reads unanswered (250 ms each: a test about the waits; each
        // one's reply owed for 1 s): asked again after 0.5, 1 and 2 s, said
        // once, then the poll interval again.
        QTest::newRow("silent controller asked less often") << QStringList{} << PollScript{
            param(Config::CPT_wait_TcpRet_Msecs, 250), param(Config::CPT_wait_TcpRet_Msecs_Max, 1000), startPolling(), expect("18,0,0;", 3), mark(), sim("on 18 drop count 3"),
            check("back", [](PollRun &r) { return r.waitFor([&] { return !r.log.lines("PollWorker::doReadState roller reading back").isEmpty(); }, 20000); }),
            // Four reads in a row (three unanswered, the one answered) spread over
            // seconds where the loop asks every 100 ms; a read or two either side
            // of them is the loop's own, around the control line and the log line.
            check("backed off", [](PollRun &r) {
                const auto t = r.times("18,0,0;", r.mark);
                for (qsizetype i = 0; i + 3 < t.size(); ++i) {
                    if (t[i + 3] - t[i] > 3000)
                        return true;
                }
                return false;
            }),
            check("said once", [](PollRun &r) { return r.log.lines("PollWorker::doReadState no roller reading").size() == 1 && r.log.lines("Varnok120X::sendCMD").filter("18,0,0;").size() == 3; }),
            mark(), check("interval", [](PollRun &r) { return r.waitFor([&] { return r.times("18,0,0;", r.mark).size() >= 3; }, 3000); })};
        // Polling off: nothing asked; off and on at once: the loop goes on;
        // link down: both pollers silent, on the link and in the log.
        QTest::newRow("idle while off, quiet while unlinked") << QStringList{} << PollScript{
            quiet("", 600), startPolling(), expect("18,0,0;", 2),
            check("off", [](PollRun &r) { r.f.driver->setPolling(false); r.watch(200); return true; }), quiet("", 600),
            check("off and on", [](PollRun &r) { const auto n = r.times("18,0,0;").size(); r.f.driver->setPolling(true); r.f.driver->setPolling(false); r.f.driver->setPolling(true); return r.waitFor([&] { return r.times("18,0,0;").size() >= n + 4; }); }),
            sim("now close"), until("unlinked", [](PollRun &r) { return !r.f.driver->isLinked(); }),
            check("quiet log", [](PollRun &r) { const int from = int(r.log.lines().size()); QTest::qWait(1500); return r.log.lines().size() - from <= 1; })};
    }

    void scenarios()
    {
        QFETCH(QStringList, simArguments);
        QFETCH(PollScript, script);
        runPollScript(simArguments, script);
    }
};

DRAVO_TEST_MAIN(TestPollWorker)
#include "tst_pollworker.moc"
