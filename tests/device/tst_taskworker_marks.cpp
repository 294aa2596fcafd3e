// The mark jobs of the task worker against the simulated controller: the
// step lists, the first-mark search, a scan that sees no mark, production
// runs whose marks sit where they should and 0.1 mm along the web, the scan
// faults that must never cut, and the camera-offset job.
#include "DriverFixture.h"
#include "TaskWorker.h"
#include "TestMain.h"

#include <QFile>
#include <QSettings>

namespace {

using Answer = RecordingHost::MarkAnswer;

// 320 x 240 pixel images, 3.5 mm marks 35 pixels wide: 0.1 mm (4 units) a pixel.
const QPointF kCentre(160, 120);
constexpr float kSize = 35.0f;
const Answer kNoMark{true, QPointF(), 0.0f};
const Answer kCentred{true, kCentre, kSize};

// Four marks 100 by 50 mm apart, in scanning order; the cut inside them.
const QPolygonF kMarks{QPointF(0, 0), QPointF(0, 2000), QPointF(4000, 2000), QPointF(4000, 0)};
const QPolygonF kCut{QPointF(400, 400), QPointF(400, 1600), QPointF(3600, 1600), QPointF(3600, 400), QPointF(400, 400)};

} // namespace

class TestTaskWorkerMarks : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

    bool waitIdle(int timeoutMs = 15000)
    {
        return QTest::qWaitFor([&] { return m_f->driver->isWorkIdle(); }, timeoutMs);
    }
    // The cut data of the job's cut: the package with pen-down moves.
    static QList<QByteArray> cuts(const DriverFixture &f, int from)
    {
        QList<QByteArray> out;
        for (const QByteArray &p : packages(f.sim.received().mid(from))) {
            if (p.contains("PD"))
                out << p;
        }
        return out;
    }

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
        if (!m_f->driver->isWorkIdle())
            m_f->driver->exitTask();
        QVERIFY(waitIdle());
        m_f->host->setTaskStatus(2);
    }

private:
    static void prepare(DriverFixture &f)
    {
        // Room on the rollers for moves both ways.
        f.config->setFilmRollerLimit(60);
        f.config->setCollectRollerLimit(60);
        f.config->setCollectRollerMax(100);
        f.driver->setFilmRoller(70);
        f.driver->setCollectRoller(70);
        f.config->setProperty(Config::CPT_Mark_Camera_Width, 320);
        f.config->setProperty(Config::CPT_Mark_Camera_Height, 240);
        f.config->setProperty(Config::CPT_Mark_Size, 3.5);
        f.config->setProperty(Config::CPT_dtCenter, 3);
        f.host->setPageSize(QSizeF(100, 60));
        f.host->setPageMarks(kMarks);
        f.host->setCutPath(kCut);
        f.host->setCopiesLeft(1);
        f.host->setMarkAnswers({}, kCentred);
        f.driver->setErrorMessage(QString());
    }

private slots:

    void stepLists_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("steps"); // with the closing taskStop
        QTest::newRow("production run") << 3 << 12;
        QTest::newRow("camera offset") << 4 << 8;
        QTest::newRow("first mark") << 5 << 8;
        QTest::newRow("every mark") << 6 << 6;
        QTest::newRow("mark test") << 7 << 5;
        QTest::newRow("repeat cut") << 8 << 9;
    }
    void stepLists()
    {
        QFETCH(int, type);
        QFETCH(int, steps);
        TaskWorker worker(m_f->driver.get(), type);
        QCOMPARE(worker.stepCount(), steps);
        QCOMPARE(worker.taskType(), type);
    }

    // No mark for three captures: three web advances of 12.5 mm; the fourth
    // sees the mark 10 pixels high, which the centring moves 40 units along.
    void firstMarkSearch()
    {
        DriverFixture &f = *m_f;
        f.config->setProperty(Config::CPT_dtCenter, 1); // 40 units
        f.host->setMarkAnswers({kNoMark, kNoMark, kNoMark, {true, QPointF(160, 110), kSize}}, kCentred);
        f.host->setSearchedLength(0);
        const int captures = int(f.host->captures().size());
        const int from = int(f.sim.received().size());
        f.host->setMarkIndex(1);
        f.driver->autoFindPoint();
        QVERIFY(waitIdle());
        QCOMPARE(f.driver->errorMessage(), QString());
        QCOMPARE(packages(f.sim.received().mid(from)),
                 (QList<QByteArray>{"IN;PA;SP2;PU500,0;PG;PG;", "IN;PA;SP2;PU500,0;PG;PG;", "IN;PA;SP2;PU500,0;PG;PG;",
                                    "IN;PA;SP2;PU40,0;PG;PG;"}));
        QCOMPARE(f.host->captures().size() - captures, 5);
        QCOMPARE(f.host->searchedLength(), 37.5);
    }

    // A camera that never sees a mark: the search gives up after two pages'
    // pitch of web (1000 mm without a page size) and the job ends with the
    // reason, having cut nothing.
    void blankSearchGivesUp_data()
    {
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<int>("advances"); // of 12.5 mm
        QTest::newRow("page 60 mm, 5 mm apart") << QSizeF(100, 60) << 5.0 << 10;
        QTest::newRow("page 62.5 mm") << QSizeF(100, 62.5) << 0.0 << 10;
        QTest::newRow("no page size") << QSizeF() << 0.0 << 80;
    }
    void blankSearchGivesUp()
    {
        QFETCH(QSizeF, page);
        QFETCH(double, spacing);
        QFETCH(int, advances);
        DriverFixture &f = *m_f;
        f.host->setPageSize(page);
        f.config->setProperty(Config::CPT_PageSpacing, spacing);
        f.host->setMarkAnswers({}, kNoMark);
        const int from = int(f.sim.received().size());
        f.host->setTaskStatus(1);
        QVERIFY(f.driver->createWork(new TaskWorker(f.driver.get(), 3)));
        QVERIFY(waitIdle(30000));
        f.config->setProperty(Config::CPT_PageSpacing, 0.0);
        QCOMPARE(f.driver->errorMessage(), QString("标记点扫描失败！"));
        const QList<QByteArray> moves = packages(f.sim.received().mid(from));
        QCOMPARE(moves.count("IN;PA;SP2;PU500,0;PG;PG;"), advances);
        QVERIFY(cuts(f, from).isEmpty());
        QVERIFY(f.host->fits().isEmpty());
        QCOMPARE(f.host->taskStatus(), 2);
    }

    // The first mark is found and centred, then the camera sees nothing:
    // after six captures the job ends with the reason and cuts nothing.
    void scanWithoutMarkFails()
    {
        DriverFixture &f = *m_f;
        f.host->setMarkAnswers({kCentred, kCentred}, kNoMark);
        const int captures = int(f.host->captures().size());
        const int from = int(f.sim.received().size());
        f.driver->autoCheckPoint();
        QVERIFY(waitIdle());
        QCOMPARE(f.driver->errorMessage(), QString("标记点扫描失败！"));
        QCOMPARE(f.host->captures().size() - captures, 8);
        QVERIFY(cuts(f, from).isEmpty());
        QVERIFY(f.host->fits().isEmpty());
        QCOMPARE(f.host->taskStatus(), 2);
    }

    // A production run: the camera visits the four marks and returns to the
    // first, the fit maps the page onto them and the page is cut. Marks seen
    // one pixel high sit 0.1 mm further along the web: the cut follows by 4 units.
    void productionRun_data()
    {
        QTest::addColumn<QPointF>("seen");
        QTest::addColumn<QByteArray>("cut");
        QTest::newRow("in place") << kCentre << QByteArray("PU400,400;PD400,1600,3600,1600,3600,400,400,400;PU;");
        QTest::newRow("0.1 mm along the web")
            << QPointF(160, 119) << QByteArray("PU404,400;PD404,1600,3604,1600,3604,400,404,400;PU;");
    }
    void productionRun()
    {
        QFETCH(QPointF, seen);
        QFETCH(QByteArray, cut);
        DriverFixture &f = *m_f;
        f.host->setMarkAnswers({}, {true, seen, kSize});
        const int from = int(f.sim.received().size());
        const int transcript = int(f.sim.transcript().size());
        f.host->setTaskStatus(1);
        QVERIFY(f.driver->createWork(new TaskWorker(f.driver.get(), 3)));
        QVERIFY(waitIdle());
        QCOMPARE(f.driver->errorMessage(), QString());
        QCOMPARE(f.host->finishedCopies() > 0, true);
        // Marks 2, 3 and 4, then back to the first.
        const QList<QByteArray> moves = packages(f.sim.received().mid(from));
        QVERIFY(moves.contains("IN;PA;SP2;PU0,2000;PG;PG;"));
        QVERIFY(moves.contains("IN;PA;SP2;PU4000,0;PG;PG;"));
        QVERIFY(moves.contains("IN;PA;SP2;PU0,-2000;PG;PG;"));
        QVERIFY(moves.contains("IN;PA;SP2;PU-4000,0;PG;PG;"));
        QCOMPARE(f.host->markCaptureIndices().mid(f.host->markCaptureIndices().size() - 5),
                 (QList<int>{1, 2, 3, 4, 0}));
        QCOMPARE(cuts(f, from), QList<QByteArray>{cut});
        QVERIFY(f.sim.waitFor(
            [&](const QStringList &lines) { return lines.mid(transcript).filter("CUT 0 ").size() >= 4; }, 3000));
    }

    // A scan with fewer marks than the page has, or a mark index past the
    // page's marks: the job ends with the reason and nothing is fitted or cut.
    void scanFaultsNeverCut()
    {
        DriverFixture &f = *m_f;
        f.host->setTaskStatus(1);
        const int fits = int(f.host->fits().size());
        TaskWorker fit(f.driver.get(), -1);
        fit.setPageMarks(kMarks);
        fit.addScannedMark(kCentre, 35);
        fit.addScannedMark(kCentre, 35);
        int step = 3;
        fit.taskScanOK(step);
        QCOMPARE(step, int(taskInterface::kEndStep));
        QCOMPARE(f.driver->errorMessage(), QString("标记点扫描失败！"));
        QCOMPARE(int(f.host->fits().size()), fits);
        QVERIFY(fit.data().isEmpty());

        f.driver->setErrorMessage(QString());
        f.host->setTaskStatus(1);
        const int from = int(f.sim.received().size());
        TaskWorker visit(f.driver.get(), -1);
        visit.setPageMarks(kMarks);
        f.host->setMarkIndex(7);
        step = 3;
        visit.taskMoveToMark(step);
        QCOMPARE(step, int(taskInterface::kEndStep));
        QCOMPARE(f.driver->errorMessage(), QString("标记点扫描失败！"));
        QVERIFY(packages(f.sim.received().mid(from)).isEmpty());
    }

    // The camera-offset job cuts the small figure, brings the camera over it
    // and stores the offset it measures for knife 0 in "config.ini".
    void cameraOffsetJob()
    {
        DriverFixture f(true);
        QVERIFY(f.link(QString(), {"--job-ms", "20"}));
        prepare(f);
        QFile figure(QStringLiteral("3P5MM.plt"));
        QVERIFY(figure.open(QIODevice::WriteOnly));
        figure.write("PU0,0;PD0,140,140,140,140,0,0,0;PU;");
        figure.close();
        f.config->setProperty(Config::CPT_Knife_index, 0);
        f.config->setMarkCameraOffsetX(0, 20.0);
        f.config->setMarkCameraOffsetY(0, -10.0);
        // The figure seen 10 pixels high: 1 mm further along the web.
        f.host->setMarkAnswers({}, {true, QPointF(160, 110), kSize});
        const int from = int(f.sim.received().size());
        f.driver->checkCameraOffset();
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 15000));
        QCOMPARE(f.driver->errorMessage(), QString());
        QCOMPARE(cuts(f, from), QList<QByteArray>{"PU0,0;PD0,140,140,140,140,0,0,0;PU;"});
        QVERIFY(packages(f.sim.received().mid(from)).contains("IN;PA;SP2;PU-800,400;PG;PG;"));
        QCOMPARE(f.config->markCameraOffsetX(0), 19.0);
        QCOMPARE(f.config->markCameraOffsetY(0), -10.0);
        QSettings ini(f.dir.filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Dravolinte/Mark_Camera_Offset_X")).toDouble(), 19.0);
        QCOMPARE(ini.value(QStringLiteral("Dravolinte/Mark_Camera_Offset_Y")).toDouble(), -10.0);
    }
};

DRAVO_TEST_MAIN(TestTaskWorkerMarks)
#include "tst_taskworker_marks.moc"
