#include "AppTestSupport.h"

#include <QElapsedTimer>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QThread>

#include "SimController.h"

// The application object's life: its state after construction, initApp,
// the online start-up, the wiring to the QML camera and the pages' window.
// Stands for the camera page: answers the camera object's capture with an
// image, as its cameras will.
class CameraAnswerer : public QObject
{
    Q_OBJECT
public:
    explicit CameraAnswerer(QObject *camera) : m_camera(camera) {}
    QList<int> asked;
    bool respond = true;

public slots:
    void onCapture(const QVariant &id)
    {
        asked.append(id.toInt());
        if (!respond)
            return;
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        const char *signal = id.toInt() == 1 ? "capturedMarkImage" : "capturedLabelImage";
        QMetaObject::invokeMethod(m_camera, signal, Q_ARG(int, id.toInt()), Q_ARG(QVariant, QVariant(image)));
    }

private:
    QObject *m_camera;
};

class TestAppStartup : public QObject
{
    Q_OBJECT
private slots:
    void initialState();
    void initAppForcesMarkCameraSize();
    void onlineStartupGoesOnWithoutServices();
    void mainWindowShowsMachineAndTask();
    void qmlCameraAnswersCaptures();
    // Last: it closes the application object's services for good.
    void cleanUpJoinsItsThreads();
};

void TestAppStartup::initialState()
{
    DravolinteApp &app = AppFixture::app();
    QCOMPARE(DravolinteApp::instance(), &app);
    QCOMPARE(app.taskStatus(), 2);
    QCOMPARE(app.cutTaskCopies(), 100);
    QCOMPARE(app.printTaskCopies(), 100);
    QCOMPARE(app.cutCopies(), 0);
    QCOMPARE(app.printCopies(), 0);
    QCOMPARE(app.checkedCopies(), 0);
    QCOMPARE(app.collectLen(), 50.0);
    QCOMPARE(app.segmentX(), -1);
    QCOMPARE(app.version(), QStringLiteral("2.2.1"));
    QCOMPARE(app.dataIndex(), 1);
    QCOMPARE(app.filmRecords().size(), 5);
    QCOMPARE(app.exitCode(), 0);
    QVERIFY(app.cutScene());
    QVERIFY(!app.enabledTest());
    QVERIFY(app.onlineDevices().isEmpty());
}

void TestAppStartup::initAppForcesMarkCameraSize()
{
    AppFixture fx("[Dravolinte]\nMark_Camera_Width=640\nMark_Camera_Height=480\ncollectLen=72\nIP=127.0.0.77\n");
    QSignalSpy widthChanged(fx.config.get(), &Config::markCameraWidthChanged);
    QVERIFY(AppFixture::app().initApp());
    QCOMPARE(fx.config->markCameraWidth(), 320);
    QCOMPARE(fx.config->markCameraHeight(), 240);
    QCOMPARE(widthChanged.count(), 1);
    QCOMPARE(AppFixture::app().collectLen(), 72.0);
    QSettings saved(fx.dir.filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
    QCOMPARE(saved.value(QStringLiteral("Dravolinte/Mark_Camera_Width")).toInt(), 320);
    QCOMPARE(saved.value(QStringLiteral("Dravolinte/Mark_Camera_Height")).toInt(), 240);
}

void TestAppStartup::onlineStartupGoesOnWithoutServices()
{
    // Nothing may listen on the address the services are asked at.
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.77"), 1883);
    if (probe.waitForConnected(500))
        QSKIP("something listens on 127.0.0.77:1883");
    AppFixture fx("[Dravolinte]\nIP=127.0.0.77\n");
    LogCapture log;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(AppFixture::app().initApp());
    QVERIFY(log.contains(QStringLiteral("OcrLite::initModels")));
    QVERIFY(!log.contains(QStringLiteral("connectToServer failed")));
    QVERIFY(log.waitFor(QStringLiteral("DravolinteApp::initApp::<lambda_1>::operator () connectToServer failed"), 5000));
    // One second after initApp, then about one second of waiting at most.
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(log.waitFor(QStringLiteral("UpgradesSoftWidget::onGetFinished ConnectionRefusedError"), 5000));
    QVERIFY(log.contains(QStringLiteral("/machine/software/version?softName=Dravolinte&softVersion=2.2.1&softCode=Dravolinte")));
}

namespace {
// Loads the pages' window as the program does.
std::unique_ptr<QQmlApplicationEngine> loadMain(AppFixture &fx)
{
    auto engine = std::make_unique<QQmlApplicationEngine>();
    engine->rootContext()->setContextProperty(QStringLiteral("app"), &AppFixture::app());
    engine->rootContext()->setContextProperty(QStringLiteral("config"), fx.config.get());
    engine->rootContext()->setContextProperty(QStringLiteral("device"), fx.driver.get());
    engine->load(QUrl(QStringLiteral("qrc:/Dravolinte2024/Main.qml")));
    AppFixture::app().setEngine(engine.get());
    return engine;
}

QString textOf(QQmlApplicationEngine &engine, const char *name)
{
    QObject *root = engine.rootObjects().value(0);
    QObject *item = root ? root->findChild<QObject *>(QLatin1String(name)) : nullptr;
    return item ? item->property("text").toString() : QString();
}
} // namespace

void TestAppStartup::mainWindowShowsMachineAndTask()
{
    AppFixture fx;
    auto engine = loadMain(fx);
    QCOMPARE(engine->rootObjects().size(), 1);
    QVERIFY(engine->rootObjects().first()->isWindowType());
    fx.driver->setIdent(QStringLiteral("SM07x50001"));
    QVERIFY(textOf(*engine, "identText").contains(QStringLiteral("SM07x50001")));
    QVERIFY(textOf(*engine, "statusText").contains(QStringLiteral("已停止")));
    AppFixture::app().setTaskStatus(0);
    QVERIFY(textOf(*engine, "statusText").contains(QStringLiteral("暂停")));
    AppFixture::app().setTaskStatus(2);
    AppFixture::app().setEngine(nullptr);
}

void TestAppStartup::qmlCameraAnswersCaptures()
{
    AppFixture fx("[Dravolinte]\nwaitCapture=3000\n");
    auto engine = loadMain(fx);
    QObject *camera = engine->rootObjects().first()->findChild<QObject *>(QStringLiteral("DravolinteCamera"));
    QVERIFY(camera);

    // The camera page's part: answer each capture with an image.
    CameraAnswerer answerer(camera);
    QVERIFY(connect(camera, SIGNAL(capture(QVariant)), &answerer, SLOT(onCapture(QVariant))));

    // Requests come from worker threads; the answers on the main thread.
    auto captureOn = [](int id) {
        bool result = false;
        std::unique_ptr<QThread> worker(QThread::create([&] { result = AppFixture::app().doCapture(id); }));
        worker->start();
        const bool finished = QTest::qWaitFor([&] { return worker->isFinished(); }, 10000);
        return finished && result;
    };
    QVERIFY(captureOn(1));
    QVERIFY(captureOn(2));
    QCOMPARE(answerer.asked, QList<int>({1, 2}));
    QCOMPARE(AppFixture::app().scanMarkPoint(), QPointF(0, 0));

    fx.config->setProperty(Config::CPT_Wait_Capture, 300);
    answerer.respond = false;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!captureOn(1));
    QVERIFY(clock.elapsed() >= 300);
    AppFixture::app().setEngine(nullptr);
}

void TestAppStartup::cleanUpJoinsItsThreads()
{
    AppFixture fx;
    SimController sim;
    // The machine takes its time over the stop.
    QVERIFY(sim.start({QStringLiteral("--fault"), QStringLiteral("on 12 delay 80")}));
    fx.driver->setIp(sim.address());
    QVERIFY(QTest::qWaitFor([&] { return fx.driver->isReady(); }, 10000));
    DravolinteApp &app = AppFixture::app();
    app.stopTask(false);
    QVERIFY(app.isTaskThreadBusy());
    QVERIFY(app.cleanUp());
    // Nothing it started outlives it.
    QVERIFY(!app.isTaskThreadBusy());
    QVERIFY(sim.receivedCommands().contains(QStringLiteral("12,2;")));
    // Closing: no new task thread starts.
    LogCapture log;
    app.stopTask(false);
    QVERIFY(!app.isTaskThreadBusy());
    QVERIFY(log.contains(QStringLiteral("DravolinteApp::stopTask the program is closing")));
}

DRAVO_APP_TEST_MAIN(TestAppStartup)
#include "tst_appstartup.moc"
