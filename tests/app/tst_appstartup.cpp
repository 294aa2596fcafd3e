// The application object's life: initApp, the online start-up, the pages'
// window and its camera, and the shutdown, which neither waits for a camera
// nor leaves a thread behind.
#include "AppTestSupport.h"

#include <QElapsedTimer>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QTcpSocket>
#include <QThread>

class TestAppStartup : public QObject
{
    Q_OBJECT

    // doCapture(id) from a worker thread, the main loop running meanwhile.
    static bool captureOnWorker(int id)
    {
        std::atomic<bool> result{false};
        std::unique_ptr<QThread> worker(QThread::create([&] { result = AppFixture::app().doCapture(id); }));
        worker->start();
        return QTest::qWaitFor([&] { return worker->isFinished(); }, 60000) && worker->wait() && result;
    }

private slots:
    void initAppForcesMarkCameraSize()
    {
        AppFixture fx("[Dravolinte]\nMark_Camera_Width=640\nMark_Camera_Height=480\ncollectLen=72\nIP=127.0.0.77\n");
        QVERIFY(AppFixture::app().initApp());
        QCOMPARE(fx.config->markCameraWidth(), 320);
        QCOMPARE(fx.config->markCameraHeight(), 240);
        QCOMPARE(AppFixture::app().collectLen(), 72.0);
    }

    // One second after initApp, the version check and the message service
    // are asked at the configured address; nobody answers, the program goes on.
    void onlineStartupGoesOnWithoutServices()
    {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.77"), 1883);
        if (probe.waitForConnected(500))
            QSKIP("something listens on 127.0.0.77:1883");
        AppFixture fx("[Dravolinte]\nIP=127.0.0.77\n");
        LogCapture log;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(AppFixture::app().initApp());
        QVERIFY(log.waitFor("DravolinteApp::initApp::<lambda_1>::operator () connectToServer failed"));
        QVERIFY(clock.elapsed() >= 950);
        QVERIFY(log.waitFor("UpgradesSoftWidget::onGetFinished ConnectionRefusedError"));
        QVERIFY(log.count("/machine/software/version?softName=Dravolinte&softVersion=2.2.1&softCode=Dravolinte"));
    }

    // The pages' window shows the machine and the task; its camera object
    // answers the capture requests of the workers, mark and label.
    void windowAndCamera()
    {
        AppFixture fx("[Dravolinte]\nwaitCapture=60000\n");
        QQmlApplicationEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("app"), &AppFixture::app());
        engine.rootContext()->setContextProperty(QStringLiteral("config"), fx.config.get());
        engine.rootContext()->setContextProperty(QStringLiteral("device"), fx.driver.get());
        engine.load(QUrl(QStringLiteral("qrc:/Dravolinte2024/Main.qml")));
        QVERIFY(engine.rootObjects().size() == 1);
        AppFixture::app().setEngine(&engine);
        QObject *root = engine.rootObjects().first();
        fx.driver->setIdent(QStringLiteral("SM07x50001"));
        AppFixture::app().setTaskStatus(0);
        QVERIFY(root->findChild<QObject *>("identText")->property("text").toString().contains("SM07x50001"));
        QVERIFY(root->findChild<QObject *>("statusText")->property("text").toString().contains(QStringLiteral("暂停")));
        AppFixture::app().setTaskStatus(2);
        QObject *camera = root->findChild<QObject *>(QStringLiteral("DravolinteCamera"));
        QVERIFY(connect(camera, SIGNAL(capture(QVariant)), this, SLOT(answer(QVariant))));
        m_camera = camera;
        QVERIFY(captureOnWorker(1) && captureOnWorker(2));
        QCOMPARE(m_asked, QList<int>({1, 2}));
        AppFixture::app().setEngine(nullptr);
    }

    // Last, as it closes the application object's services for good: a stop
    // on its way and a worker waiting for a camera that will never answer
    // both end, promptly, before the driver shuts down; nothing new starts.
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
        QElapsedTimer clock;
        clock.start();
        QVERIFY(app.cleanUp());
        QVERIFY(worker->wait(60000) && !captured);
        QVERIFY(clock.elapsed() < 60000);
        QVERIFY(!app.isTaskThreadBusy());
        QVERIFY(sim.receivedCommands().contains(QStringLiteral("12,2;")));
        QTest::ignoreMessage(QtWarningMsg, "DravolinteApp::stopTask the program is closing");
        app.stopTask(false);
        QVERIFY(!app.isTaskThreadBusy());
    }

public slots:
    // The camera page's part: each capture is answered with an image.
    void answer(const QVariant &id)
    {
        m_asked.append(id.toInt());
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        const char *signal = id.toInt() == 1 ? "capturedMarkImage" : "capturedLabelImage";
        QMetaObject::invokeMethod(m_camera, signal, Q_ARG(int, id.toInt()), Q_ARG(QVariant, QVariant(image)));
    }

private:
    QObject *m_camera = nullptr;
    QList<int> m_asked;
};

DRAVO_APP_TEST_MAIN(TestAppStartup)
#include "tst_appstartup.moc"
