// Jobs of the task worker against the simulated controller: what goes on the
// wire, pause, resume and stop, the roller checks, knives, the mark jobs and
// the ways a job ends. Production runs, page after page: tst_appmarkrun; a
// link dropped mid-job: tst_varnok_streaming.
#include "tests/support/TestMain.h"
#include "device/task/TaskWorker.h"
#include "tests/device/DriverFixture.h"

#include <QRegularExpression>
#include <QSettings>

namespace {

// The received frames as text: command bodies as they stand, cut data as "PPLT <bytes>".
QStringList wire(const QList<QByteArray> &frames)
{
    QStringList out;
    for (const QByteArray &frame : frames) {
        const QByteArray body = frame.mid(frame.indexOf(';') + 1).chopped(1);
        out << (body.startsWith("PPLT;") ? QStringLiteral("PPLT %1").arg(body.size() - 5)
                                         : QString::fromLatin1(body.startsWith("CCMD;") ? body.mid(5) : body));
    }
    return out;
}

bool waitIdle(DriverFixture &f, int timeoutMs = 30000)
{
    return QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, timeoutMs);
}

using Answer = RecordingVision::MarkAnswer;
// 320 x 240 pixel images, 3.5 mm marks 35 pixels wide: 0.1 mm (4 units) a pixel.
const QPointF kCentre(160, 120);
constexpr float kSize = 35.0f;
const Answer kNoMark{true, QPointF(), 0.0f};
const Answer kCentred{true, kCentre, kSize};
// Four marks 100 by 50 mm apart, in scanning order.
const QPolygonF kMarks{QPointF(0, 0), QPointF(0, 2000), QPointF(4000, 2000), QPointF(4000, 0)};

// Room on the rollers for moves both ways; the mark camera and the page.
void prepare(DriverFixture &f)
{
    f.config->setFilmRollerLimit(60);
    f.config->setCollectRollerLimit(60);
    f.config->setCollectRollerMax(100);
    f.driver->setFilmRoller(70);
    f.driver->setCollectRoller(70);
    f.config->setProperty(Config::CPT_Mark_Camera_Width, 320);
    f.config->setProperty(Config::CPT_Mark_Camera_Height, 240);
    f.config->setProperty(Config::CPT_Mark_Size, 3.5);
    f.config->setProperty(Config::CPT_dtCenter, 3);
    f.cut->setPageSize(QSizeF(100, 60));
    f.cut->setPageMarks(kMarks);
    f.vision->setMarkAnswers({}, kCentred);
}

} // namespace

class TestTaskWorker : public QObject
{
    Q_OBJECT

    std::unique_ptr<DriverFixture> m_f;
    int mark() const { return int(m_f->sim.received().size()); }
    QStringList sentSince(int from) const { return wire(m_f->sim.received().mid(from)); }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(QString(), {"--job-ms", "20"}));
    }
    void cleanupTestCase() { m_f.reset(); }
    void init() { prepare(*m_f); }
    void cleanup()
    {
        m_f->sim.control("set status 0");
        if (!m_f->driver->isWorkIdle())
            m_f->driver->exitTask();
        QVERIFY(waitIdle(*m_f));
        m_f->host->setTaskStatus(2);
        m_f->driver->setErrorMessage(QString());
        m_f->host->setCopiesLeft(-1);
    }

    // Knife checks, the size announcement, the send requests, the data as it
    // came with the job, status polls while the carriage cuts, the stop.
    void cutOnTheWire()
    {
        DriverFixture &f = *m_f;
        const int from = mark();
        f.driver->cut100mmRect();
        QVERIFY(waitIdle(f));
        const QStringList sent = sentSince(from);
        const QStringList head{"3;", "3;", "4,0,0,0;", "3;", "4,0,0,0;", "3;", "22,42,1024;", "21;", "21;", "PPLT 42"};
        QCOMPARE(sent.mid(0, head.size()), head);
        QCOMPARE(f.sim.received().at(from + head.size() - 1),
                 QByteArray("\x02" "52;PPLT;PU0,0;PD0,4000,4000,4000,4000,0,0,0;PU;PG;\x03"));
        const QStringList tail = sent.mid(head.size());
        const int polls = int(tail.indexOf("12,2;"));
        QVERIFY2(polls >= 1 && tail.mid(0, polls) == QStringList(polls, "3;"), qPrintable(sent.join(' ')));
        QCOMPARE(tail.mid(polls, 3), (QStringList{"12,2;", "4,0,0,0;", "2,0,5;"}));
        // The step texts go 3 s after the job.
        QCOMPARE(f.config->runTip(), QString("停止任务"));
        QTRY_COMPARE_WITH_TIMEOUT(f.config->runTip(), QString(), 10000);

        // 2500 bytes: packages of 1024, each asked for with "21;", bytes unchanged.
        const QByteArray data = QByteArray(2498, 'P') + QByteArray("\xb2\xe2", 2);
        const int big = mark();
        QVERIFY(f.driver->startJob(1, data));
        QVERIFY(waitIdle(f));
        QVERIFY(sentSince(big).contains("22,2500,1024;"));
        const QList<QByteArray> parts = packages(f.sim.received().mid(big));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts.join(), data);
        QCOMPARE(sentSince(big).filter(QRegularExpression("^21;|^PPLT")).join(' '),
                 QString("21; 21; PPLT 1024 21; PPLT 1024 21; PPLT 452"));
    }

    void pauseResumeAndStop()
    {
        DriverFixture f; // jobs that take their time
        QVERIFY(f.link(QString(), {"--job-ms", "600"}));
        const auto mark = [&] { return int(f.sim.received().size()); };
        const auto cutting = [&](int from) {
            return QTest::qWaitFor([&] { return !packages(f.sim.received().mid(from)).isEmpty(); }, 10000);
        };
        int from = mark();
        f.driver->cut100mmRect();
        QVERIFY(cutting(from));
        // As the application's pause does; paused, the list polls nothing (the
        // wait looks for commands that should not come) and the carriage holds.
        QVERIFY(f.driver->rCutMotorStatus());
        QVERIFY(f.driver->cutMotorStatus() != 1 || f.driver->wPause(true));
        f.host->setTaskStatus(0);
        int quiet = 0;
        QVERIFY(settles([&] { return int(f.commands().size()); }, 700, &quiet) && !f.driver->isWorkIdle());
        QVERIFY(f.driver->wResume());
        f.host->setTaskStatus(1);
        QVERIFY(waitIdle(f));
        const QStringList sent = wire(f.sim.received().mid(from));
        QVERIFY(sent.indexOf("12,0;") < sent.indexOf("12,1;"));
        QCOMPARE(sent.filter("12,2;").size(), 1); // the job ended itself
        // A stop reaches the list at its next pass: no step of the job runs after it.
        from = mark();
        const int stops = f.host->stopRequests();
        f.driver->cut100mmRect();
        QVERIFY(cutting(from));
        f.host->stopTask(true);
        QVERIFY(waitIdle(f));
        QCOMPARE(wire(f.sim.received().mid(from)).filter("12,2;").size(), 1);
        QCOMPARE(f.host->stopRequests(), stops + 1); // only the operator's
    }

    // Type 2 printing: 10 m pen-up walks at the no-cut speed, one copy booked
    // and printed per walk until the copies are done; the end puts the
    // rewind motor off and the cut speed back.
    void runWithoutCutting()
    {
        DriverFixture &f = *m_f;
        f.host->setCopiesLeft(3);
        f.host->setCutTaskCopies(0);
        const int prints = f.host->prints();
        const int from = mark();
        f.driver->wStart();
        QVERIFY(waitIdle(f));
        const QStringList sent = sentSince(from);
        QCOMPARE(sent.first(), QString("6,1,0,200;"));
        QCOMPARE(f.host->prints() - prints, 3);
        QByteArray walk;
        for (int x = 400; x <= 400000; x += 400)
            walk += "PU" + QByteArray::number(x) + ",0;";
        QCOMPARE(packages(f.sim.received().mid(from)).join(), walk + walk);
        const int end = int(sent.indexOf("20,1,3,0,0,0;"));
        QCOMPARE(sent.mid(end), (QStringList{"20,1,3,0,0,0;", "12,2;", "4,0,0,0;", "2,0,5;", "6,1,0,100;", "4,0,0,0;"}));
    }

    void checkMove_data()
    {
        QTest::addColumn<double>("film");
        QTest::addColumn<double>("rewind");
        QTest::addColumn<double>("dx");
        QTest::addColumn<QString>("refusal"); // empty: allowed
        // Limits: film 60, rewind 60 to 100; 40 mm move the rollers by 2.
        QTest::newRow("forward") << 70.0 << 50.0 << 40.0 << "";
        QTest::newRow("forward onto the film limit") << 61.0 << 50.0 << 40.0 << "wait";
        QTest::newRow("forward into a full rewind") << 70.0 << 99.0 << 40.0 << "wait";
        QTest::newRow("backward") << 70.0 << 70.0 << -40.0 << "";
        QTest::newRow("backward onto the rewind limit") << 70.0 << 61.0 << -40.0 << " 收纸容纸限位 ";
    }

    // Forward onto a limit waits; backward onto the rewind limit ends the job,
    // also when the machine refuses the stop and the application still says running.
    void checkMove()
    {
        QFETCH(double, film);
        QFETCH(double, rewind);
        QFETCH(double, dx);
        QFETCH(QString, refusal);
        DriverFixture &f = *m_f;
        f.driver->setFilmRoller(film);
        f.driver->setCollectRoller(rewind);
        f.host->setTaskStatus(1);
        const bool stops = refusal.size() > 4;
        if (stops)
            QVERIFY(f.sim.control("on 12 drop count 1"));
        TaskWorker worker(f.driver.get(), -1);
        QCOMPARE(worker.checkMove(dx), refusal.isEmpty());
        QCOMPARE(f.driver->errorMessage(), stops ? refusal : QString());
        QCOMPARE(worker.taskStatus(), stops ? int(taskInterface::Stopped) : int(taskInterface::Running));
        QCOMPARE(f.host->taskStatus(), 1);
    }

    // A job without cut data whose stop command fails still ends, leaving the
    // task stopped; nothing was announced.
    void jobEndsWhenItsStopFails()
    {
        DriverFixture &f = *m_f;
        QVERIFY(f.sim.control("on 12 status 1 count 1"));
        const int before = int(f.commands().size());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^TaskWorker::taskSendPltSize 文件长度错误 plt size: 0"));
        QVERIFY(f.driver->startJob(1) && waitIdle(f));
        QCOMPARE(f.driver->errorMessage(), QString("文件长度错误"));
        QCOMPARE(f.commands(before).filter(QRegularExpression("^12,|^2[12][,;]")), QStringList{"12,2;"});
        QCOMPARE(f.host->taskStatus(), 2);
    }

    // Several knives: after the link a knife reset brings every knife to its
    // origin offset (knives move together by the shortest distance); a job of
    // two knives places knife 1 at its lane from knife 0 and parks the rest.
    // Knives that never arrive stop the reset after five moves.
    void knifeResetAndPlacement()
    {
        DriverFixture f;
        f.config->setVersion(4); // per-knife positions and knife selection
        f.config->setKnifeNum(4);
        // Origin offsets (380 - 40 k) mm: 15200, 13600, 12000, 10400 units;
        // knives 2 and 3 stand 3 and 5 units short of theirs.
        QVERIFY(f.link(QString(), {"--job-ms", "100", "--set", "point0=0,15200", "--set", "point1=0,13600", "--set",
                                   "point2=0,11997", "--set", "point3=0,10395"}));
        QVERIFY(QTest::qWaitFor([&] { return f.host->statusLog().contains(1); }, 5000));
        QVERIFY(waitIdle(f));
        QCOMPARE(packages(f.sim.received()), (QList<QByteArray>{"IN;PA;SP2;PU0,3;PG;PG;", "IN;PA;SP2;PU0,2;PG;PG;"}));
        QStringList sent = wire(f.sim.received());
        QVERIFY(sent.indexOf("19,12;") < sent.indexOf("19,8;"));

        QVERIFY(f.sim.control("set point2 0,100") && f.sim.control("set point3 0,200") && f.sim.control("set point1 0,0"));
        int from = int(f.sim.received().size());
        auto *worker = new TaskWorker(f.driver.get(), -1, "PU0,0;PD400,0;PU0,0;");
        worker->setKnifeIntervals({0, 4000});
        worker->setTaskType(1);
        QVERIFY(f.driver->createWork(worker));
        QVERIFY(waitIdle(f));
        sent = wire(f.sim.received().mid(from));
        QVERIFY(sent.indexOf("4,0,3,0,0;") < sent.indexOf("4,0,2,0,0;"));
        QCOMPARE(sent.filter(QRegularExpression("^19,")).mid(0, 4), (QStringList{"19,12;", "19,4;", "19,2;", "19,3;"}));
        // Knife 1: 4000 units from knife 0 at 15200, less the 40 mm knife interval.
        QCOMPARE(packages(f.sim.received().mid(from)).mid(0, 4),
                 (QList<QByteArray>{"IN;PA;SP2;PU0,10200;PG;PG;", "IN;PA;SP2;PU0,1700;PG;PG;",
                                    "IN;PA;SP2;PU0,17600;PG;PG;", "PU0,0;PD400,0;PU0,0;"}));
        const QStringList cuts = f.sim.transcript().filter(QRegularExpression("^CUT "));
        QCOMPARE(cuts.size(), 2);
        QVERIFY(cuts.at(0).startsWith("CUT 0 ") && cuts.at(0).endsWith(",15200"));
        QVERIFY(cuts.at(1).startsWith("CUT 1 ") && cuts.at(1).endsWith(",17600"));

        QVERIFY(f.sim.control("set point1 0,500") && f.sim.control("on 22 status 1")); // no positioning is taken
        from = int(f.commands().size());
        QVERIFY(f.driver->startJob(9));
        QVERIFY(waitIdle(f));
        QCOMPARE(f.driver->errorMessage(), QString("移动小车失败！"));
        QCOMPARE(f.commands(from).filter(QRegularExpression("^22,")).size(), 6);
    }

    // No mark for three captures: three web advances of 12.5 mm; the fourth
    // sees the mark 10 pixels high, which the centring moves 40 units along.
    void firstMarkSearch()
    {
        DriverFixture &f = *m_f;
        f.config->setProperty(Config::CPT_dtCenter, 1); // 40 units
        f.vision->setMarkAnswers({kNoMark, kNoMark, kNoMark, {true, QPointF(160, 110), kSize}}, kCentred);
        f.vision->setSearchedLength(0);
        const int from = int(f.sim.received().size());
        f.host->setTaskStatus(1);
        QVERIFY(f.driver->startJob(5) && waitIdle(f));
        QCOMPARE(f.driver->errorMessage(), QString());
        const QByteArray step("IN;PA;SP2;PU500,0;PG;PG;");
        QCOMPARE(packages(f.sim.received().mid(from)), (QList<QByteArray>{step, step, step, "IN;PA;SP2;PU40,0;PG;PG;"}));
        QCOMPARE(f.vision->searchedLength(), 37.5);
    }

    // A camera that never sees a mark: the search gives up after two pages'
    // pitch of web (1000 mm without a page size) and the job ends with the
    // reason, having fitted and cut nothing. A mark found but not seen again
    // ends the same way after six captures. (Spacing: tst_appmarkrun.)
    void noMarkEndsTheJob_data()
    {
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<int>("advances"); // of 12.5 mm
        QTest::newRow("page 62.5 mm, two pitches exactly") << QSizeF(100, 62.5) << QList<Answer>{} << 10;
        QTest::newRow("no page size") << QSizeF() << QList<Answer>{} << 80;
        QTest::newRow("first mark only") << QSizeF(100, 60) << QList<Answer>{kCentred, kCentred} << 0;
    }
    void noMarkEndsTheJob()
    {
        QFETCH(QSizeF, page);
        QFETCH(QList<Answer>, answers);
        QFETCH(int, advances);
        DriverFixture &f = *m_f;
        f.cut->setPageSize(page);
        f.vision->setMarkAnswers(answers, kNoMark);
        const int fits = f.cut->fits();
        const int captures = int(f.vision->captures().size());
        const int from = mark(), lines = int(f.sim.transcript().size());
        f.host->setTaskStatus(1);
        QVERIFY(f.driver->startJob(3) && waitIdle(f));
        QCOMPARE(f.driver->errorMessage(), QString("标记点扫描失败！"));
        QCOMPARE(packages(f.sim.received().mid(from)).count("IN;PA;SP2;PU500,0;PG;PG;"), advances);
        if (!answers.isEmpty())
            QCOMPARE(f.vision->captures().size() - captures, 8);
        QVERIFY(f.sim.transcript().mid(lines).filter("CUT ").isEmpty());
        QCOMPARE(f.cut->fits(), fits);
        QCOMPARE(f.host->taskStatus(), 2);
    }

    // Fewer scans than the page has marks, or a mark index past them: the job
    // ends with the reason and nothing is fitted or moved.
    void scanFaultsNeverCut()
    {
        DriverFixture &f = *m_f;
        const int fits = f.cut->fits(), from = mark();
        for (const bool twoScans : {true, false}) {
            f.host->setTaskStatus(1);
            f.driver->setErrorMessage(QString());
            f.vision->setMarkIndex(7);
            TaskWorker worker(f.driver.get(), -1);
            worker.setPageMarks(kMarks);
            worker.addScannedMark(kCentre, 35);
            worker.addScannedMark(kCentre, 35);
            int step = 3;
            twoScans ? worker.taskScanOK(step) : worker.taskMoveToMark(step);
            QCOMPARE(step, int(taskInterface::kEndStep));
            QCOMPARE(f.driver->errorMessage(), QString("标记点扫描失败！"));
            QVERIFY(worker.data().isEmpty());
        }
        QCOMPARE(f.cut->fits(), fits);
        QVERIFY(packages(f.sim.received().mid(from)).isEmpty());
    }

    // The camera-offset job cuts the small figure, brings the camera over it
    // and stores the offset it measures for knife 0 in "config.ini", sending
    // the controller what it stored.
    void cameraOffsetJob()
    {
        DriverFixture f(true);
        QVERIFY(f.link(QString(), {"--job-ms", "20"}));
        prepare(f);
        QFile figure(QStringLiteral("3P5MM.plt"));
        QVERIFY(figure.open(QIODevice::WriteOnly) && figure.write("PU0,0;PD0,140,140,140,140,0,0,0;PU;") > 0);
        figure.close();
        f.config->setProperty(Config::CPT_Knife_index, 0);
        f.config->setMarkCameraOffsetX(0, 20.0);
        f.config->setMarkCameraOffsetY(0, -10.0);
        // The figure seen 10 pixels high: 1 mm further along the web.
        f.vision->setMarkAnswers({}, {true, QPointF(160, 110), kSize});
        const int from = int(f.sim.received().size());
        f.driver->checkCameraOffset();
        QVERIFY(waitIdle(f));
        QCOMPARE(f.driver->errorMessage(), QString());
        QCOMPARE(packages(f.sim.received().mid(from)).mid(0, 2),
                 (QList<QByteArray>{"PU0,0;PD0,140,140,140,140,0,0,0;PU;", "IN;PA;SP2;PU-800,400;PG;PG;"}));
        QVERIFY(f.commands().contains("8,1,1,19.00,-10.00;"));
        QSettings ini(f.dir.filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Dravolinte/Mark_Camera_Offset_X")).toDouble(), 19.0);
        QCOMPARE(ini.value(QStringLiteral("Dravolinte/Mark_Camera_Offset_Y")).toDouble(), -10.0);
    }
};

DRAVO_TEST_MAIN(TestTaskWorker)
#include "tst_taskworker.moc"
