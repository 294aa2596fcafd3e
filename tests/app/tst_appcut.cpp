#include "AppTestSupport.h"

#include "DbConfig.h"
#include "GPathProcess.h"
#include "GScene.h"
#include "SceneWriter.h"

#include <QFile>
#include <QSignalSpy>
#include <QThread>

// Cut conversion of the application object: a cut file opened into the cut
// scene (preview copy, sorting, a turned page), the page as HPGL with its
// cross and offsets, the mark points and knife lanes, and the switch of the
// cut file by a task code read at the marks.
class TestAppCut : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void squareAtTheMarkedOrigin();
    void crossAndOffsets_data();
    void crossAndOffsets();
    void roundingAndTestFile();
    void turnedPage();
    void markPoints_data();
    void markPoints();
    void knifeLanesAndMarkType();
    void openScene();
    void switchByTaskCode();
    void switchGivesUpWhenTheTaskStops();

private:
    // A page 100 mm across and 200 mm along, marked area inset 5 mm.
    static SceneData page(int markType, const QList<double> &lanesPt = {});
    // A path through the given HPGL offsets from the marked origin, scene points.
    static QPainterPath through(const QList<QPointF> &hpgl);
    QString write(const QString &name, const SceneData &data);
    // Opens the file as the pages do (on the main thread).
    void open(const QString &file) { AppFixture::app().onOpenScene(file); }
    // Runs setSwitchCutFile(false) on a thread of its own while this one
    // serves the scene opens.
    bool switchOnWorker();

    std::unique_ptr<AppFixture> m_fx;
};

SceneData TestAppCut::page(int markType, const QList<double> &lanesPt)
{
    SceneData data;
    data.hasPage = true;
    data.pageMm = QSizeF(100, 200);
    data.hasMark = markType >= 0;
    data.markType = qMax(0, markType);
    data.markSizeMm = 3;
    data.markAreaMm = QRectF(5, 5, 90, 190);
    data.lanesPt = lanesPt;
    return data;
}

QPainterPath TestAppCut::through(const QList<QPointF> &hpgl)
{
    // The marked area's corner in the scene: 5 mm along, 5 mm across.
    const QPointF origin(GPathProcess::mm2Point(5.0), GPathProcess::mm2Point(5.0));
    QPainterPath path(origin + GPathProcess::hpgl2Point(hpgl.first()));
    for (qsizetype i = 1; i < hpgl.size(); ++i)
        path.lineTo(origin + GPathProcess::hpgl2Point(hpgl.at(i)));
    return path;
}

QString TestAppCut::write(const QString &name, const SceneData &data)
{
    const QString file = m_fx->dir.filePath(name);
    if (!SceneWriter::writeFile(file, SceneWriter::tqc(data)))
        return QString();
    return file;
}

void TestAppCut::init()
{
    m_fx = std::make_unique<AppFixture>();
    Config &cfg = *m_fx->config;
    cfg.setMarkCameraOffsetX(0, 0.0);
    cfg.setMarkCameraOffsetY(0, 0.0);
    cfg.setCutCoordinates(0);
    cfg.setPageSpacing(0);
    cfg.setProperty(Config::CPT_Cut_Cross, false);
    cfg.setProperty(Config::CPT_Cut_Inverse, false);
}

void TestAppCut::cleanup()
{
    DravolinteApp &app = AppFixture::app();
    app.onOpenScene(QString()); // an empty scene, and no file held
    app.setCutFile(QString());
    app.setCurrentTaskRecord(TaskRecord());
    app.setEnabledTest(false);
    app.setTaskStatus(2);
    m_fx.reset();
}

const QList<QPointF> kSquare{{0, 0}, {0, 400}, {400, 400}, {400, 0}, {0, 0}};

void TestAppCut::squareAtTheMarkedOrigin()
{
    SceneData data = page(1);
    data.paths.append({through(kSquare), 1});
    open(write(QStringLiteral("square.tqc"), data));
    DravolinteApp &app = AppFixture::app();
    const QByteArray hpgl = app.createPageCutFile(QTransform());
    QCOMPARE(hpgl, QByteArray("PU0,0;PD0,400,400,400,400,0,0,0;"));
    // A fitted transform moves the page's data.
    QCOMPARE(app.createPageCutFile(QTransform::fromTranslate(GPathProcess::hpgl2Point(40.0), 0)),
             QByteArray("PU40,0;PD40,400,440,400,440,0,40,0;"));
}

void TestAppCut::crossAndOffsets_data()
{
    QTest::addColumn<int>("coordinates");
    QTest::addColumn<bool>("cross");
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<double>("spacing");
    QTest::addColumn<QByteArray>("hpgl");
    // Knife 0's mark camera 1 mm along and 2 mm across: the data moves by
    // (40, 80) units; the cross stands 10 mm further across.
    const QByteArray square("PU40,80;PD40,480,440,480,440,80,40,80;");
    const QByteArray cross("PU140,480;PD140,580;PU90,530;PD190,530;");
    QTest::newRow("offsets") << 0 << false << false << 0.0 << square;
    QTest::newRow("offsets and cross") << 0 << true << false << 0.0 << cross + square + cross;
    QTest::newRow("y turned") << 1 << true << false << 0.0
                              << QByteArray("PU140,-480;PD140,-380;PU90,-430;PD190,-430;"
                                            "PU40,80;PD40,-320,440,-320,440,80,40,80;"
                                            "PU140,-480;PD140,-380;PU90,-430;PD190,-430;");
    QTest::newRow("turned page, 5 mm apart") << 0 << false << true << 5.0
                                             << QByteArray("PU240,80;PD240,480,640,480,640,80,240,80;");
    QTest::newRow("turned page, no gap") << 0 << false << true << 0.0 << square;
}

void TestAppCut::crossAndOffsets()
{
    QFETCH(int, coordinates);
    QFETCH(bool, cross);
    QFETCH(bool, inverse);
    QFETCH(double, spacing);
    QFETCH(QByteArray, hpgl);
    SceneData data = page(1);
    data.paths.append({through(kSquare), 1});
    open(write(QStringLiteral("square.tqc"), data));
    Config &cfg = *m_fx->config;
    cfg.setMarkCameraOffsetX(0, 1.0);
    cfg.setMarkCameraOffsetY(0, 2.0);
    cfg.setCutCoordinates(coordinates);
    cfg.setProperty(Config::CPT_Cut_Cross, cross);
    cfg.setProperty(Config::CPT_Cut_Inverse, inverse); // after the open: only the offset changes
    cfg.setPageSpacing(spacing);
    QCOMPARE(AppFixture::app().createPageCutFile(QTransform()), hpgl);
}

void TestAppCut::roundingAndTestFile()
{
    SceneData data = page(1);
    data.paths.append({through({{2.5, -2.5}, {2.4, -2.4}, {-2.5, 2.6}}), 1});
    data.paths.append({through({{10, 10}, {20, 20}}), 1});
    open(write(QStringLiteral("halves.tqc"), data));
    DravolinteApp &app = AppFixture::app();
    app.setEnabledTest(true);
    const QByteArray hpgl = app.createPageCutFile(QTransform());
    // Halves away from zero; items in order, each path closed by ";".
    QCOMPARE(hpgl, QByteArray("PU3,-3;PD2,-2,-3,3;PU10,10;PD20,20;"));
    QFile file(QStringLiteral("tmp.plt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), hpgl);
}

// Turned by 180 degrees about the page's centre when the file opens.
void TestAppCut::turnedPage()
{
    m_fx->config->setProperty(Config::CPT_Cut_Inverse, true);
    SceneData data = page(1);
    data.paths.append({through(kSquare), 1});
    open(write(QStringLiteral("turned.tqc"), data));
    QCOMPARE(AppFixture::app().createPageCutFile(QTransform()),
             QByteArray("PU7600,3600;PD7600,3200,7200,3200,7200,3600,7600,3600;"));

    // Several knife lanes: the page is not turned.
    SceneData lanes = page(1, {0.0, GPathProcess::mm2Point(50.0)});
    lanes.paths.append({through(kSquare), 1});
    open(write(QStringLiteral("lanes.tqc"), lanes));
    QCOMPARE(AppFixture::app().createPageCutFile(QTransform()), QByteArray("PU0,0;PD0,400,400,400,400,0,0,0;"));
}

void TestAppCut::markPoints_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QPolygonF>("scan");
    // Marked area 90 mm across, 190 mm along; a page of 200 mm plus 5 mm gap.
    QTest::newRow("type 0: no marks to scan") << 0 << QPolygonF();
    QTest::newRow("type 1") << 1 << QPolygonF({{0, 0}, {0, 3600}, {7600, 3600}, {7600, 0}});
    QTest::newRow("type 4: the next page's first marks")
        << 4 << QPolygonF({{0, 0}, {0, 3600}, {8200, 3600}, {8200, 0}});
}

void TestAppCut::markPoints()
{
    QFETCH(int, type);
    QFETCH(QPolygonF, scan);
    m_fx->config->setPageSpacing(5);
    SceneData data = page(type);
    data.paths.append({through(kSquare), 1});
    open(write(QStringLiteral("marks.tqc"), data));
    DravolinteApp &app = AppFixture::app();
    QCOMPARE(app.pageSize(), QSizeF(100, 200));
    QCOMPARE(app.currentPageMarkPoint(true), scan);
    // In points, for the view, whatever the type.
    const double w = GPathProcess::mm2Point(90.0), h = GPathProcess::mm2Point(190.0);
    const QPolygonF view = app.currentPageMarkPoint(false);
    QCOMPARE(view.size(), 4);
    QCOMPARE(view.at(2).x(), h);
    QCOMPARE(view.at(2).y(), w);
    QCOMPARE(view.at(0), QPointF(0, 0));
}

void TestAppCut::knifeLanesAndMarkType()
{
    DravolinteApp &app = AppFixture::app();
    QCOMPARE(app.pageMarkType(), 4); // nothing open
    QVERIFY(!app.hasCutItems());
    QVERIFY(app.currentPageMarkPoint().isEmpty());
    QVERIFY(app.currentKnifeIntInterval().isEmpty());

    SceneData data = page(8, {0.0, GPathProcess::mm2Point(50.0), GPathProcess::mm2Point(100.5)});
    data.paths.append({through(kSquare), 1});
    open(write(QStringLiteral("lanes.tqc"), data));
    QCOMPARE(app.pageMarkType(), 8);
    QVERIFY(app.hasCutItems());
    QCOMPARE(app.currentKnifeIntInterval(), (QList<int>{0, 2000, 4020}));

    SceneData plain = page(-1);
    plain.paths.append({through(kSquare), 1});
    open(write(QStringLiteral("plain.tqc"), plain));
    QCOMPARE(app.pageMarkType(), -1);
    QVERIFY(app.currentPageMarkPoint().isEmpty());
    QVERIFY(app.currentKnifeIntInterval().isEmpty());
}

void TestAppCut::openScene()
{
    DravolinteApp &app = AppFixture::app();
    Config &cfg = *m_fx->config;
    SceneData data = page(1);
    data.paths.append({through(kSquare), 1});
    data.explicitOrder = true;
    const QString file = write(QStringLiteral("ordered.tqc"), data);
    QSignalSpy shown(&app, &DravolinteApp::cutShowFileChanged);
    QSignalSpy refreshed(&app, &DravolinteApp::refreshView);
    cfg.setProperty(Config::CPT_Enable_Sort, true);
    open(file);
    const QString show = m_fx->dir.filePath(QStringLiteral("showplt.plt"));
    QCOMPARE(app.cutShowFile(), show);
    QCOMPARE(app.sceneFile(), file);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(refreshed.size(), 1);
    QFile copy(show), original(file);
    QVERIFY(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original.readAll());
    copy.close();
    // The file brings its own cutting order: no automatic sorting.
    QCOMPARE(cfg.getProperty(Config::CPT_Enable_Sort).toBool(), false);

    // The preview copy opened again (a scene file works on its copy): not
    // copied onto itself, which would empty it.
    LogCapture log;
    open(show);
    QVERIFY(log.contains(QStringLiteral("DravolinteApp::onOpenScene the file is the preview copy, not copied")));
    QCOMPARE(QFileInfo(show).size(), QFileInfo(file).size());
    QCOMPARE(shown.size(), 2); // the same name, signalled again
    QVERIFY(app.hasCutItems());

    // A file that cannot be copied leaves the last copy and says so.
    open(m_fx->dir.filePath(QStringLiteral("missing.plt")));
    QVERIFY(log.contains(QStringLiteral("DravolinteApp::onOpenScene Failed to copy file.")));
    QCOMPARE(QFileInfo(show).size(), QFileInfo(file).size());
    QVERIFY(!app.hasCutItems());
}

bool TestAppCut::switchOnWorker()
{
    bool result = false;
    std::unique_ptr<QThread> worker(QThread::create([&result] { result = AppFixture::app().setSwitchCutFile(false); }));
    worker->start();
    if (!QTest::qWaitFor([&] { return worker->isFinished(); }, 10000))
        return false;
    return result;
}

void TestAppCut::switchByTaskCode()
{
    DravolinteApp &app = AppFixture::app();
    Config &cfg = *m_fx->config;
    const QString dir = m_fx->dir.filePath(QStringLiteral("plt"));
    QVERIFY(QDir().mkpath(dir));
    cfg.setProperty(Config::CPT_Plt_Dir, dir);
    SceneData data = page(1);
    data.paths.append({through(kSquare), 1});
    const QString working = write(QStringLiteral("working.tqc"), data);
    const QString earlier = write(QStringLiteral("earlier.tqc"), data);
    const QString byCode = dir + QStringLiteral("/ff.plt");
    QVERIFY(SceneWriter::writeFile(byCode, SceneWriter::tqc(data)));
    app.setCutFile(working);
    app.setTaskStatus(1);

    // No code read: the working file, opened once.
    QVERIFY(app.setSwitchCutFile(true));
    QVERIFY(app.switchingCutFile());
    QVERIFY(switchOnWorker());
    QCOMPARE(app.sceneFile(), working);
    QVERIFY(!app.switchingCutFile());

    // A code with its records: the cut file of its work record.
    WorkRecord work;
    work.timestamp = QDateTime::currentDateTime().addSecs(-60);
    work.cut_file = earlier;
    quint32 kind = DbPrintUpdate;
    QVERIFY(cfg.db().updateWorkRecord(work, kind));
    TaskRecord task;
    task.timestamp = work.timestamp;
    task.work_record_timestamp = work.timestamp;
    task.code = 77;
    QVERIFY(cfg.db().updateTaskRecord(task, kind));
    app.setCurrentTaskRecord(task);
    QVERIFY(switchOnWorker());
    QCOMPARE(app.sceneFile(), earlier);
    QCOMPARE(app.cutWorkRecord().cut_file, earlier);

    // The next label's code has no records: its code-named file, not the
    // earlier label's cut file.
    TaskRecord unknown;
    unknown.code = 255;
    app.setCurrentTaskRecord(unknown);
    QVERIFY(switchOnWorker());
    QCOMPARE(app.sceneFile(), byCode);
    QCOMPARE(app.cutWorkRecord().cut_file, byCode);

    // Neither records nor a file for the code: the working file.
    unknown.code = 0x1234abcd;
    app.setCurrentTaskRecord(unknown);
    QVERIFY(switchOnWorker());
    QCOMPARE(app.sceneFile(), working);
    QCOMPARE(app.cutWorkRecord().cut_file, dir + QStringLiteral("/1234abcd.plt"));

    // No code and no working file: nothing to open.
    app.setCurrentTaskRecord(TaskRecord());
    app.setCutFile(QString());
    QVERIFY(!switchOnWorker());
    QCOMPARE(app.sceneFile(), working);
}

// The main thread cannot open (it waits for the job itself): the switch
// gives up once the task stops instead of hanging.
void TestAppCut::switchGivesUpWhenTheTaskStops()
{
    DravolinteApp &app = AppFixture::app();
    SceneData data = page(1);
    data.paths.append({through(kSquare), 1});
    app.setCutFile(write(QStringLiteral("working.tqc"), data));
    app.setTaskStatus(1);
    bool result = true;
    std::unique_ptr<QThread> worker(QThread::create([&result] { result = AppFixture::app().setSwitchCutFile(false); }));
    LogCapture log;
    worker->start();
    QThread::msleep(150); // no events served: the open waits
    QVERIFY(worker->isRunning());
    app.setTaskStatus(2);
    QVERIFY(worker->wait(2000));
    QVERIFY(!result);
    QVERIFY(log.contains(QStringLiteral("(task stopped)")));
    QCoreApplication::processEvents(); // the open still comes, late
}

DRAVO_APP_TEST_MAIN(TestAppCut)
#include "tst_appcut.moc"
