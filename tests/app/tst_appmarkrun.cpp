// Production runs end to end: the application object and its parts against
// the simulated controller, with a test mark camera that renders the frame
// under the camera from the simulator's positions over a printed web.
#include "AppTestSupport.h"

#include "PltHeader.h"
#include "SimMarkCamera.h"
#include "TaskWorker.h"

#include <QLineF>
#include <QRegularExpression>
#include <QScopeGuard>

namespace {

// A page 100 mm across and 60 mm along, 5 mm apart; its marked area 5 mm
// along and 10 mm across from the corner, 50 by 80 mm, marks 3.5 mm wide;
// the cut a rectangle inside it (page mm, x along, y across).
const QRectF kMarkedArea(5, 10, 50, 80);
const QRectF kCutRect(10, 20, 40, 60);

QByteArray cutFileText()
{
    PltHeader h;
    h.valid = h.hasMarkSize = h.hasArea = true;
    h.pageLength = 60 * 40;
    h.pageWidth = 100 * 40;
    h.areaOffsetLength = kMarkedArea.x() * 40;
    h.areaOffsetWidth = kMarkedArea.y() * 40;
    h.markType = 1;
    h.markSize = 3.5 * 40;
    h.areaLength = kMarkedArea.width() * 40;
    h.areaWidth = kMarkedArea.height() * 40;
    // Path units count from the marked area's corner.
    const QRect r = QRectF(kCutRect.translated(-kMarkedArea.topLeft()).topLeft() * 40, kCutRect.size() * 40).toRect();
    return h.toHpgl() + QStringLiteral("SP1;PU%1,%2;PD%1,%3,%4,%3,%4,%2,%1,%2;PU0,0;")
                            .arg(r.left()).arg(r.top()).arg(r.top() + r.height()).arg(r.left() + r.width()).toLatin1();
}

// How far p lies from the cut rectangle as printed on page n (machine units).
double offPrintedCut(const PrintedWeb &web, int page, const QPointF &p)
{
    PrintedWeb corners = web;
    corners.setMarkedArea(kCutRect);
    double best = 1e300;
    for (int i = 0; i < 4; ++i) {
        const QPointF a = corners.markOnWeb(page, i) * 40.0, d = corners.markOnWeb(page, (i + 1) % 4) * 40.0 - a;
        const double t = qBound(0.0, QPointF::dotProduct(p - a, d) / QPointF::dotProduct(d, d), 1.0);
        best = qMin(best, QLineF(p, a + t * d).length());
    }
    return best;
}

// The cut segments' end points per job since transcript line `from`.
QList<QList<QPointF>> cutPoints(const QStringList &lines)
{
    QList<QList<QPointF>> jobs;
    const QRegularExpression cut("^CUT 0 (-?[\\d.]+),(-?[\\d.]+) (-?[\\d.]+),(-?[\\d.]+)$");
    for (const QString &line : lines) {
        if (line.startsWith("JOB START"))
            jobs.append(QList<QPointF>());
        const QRegularExpressionMatch m = cut.match(line);
        if (m.hasMatch() && !jobs.isEmpty())
            jobs.last() << QPointF(m.captured(1).toDouble(), m.captured(2).toDouble())
                        << QPointF(m.captured(3).toDouble(), m.captured(4).toDouble());
    }
    jobs.removeIf([](const QList<QPointF> &points) { return points.isEmpty(); });
    return jobs;
}

} // namespace

class TestAppMarkRun : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> m_fx;
    std::unique_ptr<SimController> m_sim;
    std::unique_ptr<SimMarkCamera> m_camera;
    DravolinteApp &app() { return AppFixture::app(); }

    // The machine set for the marked page of cutFileText(), linked to a
    // simulator whose knife 0 stands 25 mm across (the camera, 10 mm before
    // it, over the first column of marks), the file open, the camera over a
    // web printed 0.1 mm further along than filed and turned by rotation.
    bool prepare(double rotation)
    {
        m_fx = std::make_unique<AppFixture>("[Dravolinte]\nwaitCapture=20000\n");
        m_sim = std::make_unique<SimController>();
        m_fx->driver->setPolling(false); // the rollers' watch is not what these runs are about
        if (!m_fx->link(*m_sim, {"--job-ms", "20", "--set", "point0=0,1000"}))
            return false;
        Config &cfg = *m_fx->config;
        cfg.setEnableCut(true);
        cfg.setProperty(Config::CPT_Enable_Print, false);
        cfg.setPageSpacing(5);
        cfg.setProperty(Config::CPT_Mark_Camera_Width, 1280);
        cfg.setProperty(Config::CPT_Mark_Camera_Height, 960);
        cfg.setProperty(Config::CPT_Mark_Size, 3.5);
        cfg.setProperty(Config::CPT_dtCenter, 0.1);
        cfg.setMarkCameraOffsetX(0, 20.0);
        cfg.setMarkCameraOffsetY(0, -10.0);
        cfg.setFilmRollerLimit(0);
        cfg.setCollectRollerLimit(0);
        cfg.setCollectRollerMax(100);
        m_fx->driver->setFilmRoller(50);
        m_fx->driver->setCollectRoller(50);
        writeFile("rect.plt", cutFileText());
        app().onOpenScene(QDir::current().absoluteFilePath("rect.plt"));
        m_camera = std::make_unique<SimMarkCamera>(m_sim.get());
        m_camera->web.page = QSizeF(100, 60);
        m_camera->web.spacing = 5;
        m_camera->web.firstPage = 30; // the first mark comes into view after one search step
        m_camera->web.setMarkedArea(kMarkedArea);
        m_camera->web.shift = QPointF(0.1, 0);
        m_camera->web.rotation = rotation;
        app().connectCamera(m_camera.get());
        return true;
    }

private slots:
    void cleanup()
    {
        if (m_fx && !m_fx->driver->isWorkIdle())
            m_fx->driver->exitTask();
        QVERIFY(!m_fx || QTest::qWaitFor([&] { return m_fx->driver->isWorkIdle(); }, 10000));
        app().connectCamera(nullptr);
        app().onOpenScene(QString());
        app().setCutTaskCopies(100);
        app().setCutCopies(0);
        app().setTaskStatus(2);
        m_camera.reset();
        m_sim.reset();
        m_fx.reset();
    }

    // A camera that never sees a mark: the run searches two pages' pitch of
    // web, 2 x (60 + 5) mm in 12.5 mm steps, then ends with the reason, having cut nothing.
    void blankCameraEndsTheJob()
    {
        QVERIFY(prepare(0));
        m_camera->blank = true;
        app().setTaskStatus(1);
        QVERIFY(m_fx->driver->createWork(new TaskWorker(m_fx->driver.get(), 3)));
        QTRY_VERIFY_WITH_TIMEOUT(m_fx->driver->isWorkIdle(), 60000);
        QCOMPARE(m_fx->driver->errorMessage(), QStringLiteral("标记点扫描失败！"));
        QCOMPARE(app().taskStatus(), 2);
        QCOMPARE(m_sim->query("web"), QStringLiteral("5000"));
        QVERIFY(m_sim->transcript().filter("CUT ").isEmpty());
    }

    void shiftedPrintIsCutOnItsPaths_data()
    {
        QTest::addColumn<int>("copies");
        QTest::addColumn<double>("rotation");
        QTest::newRow("one copy") << 1 << 0.0;
        QTest::newRow("three copies") << 3 << 0.0;
        // Turned, the far marks stand some 7 mm off the camera's centre: the
        // image's scale, from the mark's diameter, must hold to the sub-pixel.
        QTest::newRow("three copies, turned 5 degrees") << 3 << 5.0;
    }
    // The marks are found, scanned and fitted, and the knife cuts each page's
    // rectangle where it is printed: every end point within one HPGL unit of it.
    // The fit's report is critical once the print is turned past the bounds.
    void shiftedPrintIsCutOnItsPaths()
    {
        QFETCH(int, copies);
        QFETCH(double, rotation);
        QVERIFY(prepare(rotation));
        // As filed: the rectangle, plus the camera's offset.
        QCOMPARE(app().createPageCutFile(QTransform()), QByteArray("PU1000,0;PD1000,2400,2600,2400,2600,0,1000,0;"));
        app().setCutTaskCopies(copies);
        for (int i = 0; i < copies; ++i)
            QTest::ignoreMessage(rotation > 3 ? QtCriticalMsg : QtInfoMsg, QRegularExpression("^TaskWorker::taskScanOK angle:"));
        const int from = int(m_sim->transcript().size());
        app().setTaskStatus(1);
        QVERIFY(m_fx->driver->createWork(new TaskWorker(m_fx->driver.get(), 3)));
        QTRY_VERIFY_WITH_TIMEOUT(m_fx->driver->isWorkIdle(), 60000);
        QCOMPARE(m_fx->driver->errorMessage(), QString());
        QCOMPARE(app().cutCopies(), copies);
        QVERIFY(m_sim->waitFor([&](const QStringList &l) { return l.mid(from).filter("CUT ").size() >= 4 * copies; }, 10000));
        const QList<QList<QPointF>> jobs = cutPoints(m_sim->transcript().mid(from));
        QCOMPARE(int(jobs.size()), copies);
        for (int page = 0; page < copies; ++page) {
            QCOMPARE(int(jobs[page].size()), 8); // four segments
            for (const QPointF &p : jobs[page])
                QVERIFY2(offPrintedCut(m_camera->web, page, p) <= 1.0, qPrintable(QStringLiteral("page %1: %2,%3").arg(page).arg(p.x()).arg(p.y())));
        }
    }

    void loopingJobsRunUntilStopped_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("mark test") << 7;
        QTest::newRow("repeat cut") << 8;
    }
    // The mark test finds, scans and fits the same page over and over and
    // cuts nothing, ending each pass with the camera over the first page's
    // first mark; the repeat cut also cuts it and winds back, so every pass
    // cuts the first page's rectangle again. Both run until stopped.
    void loopingJobsRunUntilStopped()
    {
        QFETCH(int, type);
        QVERIFY(prepare(0));
        LogCapture log;
        const int from = int(m_sim->transcript().size());
        type == 7 ? m_fx->driver->autoCheckPoint() : m_fx->driver->cutRepeat();
        QCOMPARE(app().taskStatus(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(log.count("TaskWorker::taskScanOK angle:") >= 3, 60000);
        app().setTaskStatus(2);
        QTRY_VERIFY_WITH_TIMEOUT(m_fx->driver->isWorkIdle(), 10000);
        QCOMPARE(m_fx->driver->errorMessage(), QString());
        const QList<QList<QPointF>> jobs = cutPoints(m_sim->transcript().mid(from));
        if (type == 7) {
            QVERIFY(jobs.isEmpty());
            // (30 + 5 + 0.1) mm along, less the camera's 20 mm.
            QVERIFY(qAbs(m_sim->query("web").toDouble() - (30 + 5 + 0.1 - 20) * 40) <= 2);
            return;
        }
        QVERIFY(jobs.size() >= 2);
        for (const QList<QPointF> &points : jobs) {
            for (const QPointF &p : points)
                QVERIFY(offPrintedCut(m_camera->web, 0, p) <= 1.0);
        }
    }
};

DRAVO_APP_TEST_MAIN(TestAppMarkRun)
#include "tst_appmarkrun.moc"
