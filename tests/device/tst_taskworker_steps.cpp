// The task worker's placing steps, run one by one against the simulated
// controller: start and end points, the move to the next page and back, the
// mark-camera offset (move, measure, store, send), the cut-file check, the
// knife reset's retry limit and the end of a job whose stop fails.
#include "DriverFixture.h"
#include "TaskWorker.h"
#include "TestMain.h"

#include <QRegularExpression>

class TestTaskWorkerSteps : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

    // The rollers leave room for moves both ways.
    void freeRollers()
    {
        m_f->config->setFilmRollerLimit(60);
        m_f->config->setCollectRollerLimit(60);
        m_f->config->setCollectRollerMax(100);
        m_f->driver->setFilmRoller(70);
        m_f->driver->setCollectRoller(70);
    }
    // The packages received after the first `from` frames, once `count` are in.
    QList<QByteArray> packagesAfter(int from, int count)
    {
        QList<QByteArray> out;
        if (!QTest::qWaitFor([&] { return (out = packages(m_f->sim.received().mid(from))).size() >= count; }, 3000))
            qWarning("only %d of %d packages", int(out.size()), count);
        return out;
    }
    bool carriageIdle()
    {
        return QTest::qWaitFor([&] { return m_f->driver->rCutMotorStatus() && m_f->driver->cutMotorStatus() == 0; },
                               3000);
    }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(QString(), {"--job-ms", "20"}));
    }

    void cleanupTestCase() { m_f.reset(); }

    void init()
    {
        freeRollers();
        m_f->host->setTaskStatus(1);
        m_f->driver->setErrorMessage(QString());
    }

    void cleanup() { m_f->host->setTaskStatus(2); }

    // Start and end points of knife 0, the move on to the next page (one
    // page and the gap beyond where the page began) and back to the start.
    void pagePlacement()
    {
        DriverFixture &f = *m_f;
        TaskWorker worker(f.driver.get(), -1);
        QVERIFY(f.sim.control("set point0 0,2000"));
        int step = 0;
        worker.taskGetStartPoint(step);
        QCOMPARE(step, 1);
        QCOMPARE(worker.startPoint(), QPointF(0, 2000));

        QVERIFY(f.sim.control("set point0 3000,2600"));
        step = 6;
        worker.taskGetEndPoint(step);
        QCOMPARE(step, 7);
        QCOMPARE(worker.endPoint(), QPointF(3000, 2600));

        // Page 100 mm long, 5 mm between pages: 4200 units on from the start.
        f.host->setPageSize(QSizeF(80, 100));
        f.config->setPageSpacing(5);
        int from = int(f.sim.received().size());
        step = 7;
        worker.taskMoveToNextStartPoint(step);
        QCOMPARE(step, 8);
        QCOMPARE(f.config->runTip(), QString("移动到下个标记点"));
        QCOMPARE(packagesAfter(from, 1), QList<QByteArray>{"IN;PA;SP2;PU1200,-600;PG;PG;"});
        QVERIFY(carriageIdle());
        QVERIFY(f.driver->rDevicePoint(0));
        QCOMPARE(f.driver->devicePoint(0), QPointF(4200, 2000));

        // Back to the start of the page: a move against the web.
        step = 0;
        worker.taskGetEndPoint(step);
        from = int(f.sim.received().size());
        step = 3;
        worker.taskMoveToStart(step);
        QCOMPARE(step, 4);
        QCOMPARE(f.config->runTip(), QString("移动到开始坐标"));
        QCOMPARE(packagesAfter(from, 1), QList<QByteArray>{"IN;PA;SP2;PU-4200,0;PG;PG;"});
        QVERIFY(carriageIdle());

        // Already there: nothing moves, the step goes on.
        step = 0;
        worker.taskGetEndPoint(step);
        from = int(f.sim.received().size());
        step = 3;
        worker.taskMoveToStart(step);
        QCOMPARE(step, 4);
        QTest::qWait(50);
        QVERIFY(packages(f.sim.received().mid(from)).isEmpty());
        f.config->setPageSpacing(0);
    }

    // A move back onto the rewind roller's limit ends the job, also when the
    // machine refuses the stop and the application still says running.
    void refusedMoveEndsTheJob()
    {
        DriverFixture &f = *m_f;
        TaskWorker worker(f.driver.get(), -1);
        QVERIFY(f.sim.control("set point0 0,0"));
        int step = 0;
        worker.taskGetStartPoint(step);
        QVERIFY(f.sim.control("set point0 4000,0"));
        step = 0;
        worker.taskGetEndPoint(step);
        f.driver->setCollectRoller(61); // 100 mm back takes 5 off: below the limit of 60
        QVERIFY(f.sim.control("on 12 drop count 1"));
        const int stops = f.host->stopRequests();
        const int from = int(f.sim.received().size());
        step = 3;
        worker.taskMoveToStart(step);
        QCOMPARE(step, 3); // the step itself stays...
        QCOMPARE(f.driver->errorMessage(), QString(" 收纸容纸限位 "));
        QCOMPARE(f.host->stopRequests(), stops + 1);
        QCOMPARE(f.host->taskStatus(), 1); // ...the machine's stop failed...
        QCOMPARE(worker.taskStatus(), int(taskInterface::Stopped)); // ...and the list ends all the same
        QVERIFY(packages(f.sim.received().mid(from)).isEmpty());
    }

    // The mark camera goes over the spot the knife cut; the offset measured
    // there is stored for knife 0 and sent as stored.
    void cameraOffset()
    {
        DriverFixture &f = *m_f;
        f.config->setProperty(Config::CPT_Knife_index, 0);
        f.config->setMarkCameraOffsetX(0, 20.0);
        f.config->setMarkCameraOffsetY(0, -10.0);
        TaskWorker worker(f.driver.get(), -1);
        int from = int(f.sim.received().size());
        int step = 3;
        worker.taskMoveCameraOffset(step);
        QCOMPARE(step, 4);
        QCOMPARE(f.config->runTip(), QString("移动相机偏移"));
        QCOMPARE(packagesAfter(from, 1), QList<QByteArray>{"IN;PA;SP2;PU-800,400;PG;PG;"});
        QVERIFY(carriageIdle());

        // A 2 mm mark 40 pixels wide, 10 pixels right of the image centre:
        // 20 units (0.5 mm) across.
        f.config->setProperty(Config::CPT_Mark_Camera_Width, 320);
        f.config->setProperty(Config::CPT_Mark_Camera_Height, 240);
        f.config->setProperty(Config::CPT_Mark_Size, 2.0);
        worker.addScannedMark(QPointF(170, 120), 40);
        const int before = int(f.commands().size());
        step = 6;
        worker.taskCameraOffset(step);
        QCOMPARE(step, 7);
        QCOMPARE(f.config->runTip(), QString("计算相机偏移"));
        QCOMPARE(f.config->markCameraOffsetX(0), 20.0);
        QCOMPARE(f.config->markCameraOffsetY(0), -9.5);
        QCOMPARE(f.commands(before), QStringList{"8,1,1,20.00,-9.50;"});
    }

    void imageToDeviceOffset_data()
    {
        QTest::addColumn<QPointF>("pixel");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("coordinates");
        QTest::addColumn<QPointF>("offset");
        // 320 x 240 pixels, 2 mm marks: 0.05 mm per pixel for a 40-pixel mark.
        QTest::newRow("centre") << QPointF(160, 120) << 40 << 0 << QPointF(0, 0);
        QTest::newRow("one pixel right") << QPointF(161, 120) << 40 << 0 << QPointF(0, -2);
        QTest::newRow("ten pixels down") << QPointF(160, 130) << 40 << 0 << QPointF(-20, 0);
        QTest::newRow("ten down, turned") << QPointF(160, 130) << 40 << 1 << QPointF(20, 0);
        QTest::newRow("larger mark, smaller steps") << QPointF(160, 130) << 80 << 0 << QPointF(-10, 0);
        QTest::newRow("no size: no move") << QPointF(0, 0) << 0 << 0 << QPointF(0, 0);
    }

    void imageToDeviceOffset()
    {
        QFETCH(QPointF, pixel);
        QFETCH(int, size);
        QFETCH(int, coordinates);
        QFETCH(QPointF, offset);
        DriverFixture &f = *m_f;
        f.config->setProperty(Config::CPT_Mark_Camera_Width, 320);
        f.config->setProperty(Config::CPT_Mark_Camera_Height, 240);
        f.config->setProperty(Config::CPT_Mark_Size, 2.0);
        f.config->setCutCoordinates(coordinates);
        if (size < 1)
            QTest::ignoreMessage(QtWarningMsg, "TaskWorker::imageToDeviceOffset mark size 0");
        TaskWorker worker(f.driver.get(), -1);
        QCOMPARE(worker.imageToDeviceOffset(pixel, size), offset);
        f.config->setCutCoordinates(0);
    }

    void checkCutFile_data()
    {
        QTest::addColumn<bool>("items");
        QTest::addColumn<int>("marker");
        QTest::addColumn<QString>("message");
        const QString hint = QStringLiteral("，若扫描二维码自动切割，请选择切割文件路径，并放入二维码对应的切割文件");
        QTest::newRow("open") << true << 1 << QString();
        QTest::newRow("none, plain marks") << false << 0 << QStringLiteral("切割文件未打开");
        QTest::newRow("none, QR code") << false << 1 << QStringLiteral("切割文件未打开") + hint;
        QTest::newRow("none, bar code") << false << 2 << QStringLiteral("切割文件未打开") + hint;
        QTest::newRow("none, other code") << false << 3 << QStringLiteral("切割文件未打开");
    }

    void checkCutFile()
    {
        QFETCH(bool, items);
        QFETCH(int, marker);
        QFETCH(QString, message);
        DriverFixture &f = *m_f;
        f.host->setHasCutItems(items);
        f.config->setProperty(Config::CPT_Enable_Cut_Marker_Type, marker);
        f.host->setStopAction(nullptr);
        const int stops = f.host->stopRequests();
        TaskWorker worker(f.driver.get(), -1);
        int step = 2;
        QCOMPARE(worker.checkCutFile(step), items);
        QCOMPARE(f.driver->errorMessage(), message);
        QCOMPARE(step, items ? 2 : int(taskInterface::kEndStep));
        QCOMPARE(f.host->stopRequests() - stops, items ? 0 : 1);
        f.host->setHasCutItems(true);
        f.config->setProperty(Config::CPT_Enable_Cut_Marker_Type, 0);
        f.host->setStopAction([d = f.driver.get()] { return d->exitTask(); });
    }

    // A job whose stop command fails still ends, and its end leaves the
    // task stopped; nothing was announced for data that is not there.
    void jobEndsWhenItsStopFails()
    {
        DriverFixture &f = *m_f;
        QVERIFY(f.sim.control("on 12 status 1 count 1"));
        f.driver->setPltData(QByteArray());
        const int before = int(f.commands().size());
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression("^TaskWorker::taskSendPltSize 文件长度错误 plt size: 0"));
        QVERIFY(f.driver->createWork(new TaskWorker(f.driver.get(), 1)));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 5000));
        QCOMPARE(f.driver->errorMessage(), QString("文件长度错误"));
        QCOMPARE(f.config->runErrTip(), QString("文件长度错误"));
        QVERIFY(f.commands(before).contains("12,2;"));
        QVERIFY(f.commands(before).filter(QRegularExpression("^2[12][,;]")).isEmpty());
        QCOMPARE(f.host->statusLog().last(), 2);
    }

    // Knives that do not reach their origin stop the reset after five moves.
    void knifeResetGivesUp()
    {
        DriverFixture f;
        f.config->setVersion(4); // per-knife positions and knife selection
        QVERIFY(f.link(QString(), {"--job-ms", "20"}));
        f.config->setKnifeNum(2); // after the link: no reset of its own
        QVERIFY(f.sim.control("set point1 0,500"));
        QVERIFY(f.sim.control("on 22 status 1")); // no positioning job is taken
        const int before = int(f.commands().size());
        QVERIFY(f.driver->createWork(new TaskWorker(f.driver.get(), 9)));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 8000));
        QCOMPARE(f.driver->errorMessage(), QString("移动小车失败！"));
        QCOMPARE(f.commands(before).filter(QRegularExpression("^22,")).size(), 6);
        QCOMPARE(f.host->taskStatus(), 2);
    }
};

DRAVO_TEST_MAIN(TestTaskWorkerSteps)
#include "tst_taskworker_steps.moc"
