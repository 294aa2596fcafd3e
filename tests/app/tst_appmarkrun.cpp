#include "tests/app/AppTestSupport.h"

#include "PltHeader.h"
#include "tests/support/cameras/SimMarkCamera.h"
#include "device/task/TaskWorker.h"

#include <QLineF>
#include <QRegularExpression>

namespace {
// A page 100 x 60 mm, 5 mm apart, marks 3.5 mm: its marked area and the rectangle cut inside (mm, x along).
const QRectF kMarkedArea(5, 10, 50, 80), kCutRect(10, 20, 40, 60);

QByteArray cutFileText()
{
    PltHeader h; // HPGL units
    h.valid = h.hasMarkSize = h.hasArea = true;
    h.markType = 1;
    h.pageLength = 2400; h.pageWidth = 4000; h.markSize = 140;
    h.areaOffsetLength = 200; h.areaOffsetWidth = 400; h.areaLength = 2000; h.areaWidth = 3200;
    return h.toHpgl() + "SP1;PU200,400;PD200,2800,1800,2800,1800,400,200,400;PU0,0;"; // from the marked corner
}

// How far p lies from the cut rectangle as printed on page n (machine units).
double offPrintedCut(PrintedWeb web, int page, const QPointF &p)
{
    web.setMarkedArea(kCutRect);
    double best = 1e300;
    for (int i = 0; i < 4; ++i) {
        const QPointF a = web.markOnWeb(page, i) * 40.0, d = web.markOnWeb(page, (i + 1) % 4) * 40.0 - a;
        best = qMin(best, QLineF(p, a + qBound(0.0, QPointF::dotProduct(p - a, d) / QPointF::dotProduct(d, d), 1.0) * d).length());
    }
    return best;
}

// The end points of knife 0's cut segments, per job that cut.
QList<QList<QPointF>> cutPoints(const QStringList &lines)
{
    QList<QList<QPointF>> jobs;
    for (const QString &line : lines) {
        if (jobs.isEmpty() || (line.startsWith("JOB START") && !jobs.last().isEmpty()))
            jobs.append(QList<QPointF>());
        for (const QString &point : line.startsWith("CUT 0 ") ? line.mid(6).split(' ') : QStringList())
            jobs.last() << QPointF(point.section(',', 0, 0).toDouble(), point.section(',', 1).toDouble());
    }
    jobs.removeIf([](const QList<QPointF> &points) { return points.isEmpty(); });
    return jobs;
}
} // namespace

// Production runs end to end against the simulator, with a mark camera that renders the frame under it from
// the simulator's positions over a printed web. (A camera that sees no mark: tst_taskworker.)
class TestAppMarkRun : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> m_fx;
    std::unique_ptr<SimController> m_sim;
    std::unique_ptr<SimMarkCamera> m_camera;
    DravolinteApp &app() { return AppFixture::app(); }

    // The page open, knife 0 25 mm across (its camera 10 mm before it, over the first marks), over a web
    // printed 0.1 mm further along than filed and turned by degrees.
    bool prepare(double degrees)
    {
        m_fx = std::make_unique<AppFixture>("[Dravolinte]\nwaitCapture=20000\nenablePrint=false\npageSpacing=5\n"
                                            "Mark_Camera_Width=1280\nMark_Camera_Height=960\nFilm_Roller_Limit=0\n"
                                            "Collect_Roller_Limit=0\nenableDetection=false\n");
        m_sim = std::make_unique<SimController>();
        m_fx->driver->setPolling(false); // the rollers' watch is not what these runs are about
        m_fx->config->setProperty(Config::CPT_dtCenter, 0.1);
        m_fx->config->setMarkCameraOffsetX(0, 20.0);
        m_fx->config->setMarkCameraOffsetY(0, -10.0);
        writeFile("rect.plt", cutFileText());
        app().onOpenScene(QDir::current().absoluteFilePath("rect.plt"));
        m_camera = std::make_unique<SimMarkCamera>(m_sim.get());
        PrintedWeb &web = m_camera->web;
        web.spacing = 5;
        web.firstPage = 30; // the first mark comes into view after one search step
        web.setMarkedArea(kMarkedArea);
        web.shift = QPointF(0.1, 0);
        web.rotation = degrees;
        app().connectCamera(m_camera.get());
        app().setCutCopies(0);
        return m_fx->link(*m_sim, {"--job-ms", "20", "--set", "point0=0,1000"});
    }
    bool runProduction()
    {
        app().setTaskStatus(1);
        return m_fx->driver->createWork(new TaskWorker(m_fx->driver.get(), 3))
               && QTest::qWaitFor([&] { return m_fx->driver->isWorkIdle(); }, 60000);
    }

private slots:
    void cleanup()
    {
        if (m_fx && !m_fx->driver->isWorkIdle())
            m_fx->driver->exitTask();
        QVERIFY(!m_fx || QTest::qWaitFor([&] { return m_fx->driver->isWorkIdle(); }, 10000));
        app().connectCamera(nullptr);
        app().onOpenScene(QString());
        m_camera.reset();
        m_sim.reset();
        m_fx.reset();
    }

    void shiftedPrintIsCutOnItsPaths_data()
    {
        QTest::addColumn<int>("copies");
        QTest::addColumn<double>("degrees");
        QTest::newRow("one copy") << 1 << 0.0;
        QTest::newRow("three copies") << 3 << 0.0;
        // The far marks 7 mm off the camera's centre: the scale, from the diameter, must hold to the sub-pixel.
        QTest::newRow("three copies, turned 5 degrees") << 3 << 5.0;
    }
    // Marks found, scanned and fitted: each page's rectangle is cut where it is printed, every end point
    // within one HPGL unit of it. The fit's report is critical once the print is turned past bounds.
    void shiftedPrintIsCutOnItsPaths()
    {
        QFETCH(int, copies);
        QFETCH(double, degrees);
        QVERIFY(prepare(degrees));
        // As filed: the rectangle, plus the camera's offset.
        QCOMPARE(app().createPageCutFile(QTransform()), QByteArray("PU1000,0;PD1000,2400,2600,2400,2600,0,1000,0;"));
        app().setCutTaskCopies(copies);
        for (int i = 0; i < copies; ++i)
            QTest::ignoreMessage(degrees > 3 ? QtCriticalMsg : QtInfoMsg, QRegularExpression("^TaskWorker::taskScanOK angle:"));
        QVERIFY(runProduction());
        QCOMPARE(m_fx->driver->errorMessage(), QString());
        QCOMPARE(app().cutCopies(), copies);
        QVERIFY(m_sim->waitFor([&](const QStringList &lines) { return lines.filter("CUT ").size() >= 4 * copies; }, 10000));
        const QList<QList<QPointF>> jobs = cutPoints(m_sim->transcript());
        QCOMPARE(int(jobs.size()), copies);
        for (int page = 0; page < copies; ++page) {
            QCOMPARE(int(jobs[page].size()), 8); // four segments
            for (const QPointF &p : jobs[page])
                QVERIFY2(offPrintedCut(m_camera->web, page, p) <= 1.0, qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        }
    }

    // Until stopped, the mark test fits the same page over and over, cutting nothing and ending each pass
    // over the first mark; the repeat cut also cuts it and winds back, every pass on the printed rectangle.
    void loopingJobsRunUntilStopped()
    {
        for (const int type : {7, 8}) {
            QVERIFY(prepare(0));
            LogCapture log;
            type == 7 ? m_fx->driver->autoCheckPoint() : m_fx->driver->cutRepeat();
            QTRY_VERIFY_WITH_TIMEOUT(log.count("TaskWorker::taskScanOK angle:") >= 3, 60000);
            app().setTaskStatus(2);
            QTRY_VERIFY_WITH_TIMEOUT(m_fx->driver->isWorkIdle(), 10000);
            QVERIFY(m_fx->driver->errorMessage().isEmpty());
            const QList<QList<QPointF>> jobs = cutPoints(m_sim->transcript());
            QVERIFY(type == 7 ? jobs.isEmpty() : jobs.size() >= 2);
            for (const QList<QPointF> &points : jobs) {
                for (const QPointF &p : points)
                    QVERIFY(offPrintedCut(m_camera->web, 0, p) <= 1.0);
            }
            // (30 + 5 + 0.1) mm along, less the camera's 20 mm.
            QVERIFY(type == 8 || qAbs(m_sim->query("web").toDouble() - (30 + 5 + 0.1 - 20) * 40) <= 2);
            cleanup();
        }
    }
};

DRAVO_APP_TEST_MAIN(TestAppMarkRun)
#include "tst_appmarkrun.moc"
