// The rewind, web-guide and trim poller against the simulated controller.
#include "tests/support/TestMain.h"
#include "device/state/MachineAlarms.h"
#include "tests/device/polling/PollFixture.h"

namespace {

int captures(PollRun &r)
{
    return int(r.f.vision->captures().size());
}

} // namespace

class TestPollWorkerCollect : public QObject
{
    Q_OBJECT

private slots:
    void scenarios_data()
    {
        QTest::addColumn<QStringList>("simArguments");
        QTest::addColumn<PollScript>("script");
        const QStringList rollers{"--set", "collectRoller=90", "--set", "filmRoller=70"};
        const PollStep noInspection = param(Config::CPT_Enable_Detection, false);
        // Roller 10 above trigger 80, band (120 - 80) x 0.65 = 26: 100 x 10 / 26
        // = 38 for the label length 50, at most once a second; below its
        // trigger the rewind stops; without fresh roller readings it is left
        // alone, and the log says so once.
        QTest::newRow("rewind follows its roller") << rollers << PollScript{
            noInspection, param(Config::CPT_Collect_Roller_Max, 120), param(Config::CPT_Collect_Speed, 100), startPolling(),
            expect("20,1,3,0,38,50;", 3), only("20,1,3,", QStringList(3, "20,1,3,0,38,50;")),
            check("once a second", [](PollRun &r) { return spaced(r.times("20,1,3,").mid(0, 3), 1000); }),
            sim("set collectRoller 70"), expect("20,1,3,0,0,0;"), sim("on 18 drop"),
            check("stale", [](PollRun &r) { QTest::qWait(2400); return true; }), quiet("20,1,3,", 1200),
            check("said once", [](PollRun &r) { return r.log.lines("pollworkerCollect::doCollect no recent rewind roller reading").size() == 1; })};
        // A run without cutting rewinds at 75 % of the cut speed, 400000 long,
        // between the roller's limit and trigger.
        QTest::newRow("run without cutting") << QStringList{"--set", "collectRoller=70", "--set", "filmRoller=70"} << PollScript{
            noInspection, param(Config::CPT_Enable_Cut, false), param(Config::CPT_CUT_SPEED, 80), status(1), startPolling(),
            expect("20,1,3,"), check("first", [](PollRun &r) { return r.commands("20,1,3,").first() == "20,1,3,0,60,400000;"; })};
        // Inspection: no task, no rewind; a running task one label (2 x 30)
        // per move, each stopped and its label captured before the next; the
        // application's capture request arms one of its own.
        QTest::newRow("one label per capture") << rollers + QStringList{"--set", "moveMs=300"} << PollScript{
            param(Config::CPT_Collect_len, 30), param(Config::CPT_Collect_Speed, 60), param(Config::CPT_Collect_Scale, 2.0),
            startPolling(), quiet("20,1,3,", 1200), status(1),
            check("in order", [](PollRun &r) {
                bool inOrder = true;
                return r.waitFor([&] {
                    const int rewinds = int(r.commands("20,1,3,0,60,60;").size());
                    inOrder = inOrder && rewinds <= captures(r) && captures(r) <= rewinds + 1;
                    return rewinds >= 3;
                }, 20000) && inOrder;
            }),
            only("20,1,3,", QStringList(3, "20,1,3,0,60,60;")),
            check("check camera, labels seen", [](PollRun &r) {
                return r.f.vision->captures().count(2) == captures(r)
                       && QTest::qWaitFor([&] { return r.f.vision->lostLabelViews().size() >= 3; }, 10000) && !r.f.vision->lostLabelViews().contains(true);
            }),
            status(2), check("requested capture", [](PollRun &r) {
                QTest::qWait(1600);
                const int before = captures(r);
                r.f.vision->requestLabelCapture();
                return QTest::qWaitFor([&] { return captures(r) == before + 1; }, 10000);
            })};
        // The guide follows the paper offset of each label: within what it
        // holds (0.1) nothing; 3.0 with the second label, cut to the longest
        // move 0.5; -3.0 against 0.5 the other way.
        QTest::newRow("web guide follows the paper offset") << rollers + QStringList{"--set", "moveMs=300"} << PollScript{
            param(Config::CPT_Rectify, true), param(Config::CPT_Rectify_Len, 0.5),
            check("offset", [](PollRun &r) { r.f.vision->setPaperOffset(0.1); return true; }), status(1), startPolling(),
            check("first label", [](PollRun &r) { return r.waitFor([&] { return captures(r) >= 1; }, 10000); }),
            check("moved with the second", [](PollRun &r) {
                r.f.vision->setPaperOffset(3.0);
                int at = 0;
                return r.waitFor([&] { at = captures(r); return !r.commands("20,1,2,0,30,").isEmpty(); }, 10000) && at == 2;
            }),
            check("offset", [](PollRun &r) { r.f.vision->setPaperOffset(-3.0); return true; }), expect("20,1,2,0,30,-0.5;"),
            only("20,1,2,0,30,", {"20,1,2,0,30,0.5;", "20,1,2,0,30,-0.5;"}),
            check("logged", [](PollRun &r) { return !r.log.lines("pollworkerCollect::doRectification 3 0 offset 3").isEmpty(); })};
        // Edge sensors: both dark, the error bit, said once, no move; the left
        // only for longer than the span, one step; both seen, stop; the right
        // only, the other way.
        QTest::newRow("edge sensors steer the guide") << rollers + QStringList{"--set", "moveMs=1500"} << PollScript{
            noInspection, param(Config::CPT_Rectify, true), param(Config::CPT_Rectify_Span, 300), param(Config::CPT_Rectify_Len, 0.5),
            startPolling(), bit(MachineAlarms::WebGuideError), quiet("20,1,2,0,30,", 1200),
            check("said once", [](PollRun &r) { return r.log.lines("pollworkerCollect::doRectification Rectify Error: left and right are not triggered").size() == 1; }),
            mark(), sim("set sensors 0000010"), expect("20,1,2,0,30,0.5;"), bit(MachineAlarms::WebGuideError, false),
            sim("set sensors 0000011"), expect("20,1,2,0,0,0.0;"), only("20,1,2,0,30,", {"20,1,2,0,30,0.5;"}),
            sim("set sensors 0000001"), expect("20,1,2,0,30,-0.5;")};
        // A label shorter than 2: trim Y moves only once its reset is done
        // (running: waited for, asked again at most every 300 ms; not reset:
        // asked for); then the rewind, then trim X (1.1 x 50).
        for (const bool needed : {false, true}) {
            const QStringList args{"--personality", "module", "--set", QStringLiteral("trimYReset=%1").arg(needed ? 0 : 1),
                                   "--set", "collectRoller=90", "--set", "filmRoller=70"};
            PollScript script{param(Config::CPT_Trim, true), check("short", [](PollRun &r) { r.f.vision->setCollectLen(1.5); return !r.f.config->trimReset(); }),
                              status(1), startPolling()};
            if (!needed)
                script << sim("at 800 set trimYReset 3");
            script << expect("20,1,4,1,300,0;")
                   << expect("20,1,3,0,50,50;") << expect("20,1,4,0,40,55;")
                   << check("in order", [needed](PollRun &r) {
                          const QStringList all = r.commands("");
                          const int moved = int(all.indexOf("20,1,4,1,300,0;")), asked = int(all.lastIndexOf("2,0,3,1;", moved));
                          const QList<qint64> times = r.times("2,0,3,1;");
                          bool spaced = times.size() >= 2;
                          for (int i = 1; i < times.size(); ++i)
                              spaced = spaced && times.at(i) - times.at(i - 1) >= 280;
                          return asked >= 0 && all.mid(0, moved).count("2,1,3,1;") == (needed ? 1 : 0) && (needed || spaced)
                                 && r.f.config->trimReset() && moved < all.indexOf("20,1,3,0,50,50;")
                                 && all.indexOf("20,1,3,0,50,50;") < all.indexOf("20,1,4,0,40,55;");
                      });
            QTest::newRow(needed ? "trim Y reset asked for" : "trim Y reset waited for") << args << script;
        }
    }

    void scenarios()
    {
        QFETCH(QStringList, simArguments);
        QFETCH(PollScript, script);
        runPollScript(simArguments, script);
    }
};

DRAVO_TEST_MAIN(TestPollWorkerCollect)
#include "tst_pollworkercollect.moc"
