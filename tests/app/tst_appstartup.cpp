#include "app/startup/QmlSetup.h"
#include "tests/app/AppTestSupport.h"

#include <QElapsedTimer>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QTcpSocket>
#include <QThread>

// The application object's life: start-up, the pages' window and camera, a shutdown that waits for no camera.
class TestAppStartup : public QObject
{
    Q_OBJECT
    QObject *m_camera = nullptr;
    QList<int> m_asked;

public slots:
    // The camera page's part: each capture is answered with an image.
    void answer(const QVariant &id)
    {
        m_asked << id.toInt();
        QMetaObject::invokeMethod(m_camera, id.toInt() == 1 ? "capturedMarkImage" : "capturedLabelImage",
                                  Q_ARG(int, id.toInt()), Q_ARG(QVariant, QImage(32, 24, QImage::Format_RGB32)));
    }

private slots:
    // initApp forces the mark camera's size; one second later the version check and the message service
    // are asked at the configured address, where nobody answers, and the program goes on.
    void initAppAndOnlineStartup()
    {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.77"), 1883);
        if (probe.waitForConnected(500))
            QSKIP("something listens on 127.0.0.77:1883");
        AppFixture fx("[Dravolinte]\nMark_Camera_Width=640\nMark_Camera_Height=480\ncollectLen=72\nIP=127.0.0.77\n");
        LogCapture log;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(AppFixture::app().initApp());
        QVERIFY(fx.config->markCameraWidth() == 320 && fx.config->markCameraHeight() == 240);
        QCOMPARE(AppFixture::app().collectLen(), 72.0);
        QVERIFY(log.waitFor("DravolinteApp::initApp::<lambda_1>::operator () connectToServer failed") && clock.elapsed() >= 950);
        QVERIFY(log.waitFor("UpgradesSoftWidget::onGetFinished ConnectionRefusedError"));
        QVERIFY(log.count("/machine/software/version?softName=Dravolinte&softVersion=2.2.1&softCode=Dravolinte"));
    }

    // The window shows the machine and the task; its camera answers the workers' capture requests.
    void windowAndCamera()
    {
        AppFixture fx("[Dravolinte]\nwaitCapture=60000\n");
        QQmlApplicationEngine engine;
        QmlSetup::registerTypes();
        QmlSetup::setupEngine(engine, AppFixture::app(), *fx.config, *fx.driver);
        engine.load(QmlSetup::mainUrl());
        QVERIFY(engine.rootObjects().size() == 1);
        AppFixture::app().setEngine(&engine);
        QObject *root = engine.rootObjects().first();
        fx.driver->setIdent(QStringLiteral("TS07x50001"));
        AppFixture::app().setTaskStatus(0);
        QVERIFY(root->findChild<QObject *>("identText")->property("text").toString().contains("TS07x50001"));
        // A paused task offers to go on.
        QObject *play = root->findChild<QObject *>(QStringLiteral("playButton"));
        QVERIFY(play);
        QCOMPARE(play->property("text").toString(), QStringLiteral("\uf144"));
        AppFixture::app().setTaskStatus(2);
        m_camera = root->findChild<QObject *>(QStringLiteral("DravolinteCamera"));
        QVERIFY(connect(m_camera, SIGNAL(capture(QVariant)), this, SLOT(answer(QVariant))));
        for (const int id : {1, 2}) {
            std::atomic<bool> answered{false};
            std::unique_ptr<QThread> worker(QThread::create([&] { answered = AppFixture::app().doCapture(id); }));
            worker->start();
            QVERIFY(QTest::qWaitFor([&] { return worker->isFinished(); }, 60000) && worker->wait() && answered);
        }
        QCOMPARE(m_asked, QList<int>({1, 2}));
        AppFixture::app().setEngine(nullptr);
    }

    // Last, as it closes for good: a stop on its way and a worker waiting for a camera that would answer in
    // minutes both end, promptly, before the driver shuts down; nothing new starts.
    void cleanUpCancelsCapturesAndJoinsThreads()
    {
        AppFixture fx("[Dravolinte]\nwaitCapture=600000\n");
        SimController sim;
        QVERIFY(fx.link(sim, {"--fault", "on 12 delay 80"})); // the machine takes its time over the stop
        DravolinteApp &app = AppFixture::app();
        std::atomic<bool> captured{true};
        std::unique_ptr<QThread> worker(QThread::create([&] { captured = app.doCapture(1); }));
        worker->start();
        app.stopTask(false);
        QVERIFY(app.isTaskThreadBusy());
        QVERIFY(app.cleanUp());
        QVERIFY(worker->wait(60000) && !captured);
        QVERIFY(!app.isTaskThreadBusy() && sim.receivedCommands().contains(QStringLiteral("12,2;")));
        QTest::ignoreMessage(QtWarningMsg, "DravolinteApp::stopTask the program is closing");
        app.stopTask(false);
        QVERIFY(!app.isTaskThreadBusy());
    }
};

DRAVO_APP_TEST_MAIN(TestAppStartup)
#include "tst_appstartup.moc"
