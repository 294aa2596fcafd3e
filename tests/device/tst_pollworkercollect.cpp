// The rewind, web-guide and trim poller against the simulated controller.
#include "MachineAlarms.h"
#include "PollFixture.h"
#include "TestMain.h"

class TestPollWorkerCollect : public QObject
{
    Q_OBJECT

private slots:
    void rewindFollowsRollerWithoutInspection();
    void runWithoutCuttingRewindsAtCutPace();
    void inspectionRewindsOneLabelPerCapture();
    void webGuideFollowsPaperOffset();
    void edgeSensorsSteerWebGuide();
    void trimYWaitsForItsReset_data();
    void trimYWaitsForItsReset();
};

void TestPollWorkerCollect::rewindFollowsRollerWithoutInspection()
{
    PollFixture f;
    LogCapture log;
    QVERIFY(f.linkSim({"--set", "collectRoller=90", "--set", "filmRoller=70"}));
    f.set(Config::CPT_Enable_Detection, false);
    f.set(Config::CPT_Collect_Roller_Max, 120);
    f.set(Config::CPT_Collect_Speed, 100);
    CommandTimeline t(f.sim);
    f.startPolling();

    // Roller 10 above trigger 80, band (120 - 80) x 0.65 = 26: 100 x 10 / 26 = 38,
    // for the application's label length 50; again at most once a second.
    QVERIFY(t.waitForCount("20,1,3,0,38,50;", 3, 4000));
    QCOMPARE(t.commands("20,1,3,"), QStringList(3, "20,1,3,0,38,50;"));
    const QList<qint64> sent = t.times("20,1,3,");
    for (int i = 1; i < sent.size(); ++i)
        QVERIFY2(sent.at(i) - sent.at(i - 1) >= 980, qPrintable(QString::number(sent.at(i) - sent.at(i - 1))));

    // Below its trigger the rewind stops.
    QVERIFY(f.control("set collectRoller 70"));
    QVERIFY(t.waitForCount("20,1,3,0,0,0;", 1, 2000));

    // The roller is no longer read: the rewind is left alone, and the log says so once.
    QVERIFY(f.control("on 18 drop"));
    QTest::qWait(2400);
    const int stale = t.mark();
    t.watch(1200);
    QVERIFY(t.commands("20,1,3,", stale).isEmpty());
    QCOMPARE(log.linesFrom("pollworkerCollect::doCollect no recent rewind roller reading").size(), 1);
}

void TestPollWorkerCollect::runWithoutCuttingRewindsAtCutPace()
{
    PollFixture f;
    // Below the trigger 80 but above the limit 60, which counts for a run without cutting.
    QVERIFY(f.linkSim({"--set", "collectRoller=70", "--set", "filmRoller=70"}));
    f.set(Config::CPT_Enable_Detection, false);
    f.set(Config::CPT_Enable_Cut, false);
    f.set(Config::CPT_CUT_SPEED, 80);
    f.host->setTaskStatus(1);
    CommandTimeline t(f.sim);
    f.startPolling();
    // 75 % of the cut speed, 400000 long.
    QVERIFY(t.waitForCount("20,1,3,0,60,400000;", 1, 3000));
    QCOMPARE(t.commands("20,1,3,").first(), QStringLiteral("20,1,3,0,60,400000;"));
}

void TestPollWorkerCollect::inspectionRewindsOneLabelPerCapture()
{
    PollFixture f;
    QVERIFY(f.linkSim({"--set", "collectRoller=90", "--set", "filmRoller=70", "--set", "moveMs=300"}));
    f.set(Config::CPT_Collect_len, 30);
    f.set(Config::CPT_Collect_Speed, 60);
    f.set(Config::CPT_Collect_Scale, 2.0);
    CommandTimeline t(f.sim);
    f.startPolling();

    // No task: no rewind.
    t.watch(1200);
    QVERIFY(t.commands("20,1,3,").isEmpty());

    // A running task: one label length (scale x length, 2 x 30) per move,
    // each move stopped and its label captured before the next.
    f.host->setTaskStatus(1);
    bool inOrder = true;
    QVERIFY(t.waitFor(
        [&] {
            const int rewinds = int(t.commands("20,1,3,0,60,60;").size());
            const int captures = int(f.vision->captures().size());
            inOrder = inOrder && rewinds <= captures && captures <= rewinds + 1;
            return rewinds >= 3;
        },
        6000));
    QVERIFY(inOrder);
    QCOMPARE(t.commands("20,1,3,"), QStringList(3, "20,1,3,0,60,60;"));
    QVERIFY(f.vision->captures().size() >= 3);
    QVERIFY(f.vision->captures().count(2) == f.vision->captures().size());
    QTRY_VERIFY(f.vision->lostLabelViews().size() >= 3);
    QVERIFY(!f.vision->lostLabelViews().contains(true));

    // The application's label-capture request arms a capture of its own.
    f.host->setTaskStatus(2);
    QTest::qWait(1600);
    const int captures = int(f.vision->captures().size());
    f.vision->requestLabelCapture();
    QTRY_COMPARE_WITH_TIMEOUT(int(f.vision->captures().size()), captures + 1, 2000);
}

void TestPollWorkerCollect::webGuideFollowsPaperOffset()
{
    PollFixture f;
    LogCapture log;
    QVERIFY(f.linkSim({"--set", "collectRoller=90", "--set", "filmRoller=70", "--set", "moveMs=300"}));
    f.set(Config::CPT_Rectify, true);
    f.set(Config::CPT_Rectify_Len, 0.5);
    f.vision->setPaperOffset(0.1);
    f.host->setTaskStatus(1);
    CommandTimeline t(f.sim);
    f.startPolling();

    // 0.1 off the guide's 0: within what it holds, nothing is sent for the
    // first label; the first move comes with the second label's 3.0, cut to
    // the longest guide move of 0.5.
    QVERIFY(t.waitFor([&] { return f.vision->captures().size() >= 1; }, 3000));
    f.vision->setPaperOffset(3.0);
    int capturesAtMove = 0;
    QVERIFY(t.waitFor(
        [&] {
            capturesAtMove = int(f.vision->captures().size());
            return !t.commands("20,1,2,0,30,").isEmpty();
        },
        5000));
    QCOMPARE(capturesAtMove, 2);
    QCOMPARE(t.commands("20,1,2,0,30,"), QStringList{"20,1,2,0,30,0.5;"});
    // -3.0 against the guide's 0.5: -0.5, with its sign.
    f.vision->setPaperOffset(-3.0);
    QVERIFY(t.waitForCount("20,1,2,0,30,-0.5;", 1, 4000));
    QCOMPARE(t.commands("20,1,2,0,30,"), (QStringList{"20,1,2,0,30,0.5;", "20,1,2,0,30,-0.5;"}));
    QVERIFY(!log.linesFrom("pollworkerCollect::doRectification 3 0 offset 3").isEmpty());
}

void TestPollWorkerCollect::edgeSensorsSteerWebGuide()
{
    PollFixture f;
    LogCapture log;
    QVERIFY(f.linkSim({"--set", "collectRoller=90", "--set", "filmRoller=70", "--set", "moveMs=1500"}));
    f.set(Config::CPT_Enable_Detection, false);
    f.set(Config::CPT_Rectify, true);
    f.set(Config::CPT_Rectify_Span, 300);
    f.set(Config::CPT_Rectify_Len, 0.5);
    CommandTimeline t(f.sim);
    f.startPolling();

    // Both edges dark: bit 512, one log line, no guide move.
    QTRY_VERIFY_WITH_TIMEOUT(f.driver->deviceState() & MachineAlarms::WebGuideError, 3000);
    t.watch(1200);
    const QString lost = QStringLiteral("pollworkerCollect::doRectification Rectify Error: left and right are not triggered");
    QCOMPARE(log.linesFrom(lost).size(), 1);
    QVERIFY(t.commands("20,1,2,0,30,").isEmpty());

    // The left edge only, for longer than the span: the guide moves one step.
    const int left = t.mark();
    QVERIFY(f.control("set sensors 0000010"));
    QVERIFY(t.waitForCount("20,1,2,0,30,0.5;", 1, 3000));
    QVERIFY(!(f.driver->deviceState() & MachineAlarms::WebGuideError));
    // Both edges seen: the moving guide stops.
    QVERIFY(f.control("set sensors 0000011"));
    QVERIFY(t.waitForCount("20,1,2,0,0,0.0;", 1, 2000));
    QCOMPARE(t.commands("20,1,2,0,30,", left), QStringList{"20,1,2,0,30,0.5;"});
    // The right edge only: the other way.
    QVERIFY(f.control("set sensors 0000001"));
    QVERIFY(t.waitForCount("20,1,2,0,30,-0.5;", 1, 3000));
}

void TestPollWorkerCollect::trimYWaitsForItsReset_data()
{
    QTest::addColumn<int>("resetValue");
    QTest::addColumn<bool>("resetSent");
    // Reset running: wait until the controller reports it done (3).
    QTest::newRow("reset running") << 1 << false;
    // Not reset (0): the poller asks for the reset, then waits for it.
    QTest::newRow("reset needed") << 0 << true;
}

void TestPollWorkerCollect::trimYWaitsForItsReset()
{
    QFETCH(int, resetValue);
    QFETCH(bool, resetSent);

    PollFixture f;
    QVERIFY(f.linkSim({"--personality", "module", "--set", QStringLiteral("trimYReset=%1").arg(resetValue), "--set",
                       "collectRoller=90", "--set", "filmRoller=70"}));
    QVERIFY(!f.config->trimReset());
    f.set(Config::CPT_Trim, true);
    f.vision->setCollectLen(1.5);
    f.host->setTaskStatus(1);
    CommandTimeline t(f.sim);
    f.startPolling();
    if (!resetSent)
        QVERIFY(f.control("at 800 set trimYReset 3"));
    const qint64 start = t.now();

    // A label shorter than 2 after the capture: trim Y moves only once its reset is done.
    QVERIFY(t.waitForCount("20,1,4,1,300,0;", 1, 4000));
    const qint64 moved = t.times("20,1,4,1,300,0;").first();
    const QList<qint64> asked = t.times("2,0,3,1;");
    QVERIFY(!asked.isEmpty() && asked.last() < moved);
    QCOMPARE(t.times("2,1,3,1;").size(), resetSent ? 1 : 0);
    if (!resetSent) {
        QVERIFY2(moved - start >= 750, qPrintable(QString::number(moved - start)));
        QVERIFY(asked.size() >= 2);
        for (int i = 1; i < asked.size(); ++i)
            QVERIFY2(asked.at(i) - asked.at(i - 1) >= 280, qPrintable(QString::number(asked.at(i) - asked.at(i - 1))));
    }
    QVERIFY(f.config->trimReset());
    // The rewind waited for it; then the rewind (the configured length, the
    // label being short), and trim X after it, 1.1 x 50.
    QVERIFY(t.waitForCount("20,1,3,0,50,50;", 1, 3000));
    QVERIFY(t.waitForCount("20,1,4,0,40,55;", 1, 3000));
    QVERIFY(t.indexOf("20,1,4,1,300,0;") < t.indexOf("20,1,3,0,50,50;"));
    QVERIFY(t.indexOf("20,1,3,0,50,50;") < t.indexOf("20,1,4,0,40,55;"));
}

DRAVO_TEST_MAIN(TestPollWorkerCollect)
#include "tst_pollworkercollect.moc"
