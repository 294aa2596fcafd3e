#include "tests/app/AppTestSupport.h"

#include "configuration/records/DbConfig.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/scenefiles/SceneWriter.h"

#include <QApplication>
#include <QSignalSpy>
#include <QThread>

// The cut scene: files opened into it, the page as HPGL, marks, lanes, mark type, the switch by a task code.
class TestCutScene : public QObject
{
    Q_OBJECT
    std::unique_ptr<PartsFixture> m_fx;
    CutScene &cut() { return m_fx->cut; }

    // A page 100 x 200 mm, marked area inset 5 mm; paths in HPGL units from the marked corner (default: a square).
    QString write(const QString &name, int markType, QList<QList<QPointF>> paths = {}, const QList<double> &lanesPt = {},
                  bool ordered = false)
    {
        SceneData data;
        data.hasPage = true;
        data.hasMark = markType >= 0;
        data.pageMm = QSizeF(100, 200);
        data.markType = qMax(0, markType);
        data.markSizeMm = 3;
        data.markAreaMm = QRectF(5, 5, 90, 190);
        data.lanesPt = lanesPt;
        data.explicitOrder = ordered;
        for (const QList<QPointF> &hpgl : paths.isEmpty() ? QList<QList<QPointF>>{{{0, 0}, {0, 400}, {400, 400}, {400, 0}, {0, 0}}} : paths) {
            QPolygonF polygon;
            for (const QPointF &p : hpgl)
                polygon << GPathProcess::mm2Point(QPointF(5, 5)) + GPathProcess::hpgl2Point(p);
            data.paths.append({QPainterPath(), 1});
            data.paths.last().path.addPolygon(polygon);
        }
        const QString file = m_fx->dir.filePath(name);
        return SceneWriter::writeFile(file, SceneWriter::tqc(data)) ? file : QString();
    }
    // setSwitchCutFile(false) on a thread of its own while this one serves the opens.
    bool switchOnWorker()
    {
        std::atomic<bool> result{false};
        std::unique_ptr<QThread> worker(QThread::create([&] { result = cut().setSwitchCutFile(false); }));
        worker->start();
        return QTest::qWaitFor([&] { return worker->isFinished(); }, 60000) && worker->wait() && result;
    }

private slots:
    void init() { m_fx = std::make_unique<PartsFixture>(); }
    void cleanup() { m_fx.reset(); }

    void cutData_data()
    {
        QTest::addColumn<int>("coordinates");
        QTest::addColumn<bool>("cross");
        QTest::addColumn<QString>("reverse"); // turned at the open, or set after it
        QTest::addColumn<double>("spacing");
        QTest::addColumn<QList<double>>("lanes");
        QTest::addColumn<QByteArray>("hpgl");
        // Knife 0's mark camera 1 mm along, 2 mm across: the square moves (40, 80); the cross 10 mm further across.
        const QByteArray moved("PU40,80;PD40,480,440,480,440,80,40,80;"), cross("PU140,480;PD140,580;PU90,530;PD190,530;");
        QTest::newRow("offsets and cross") << 0 << true << "" << 0.0 << QList<double>{} << cross + moved + cross;
        QTest::newRow("y turned") << 1 << false << "" << 0.0 << QList<double>{} << QByteArray("PU40,80;PD40,-320,440,-320,440,80,40,80;");
        QTest::newRow("reverse, 5 mm apart") << 0 << false << "after" << 5.0 << QList<double>{}
                                             << QByteArray("PU240,80;PD240,480,640,480,640,80,240,80;");
        QTest::newRow("turned at the open") << 0 << false << "open" << 0.0 << QList<double>{}
                                            << QByteArray("PU7640,3680;PD7640,3280,7240,3280,7240,3680,7640,3680;");
        QTest::newRow("several lanes: not turned") << 0 << false << "open" << 0.0 << QList<double>{0, 100} << moved;
    }
    void cutData()
    {
        QFETCH(int, coordinates);
        QFETCH(bool, cross);
        QFETCH(QString, reverse);
        QFETCH(double, spacing);
        QFETCH(QList<double>, lanes);
        QFETCH(QByteArray, hpgl);
        Config &cfg = *m_fx->config;
        cfg.setProperty(Config::CPT_Cut_Inverse, reverse == "open");
        cut().open(write("square.tqc", 1, {}, lanes));
        cfg.setMarkCameraOffsetX(0, 1.0);
        cfg.setMarkCameraOffsetY(0, 2.0);
        cfg.setCutCoordinates(coordinates);
        cfg.setProperty(Config::CPT_Cut_Cross, cross);
        cfg.setProperty(Config::CPT_Cut_Inverse, !reverse.isEmpty());
        cfg.setPageSpacing(spacing);
        QCOMPARE(cut().createPageCutFile(QTransform()), hpgl);
    }

    // Halves away from zero, items in order, each path closed by ";".
    void rounding()
    {
        cut().open(write("halves.tqc", 1, {{{2.5, -2.5}, {2.4, -2.4}, {-2.5, 2.6}}, {{10, 10}, {20, 20}}}));
        QCOMPARE(cut().createPageCutFile(QTransform()), QByteArray("PU3,-3;PD2,-2,-3,3;PU10,10;PD20,20;"));
    }

    void marksAndLanes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("far"); // the far marks along the web, HPGL units
        QTest::addColumn<QList<int>>("lanes");
        // Marked area 90 mm across, 190 mm along; a page of 200 mm plus 5 mm gap.
        QTest::newRow("type 0: no marks to scan") << 0 << 0 << QList<int>{};
        QTest::newRow("type 4: the next page's first marks") << 4 << 8200 << QList<int>{};
        QTest::newRow("type 8, three lanes") << 8 << 7600 << QList<int>{0, 2000, 4020};
        QTest::newRow("type 2: not cut") << 2 << 7600 << QList<int>{};
    }
    void marksAndLanes()
    {
        QFETCH(int, type);
        QFETCH(int, far);
        QFETCH(QList<int>, lanes);
        QVERIFY(cut().pageMarkType() == 4 && !cut().hasCutItems() && cut().isSupport()); // nothing open
        m_fx->config->setPageSpacing(5);
        m_fx->config->setProperty(Config::CPT_Enable_Detection, false); // its word on the page picture aside
        QList<double> lanesPt;
        for (int lane : lanes)
            lanesPt << GPathProcess::hpgl2Point(double(lane));
        cut().open(write("marks.tqc", type, {}, lanesPt));
        QVERIFY(cut().pageSize() == QSizeF(100, 200) && cut().pageMarkType() == type);
        const QPolygonF scan({{0, 0}, {0, 3600}, {qreal(far), 3600}, {qreal(far), 0}});
        QCOMPARE(cut().currentPageMarkPoint(true), far ? scan : QPolygonF());
        QCOMPARE(cut().currentPageMarkPoint(false).at(2), GPathProcess::mm2Point(QPointF(190, 90))); // for the view
        QCOMPARE(cut().currentKnifeIntInterval(), lanes);
        if (type == 2)
            QTest::ignoreMessage(QtCriticalMsg, "DravolinteApp::isSupport 未实现的切割类型 2");
        QCOMPARE(cut().isSupport(), type != 2);
        QCOMPARE(m_fx->driver->errorMessage(), type == 2 ? QStringLiteral("不支持的切割类型!") : QString());
    }

    // The preview's copy: never onto itself (an opened scene file works on its copy), kept when a file
    // cannot be copied. A file with its own order turns sorting off.
    void openScene()
    {
        const QString file = write("ordered.tqc", 1, {}, {}, true), show = m_fx->dir.filePath("showplt.plt");
        QSignalSpy shown(&cut(), &CutScene::cutShowFileChanged);
        cut().open(file);
        QVERIFY(cut().cutShowFile() == show && !m_fx->config->getProperty(Config::CPT_Enable_Sort).toBool());
        QTest::ignoreMessage(QtInfoMsg, "DravolinteApp::onOpenScene the file is the preview copy, not copied");
        cut().open(show);
        QTest::ignoreMessage(QtCriticalMsg, "DravolinteApp::onOpenScene Failed to copy file.");
        cut().open(m_fx->dir.filePath("missing.plt"));
        QCOMPARE(readAll(show), readAll(file));
        QCOMPARE(shown.size(), 3); // the same name each time: the preview reloads
    }

    // With the label check on, a file that gives no page picture is told when it is opened.
    void noPagePictureTold_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<bool>("detection");
        QTest::addColumn<QString>("message");
        QTest::newRow("plain file") << false << true << QStringLiteral("切割文件没有页面图像，标签检测未进行");
        QTest::newRow("check off") << false << false << QString();
        QTest::newRow("page picture") << true << true << QString();
    }
    void noPagePictureTold()
    {
        QFETCH(bool, picture);
        QFETCH(bool, detection);
        QFETCH(QString, message);
        m_fx->config->setProperty(Config::CPT_Enable_Detection, detection);
        SceneData data;
        data.hasPage = true;
        data.pageMm = QSizeF(100, 200);
        data.background = picture ? QImage(100, 200, QImage::Format_RGB888) : QImage();
        data.background.fill(Qt::white);
        const QString file = m_fx->dir.filePath("page.tqc");
        QVERIFY(SceneWriter::writeFile(file, SceneWriter::tqc(data)));
        if (!picture)
            QTest::ignoreMessage(QtCriticalMsg, "DravolinteApp::loadTemplate m_cutScene->bkImage() is NULL");
        cut().open(file);
        QCOMPARE(m_fx->driver->errorMessage(), message);
    }

    // A code read at the marks switches to its work record's cut file, else to its code-named file, never
    // to the earlier label's; without either, the working file. The main thread opens.
    void switchByTaskCode()
    {
        const QString dir = m_fx->dir.filePath("plt"), working = write("working.tqc", 1), earlier = write("earlier.tqc", 1);
        QVERIFY(QDir().mkpath(dir));
        const QString byCode = write("plt/ff.plt", 1);
        m_fx->config->setProperty(Config::CPT_Plt_Dir, dir);
        cut().setCutFile(working);
        m_fx->task.setTaskStatus(1);
        WorkRecord work;
        work.timestamp = QDateTime::currentDateTime().addSecs(-60);
        work.cut_file = earlier;
        TaskRecord task;
        task.timestamp = task.work_record_timestamp = work.timestamp;
        task.code = 77;
        quint32 kind = DbPrintUpdate;
        QVERIFY(m_fx->config->db().updateWorkRecord(work, kind) && m_fx->config->db().updateTaskRecord(task, kind));
        for (const auto &[code, opened] : QList<QPair<int, QString>>{{0, working}, {77, earlier}, {255, byCode}, {0x1234abcd, working}}) {
            QVERIFY(cut().setSwitchCutFile(true) && cut().switchingCutFile());
            m_fx->records.takeTaskCode(code);
            QVERIFY(switchOnWorker());
            QCOMPARE(cut().sceneFile(), opened);
        }
        QCOMPARE(m_fx->records.cutWorkRecord().cut_file, dir + "/1234abcd.plt");
        cut().setCutFile(QString()); // nor a file of the code's
        QVERIFY(!switchOnWorker());
        // Whoever should open waits for the job: the switch gives up once the task stops instead of hanging.
        cut().setCutFile(earlier);
        std::atomic<bool> result{true};
        std::unique_ptr<QThread> worker(QThread::create([&] { result = cut().setSwitchCutFile(false); }));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("gave up waiting for .* \\(task stopped\\)$"));
        worker->start();
        QVERIFY(!worker->wait(150)); // no events served: the open waits
        m_fx->task.setTaskStatus(2);
        QVERIFY(worker->wait(10000) && !result);
    }
};

DRAVO_GUI_TEST_MAIN(TestCutScene)
#include "tst_cutscene.moc"
