// Mark jobs through the application object against the simulated
// controller, with the test mark camera answering the capture requests from
// the simulator's positions.
#include "AppTestSupport.h"

#include "SimController.h"
#include "SimMarkCamera.h"
#include "TaskWorker.h"

class TestAppMarkRun : public QObject
{
    Q_OBJECT
private slots:
    void blankCameraEndsTheJob();
};

// A camera that never sees a mark: the production run searches two pages'
// pitch of web, then ends with the reason, having cut nothing.
void TestAppMarkRun::blankCameraEndsTheJob()
{
    AppFixture fx(QByteArray("[Dravolinte]\nwaitCapture=2000\n"));
    fx.driver->setPolling(false); // the rollers' watch is not what this is about
    SimController sim;
    QVERIFY(sim.start({QStringLiteral("--job-ms"), QStringLiteral("20")}));
    fx.driver->setIp(sim.address());
    QVERIFY(QTest::qWaitFor([&] { return fx.driver->isReady(); }, 10000));
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

DRAVO_APP_TEST_MAIN(TestAppMarkRun)
#include "tst_appmarkrun.moc"
