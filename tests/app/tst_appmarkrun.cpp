// Mark jobs through the application object against the simulated
// controller, with the test mark camera answering the capture requests from
// the simulator's positions.
#include "AppTestSupport.h"

#include "PltHeader.h"
#include "SimController.h"
#include "SimMarkCamera.h"
#include "TaskWorker.h"

#include <QAtomicInt>
#include <QLineF>
#include <QRegularExpression>
#include <QScopeGuard>

namespace {

// A page 100 mm across and 60 mm along, its marked area 5 mm along and
// 10 mm across from the corner, 50 by 80 mm, marks 3.5 mm wide; the cut is
// a rectangle 5 mm along and 10 mm across inside the marked area, 40 by 60 mm.
const QRectF kMarkedArea(5, 10, 50, 80);  // page mm, x along, y across
const QRectF kCutRect(10, 20, 40, 60);     // page mm, x along, y across
constexpr double kSpacing = 5.0;

QByteArray cutFileText()
{
    PltHeader h;
    h.valid = true;
    h.pageLength = 60 * 40;
    h.pageWidth = 100 * 40;
    h.areaOffsetLength = kMarkedArea.x() * 40;
    h.areaOffsetWidth = kMarkedArea.y() * 40;
    h.markType = 1;
    h.hasMarkSize = true;
    h.markSize = 3.5 * 40;
    h.hasArea = true;
    h.areaLength = kMarkedArea.width() * 40;
    h.areaWidth = kMarkedArea.height() * 40;
    // Path units count from the marked area's corner.
    const QRectF r = kCutRect.translated(-kMarkedArea.topLeft());
    const auto u = [](double mm) { return QString::number(qRound(mm * 40)); };
    const QString path = QStringLiteral("SP1;PU%1,%2;PD%1,%3,%4,%3,%4,%2,%1,%2;PU0,0;")
                             .arg(u(r.left()), u(r.top()), u(r.bottom()), u(r.right()));
    return h.toHpgl() + path.toLatin1();
}

// The cut rectangle as printed on page n, in machine units (web, across).
QPolygonF printedCut(const PrintedWeb &web, int page)
{
    PrintedWeb corners = web;
    corners.setMarkedArea(kCutRect);
    QPolygonF out;
    for (int i = 0; i < 4; ++i)
        out << corners.markOnWeb(page, i) * 40.0;
    return out;
}

double distanceToOutline(const QPointF &p, const QPolygonF &quad)
{
    double best = 1e300;
    for (int i = 0; i < quad.size(); ++i) {
        const QPointF a = quad.at(i), b = quad.at((i + 1) % quad.size());
        const QPointF d = b - a;
        const double len2 = QPointF::dotProduct(d, d);
        const double t = len2 > 0 ? qBound(0.0, QPointF::dotProduct(p - a, d) / len2, 1.0) : 0.0;
        best = qMin(best, QLineF(p, a + t * d).length());
    }
    return best;
}

QString describe(const QPolygonF &polygon)
{
    QStringList points;
    for (const QPointF &p : polygon)
        points << QStringLiteral("%1,%2").arg(p.x(), 0, 'f', 2).arg(p.y(), 0, 'f', 2);
    return points.join(QLatin1Char(' '));
}

// The machine's settings for the marked page of cutFileText().
void configureMarkRun(Config &cfg)
{
    cfg.setEnableCut(true);
    cfg.setProperty(Config::CPT_Enable_Print, false);
    cfg.setProperty(Config::CPT_Enable_Cut_Marker_Type, 0);
    cfg.setProperty(Config::CPT_Cut_Cross, false);
    cfg.setProperty(Config::CPT_Cut_Inverse, false);
    cfg.setCutCoordinates(0);
    cfg.setPageSpacing(kSpacing);
    cfg.setProperty(Config::CPT_Mark_Camera_Width, 1280);
    cfg.setProperty(Config::CPT_Mark_Camera_Height, 960);
    cfg.setProperty(Config::CPT_Mark_Size, 3.5);
    cfg.setProperty(Config::CPT_dtCenter, 0.1);
    cfg.setMarkCameraOffsetX(0, 20.0);
    cfg.setMarkCameraOffsetY(0, -10.0);
    cfg.setFilmRollerLimit(0);
    cfg.setCollectRollerLimit(0);
    cfg.setCollectRollerMax(100);
}

// The printed web of cutFileText(), its print 0.1 mm further along than filed.
void printMarkedWeb(PrintedWeb &web, double rotation)
{
    web.page = QSizeF(100, 60);
    web.spacing = kSpacing;
    web.firstPage = 30; // the first mark comes into view after one search step
    web.setMarkedArea(kMarkedArea);
    web.markSize = 3.5;
    web.shift = QPointF(0.1, 0);
    web.rotation = rotation;
}

// Counts the fit's report lines, passing every message on.
QAtomicInt fitReports;
QtMessageHandler previousHandler = nullptr;
void countFitReports(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("TaskWorker::taskScanOK angle:")))
        fitReports.fetchAndAddOrdered(1);
    if (previousHandler)
        previousHandler(type, context, text);
}

} // namespace

class TestAppMarkRun : public QObject
{
    Q_OBJECT
private slots:
    void blankCameraEndsTheJob();
    void shiftedPrintIsCutOnItsPaths_data();
    void shiftedPrintIsCutOnItsPaths();
    void loopingJobsRunUntilStopped_data();
    void loopingJobsRunUntilStopped();
};

// A camera that never sees a mark: the production run searches two pages'
// pitch of web, then ends with the reason, having cut nothing.
// The driver linked to a simulator whose jobs are quick; the rollers' watch is
// not what these runs are about, so polling stays off.
static bool linkSimulator(AppFixture &fx, SimController &sim, const QStringList &extra)
{
    fx.driver->setPolling(false);
    if (!sim.start(QStringList{QStringLiteral("--job-ms"), QStringLiteral("20")} + extra))
        return false;
    fx.driver->setIp(sim.address());
    return QTest::qWaitFor([&] { return fx.driver->isReady(); }, 10000);
}

void TestAppMarkRun::blankCameraEndsTheJob()
{
    AppFixture fx(QByteArray("[Dravolinte]\nwaitCapture=2000\n"));
    SimController sim;
    QVERIFY(linkSimulator(fx, sim, {}));
    DravolinteApp &app = AppFixture::app();
    Config &cfg = *fx.config;
    cfg.setEnableCut(true);
    cfg.setProperty(Config::CPT_Enable_Print, false);
    cfg.setPageSpacing(5);
    // Room on the rollers for the web to run.
    cfg.setFilmRollerLimit(0);
    cfg.setCollectRollerMax(100);
    fx.driver->setFilmRoller(50);
    fx.driver->setCollectRoller(50);
    app.setPageSizes(QSizeF(100, 55), QSizeF(100, 55));
    SimMarkCamera camera(&sim);
    camera.blank = true;
    app.connectCamera(&camera);

    QVERIFY(fx.driver->createWork(new TaskWorker(fx.driver.get(), 3)));
    QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle(), 30000);
    app.connectCamera(nullptr);
    QCOMPARE(fx.driver->errorMessage(), QStringLiteral("标记点扫描失败！"));
    QCOMPARE(app.taskStatus(), 2);
    // 2 x (55 + 5) mm: nine advances of 12.5 mm, nothing cut.
    QCOMPARE(sim.query(QStringLiteral("web")), QStringLiteral("4500"));
    QVERIFY(sim.transcript().filter(QStringLiteral("CUT ")).isEmpty());
    QCOMPARE(camera.answered, 9 + 1);
}

void TestAppMarkRun::shiftedPrintIsCutOnItsPaths_data()
{
    QTest::addColumn<int>("copies");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<double>("tolerance"); // HPGL units
    QTest::newRow("one copy, 0.1 mm along") << 1 << 0.0 << 1.0;
    QTest::newRow("three copies, 0.1 mm along") << 3 << 0.0 << 1.0;
    // Turned, the far marks stand some 7 mm off the camera's centre: the
    // image's scale, from the mark's diameter, must hold to the sub-pixel
    // (one pixel in 140 would be 2 units over those 7 mm).
    QTest::newRow("three copies, turned 5 degrees") << 3 << 5.0 << 1.0;
}

// A production run of a page whose print lies 0.1 mm further along the web
// than the file says (and turned, in one row): the marks are found, scanned
// and fitted, and the knife cuts the rectangle where it is printed, page
// after page. The fit's report is a critical line once the print is turned
// past what the machine accepts.
void TestAppMarkRun::shiftedPrintIsCutOnItsPaths()
{
    QFETCH(int, copies);
    QFETCH(double, rotation);
    QFETCH(double, tolerance);
    AppFixture fx(QByteArray("[Dravolinte]\nwaitCapture=2000\n"));
    SimController sim;
    // Knife 0 stands 25 mm across: the mark camera, 10 mm before it, over the
    // first column of marks.
    QVERIFY(linkSimulator(fx, sim, {QStringLiteral("--set"), QStringLiteral("point0=0,1000")}));
    DravolinteApp &app = AppFixture::app();
    Config &cfg = *fx.config;
    configureMarkRun(cfg);
    fx.driver->setFilmRoller(50);
    fx.driver->setCollectRoller(50);

    writeFile(QStringLiteral("rect.plt"), cutFileText());
    app.onOpenScene(QDir::current().absoluteFilePath(QStringLiteral("rect.plt")));
    QCOMPARE(app.pageSize(), QSizeF(100, 60));
    // As filed: 5 mm along and 10 mm across the marked corner, plus the camera's offset.
    QCOMPARE(app.createPageCutFile(QTransform()), QByteArray("PU1000,0;PD1000,2400,2600,2400,2600,0,1000,0;"));
    app.setCutTaskCopies(copies);
    app.setCutCopies(0);

    SimMarkCamera camera(&sim);
    printMarkedWeb(camera.web, rotation);
    QCOMPARE(camera.cameraOffset, QPointF(20, -10));
    app.connectCamera(&camera);
    // Whatever the outcome, the next test finds no camera, no scene and no task.
    const auto restore = qScopeGuard([&] {
        if (!fx.driver->isWorkIdle())
            fx.driver->exitTask();
        if (!QTest::qWaitFor([&] { return fx.driver->isWorkIdle(); }, 10000))
            qWarning().noquote() << "TestAppMarkRun::shiftedPrintIsCutOnItsPaths" << "the job did not end";
        app.connectCamera(nullptr);
        app.onOpenScene(QString());
        app.setCutTaskCopies(0);
        app.setCutCopies(0);
        app.setTaskStatus(2);
    });

    // The fit's report: within bounds at info level, turned too far critical.
    const QRegularExpression angleLine(QStringLiteral("^TaskWorker::taskScanOK angle:"));
    for (int i = 0; i < copies; ++i)
        QTest::ignoreMessage(rotation > 3.0 ? QtCriticalMsg : QtInfoMsg, angleLine);

    const int transcriptFrom = int(sim.transcript().size());
    app.setTaskStatus(1);
    QVERIFY(fx.driver->createWork(new TaskWorker(fx.driver.get(), 3)));
    QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle(), 30000);
    QCOMPARE(fx.driver->errorMessage(), QString());
    QCOMPARE(app.cutCopies(), copies);

    // Every cut segment lies on the page's printed rectangle, whose corners
    // it reaches, one rectangle per copy, in machine units: the transcript's
    // web position counts from where the web stood at power-on, as the print does.
    QVERIFY(sim.waitFor(
        [&](const QStringList &lines) { return lines.mid(transcriptFrom).filter(QStringLiteral("CUT ")).size() >= 4 * copies; },
        3000));
    const QStringList lines = sim.transcript().mid(transcriptFrom);
    QList<QList<QPointF>> jobs;
    bool inJob = false;
    double jobStart = 0.0;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("JOB START"))) {
            inJob = true;
            jobStart = line.section(QLatin1Char(' '), -1).toDouble();
            jobs.append(QList<QPointF>());
            continue;
        }
        if (!line.startsWith(QLatin1String("CUT ")))
            continue;
        QVERIFY2(inJob, qPrintable(line));
        const QStringList parts = line.split(QLatin1Char(' '));
        QCOMPARE(parts.size(), 4);
        QCOMPARE(parts.at(1), QStringLiteral("0"));
        for (int k = 2; k < 4; ++k) {
            const QStringList xy = parts.at(k).split(QLatin1Char(','));
            QCOMPARE(xy.size(), 2);
            const QPointF p(xy.at(0).toDouble(), xy.at(1).toDouble());
            // Nothing behind the web position where the job began.
            QVERIFY2(p.x() >= jobStart, qPrintable(line));
            jobs.last().append(p);
        }
    }
    jobs.removeIf([](const QList<QPointF> &points) { return points.isEmpty(); });
    QCOMPARE(int(jobs.size()), copies);
    for (int page = 0; page < copies; ++page) {
        const QPolygonF printed = printedCut(camera.web, page);
        const QList<QPointF> &points = jobs.at(page);
        QCOMPARE(int(points.size()), 8); // four segments
        for (const QPointF &p : points) {
            const double off = distanceToOutline(p, printed);
            QVERIFY2(off <= tolerance, qPrintable(QStringLiteral("page %1: %2,%3 is %4 units off %5")
                                                .arg(page)
                                                .arg(p.x())
                                                .arg(p.y())
                                                .arg(off)
                                                .arg(describe(printed))));
        }
        for (const QPointF &corner : printed) {
            double nearestPoint = 1e300;
            for (const QPointF &p : points)
                nearestPoint = qMin(nearestPoint, QLineF(p, corner).length());
            QVERIFY2(nearestPoint <= tolerance, qPrintable(QStringLiteral("page %1: corner %2,%3 not cut (%4 units)")
                                                         .arg(page)
                                                         .arg(corner.x())
                                                         .arg(corner.y())
                                                         .arg(nearestPoint)));
        }
    }
}

void TestAppMarkRun::loopingJobsRunUntilStopped_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("mark test") << 7;
    QTest::newRow("repeat cut") << 8;
}

// The mark test finds, scans and fits the same page over and over and cuts
// nothing; the repeat cut also cuts it, then winds back to where the cut
// began, so every pass cuts the first page's printed rectangle again. Both
// go on until the operator stops them.
void TestAppMarkRun::loopingJobsRunUntilStopped()
{
    QFETCH(int, type);
    AppFixture fx(QByteArray("[Dravolinte]\nwaitCapture=2000\n"));
    SimController sim;
    QVERIFY(linkSimulator(fx, sim, {QStringLiteral("--set"), QStringLiteral("point0=0,1000")}));
    DravolinteApp &app = AppFixture::app();
    configureMarkRun(*fx.config);
    fx.driver->setFilmRoller(50);
    fx.driver->setCollectRoller(50);
    writeFile(QStringLiteral("rect.plt"), cutFileText());
    app.onOpenScene(QDir::current().absoluteFilePath(QStringLiteral("rect.plt")));
    QCOMPARE(app.pageSize(), QSizeF(100, 60));

    SimMarkCamera camera(&sim);
    printMarkedWeb(camera.web, 0.0);
    app.connectCamera(&camera);
    fitReports.storeRelease(0);
    previousHandler = qInstallMessageHandler(countFitReports);
    const auto restore = qScopeGuard([&] {
        if (!fx.driver->isWorkIdle())
            fx.driver->exitTask();
        if (!QTest::qWaitFor([&] { return fx.driver->isWorkIdle(); }, 10000))
            qWarning().noquote() << "TestAppMarkRun::loopingJobsRunUntilStopped" << "the job did not end";
        qInstallMessageHandler(previousHandler);
        app.connectCamera(nullptr);
        app.onOpenScene(QString());
        app.setTaskStatus(2);
    });

    const int transcriptFrom = int(sim.transcript().size());
    if (type == 7)
        fx.driver->autoCheckPoint();
    else
        fx.driver->cutRepeat();
    QCOMPARE(app.taskStatus(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(fitReports.loadAcquire() >= 3, 30000);
    QVERIFY(!fx.driver->isWorkIdle());
    app.setTaskStatus(2);
    QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle(), 10000);
    QCOMPARE(fx.driver->errorMessage(), QString());
    const int passes = fitReports.loadAcquire();

    const QStringList cuts = sim.transcript().mid(transcriptFrom).filter(QRegularExpression(QStringLiteral("^CUT ")));
    if (type == 7) {
        QVERIFY2(cuts.isEmpty(), qPrintable(cuts.join(QLatin1Char('\n'))));
        // Each pass ends with the camera back over the first page's first
        // mark: (30 + 5 + 0.1) mm along, less the camera's 20 mm.
        const double web = sim.query(QStringLiteral("web")).toDouble();
        QVERIFY2(qAbs(web - (30 + 5 + 0.1 - 20) * 40) <= 2, qPrintable(QString::number(web)));
        return;
    }
    // A rectangle per pass (the one cut as the stop came may be whole or not).
    QVERIFY2(cuts.size() >= 4 * (passes - 1), qPrintable(QString::number(cuts.size())));
    const QPolygonF printed = printedCut(camera.web, 0);
    for (const QString &line : cuts) {
        const QStringList parts = line.split(QLatin1Char(' '));
        QCOMPARE(parts.size(), 4);
        for (int k = 2; k < 4; ++k) {
            const QStringList xy = parts.at(k).split(QLatin1Char(','));
            QCOMPARE(xy.size(), 2);
            const QPointF p(xy.at(0).toDouble(), xy.at(1).toDouble());
            const double off = distanceToOutline(p, printed);
            QVERIFY2(off <= 1.0, qPrintable(QStringLiteral("%1 is %2 units off %3").arg(line).arg(off).arg(describe(printed))));
        }
    }
}

DRAVO_APP_TEST_MAIN(TestAppMarkRun)
#include "tst_appmarkrun.moc"
