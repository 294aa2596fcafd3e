// Life cycle of the application object: construction, initApp, the online
// start-up, the wiring to the QML camera, cleanUp and the exit request.
#include "DravolinteApp.h"

#include "Announcement.h"
#include "GScene.h"
#include "ImageProvider.h"
#include "Log.h"
#include "Notifier.h"
#include "UpgradesSoftWidget.h"
#include "Varnok120X.h"

#include <QAtomicPointer>
#include <QDebug>
#include <QFileInfo>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QThread>
#include <QTranslator>

namespace {
QAtomicPointer<DravolinteApp> g_app;
QAtomicPointer<Varnok120X> g_driver;
} // namespace

DravolinteApp::DravolinteApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    g_app.storeRelease(this);
    m_clock.start();
    QDateTime now = QDateTime::currentDateTime();
    m_workRecord.timestamp = now;
    m_cutWorkRecord.timestamp = now;
    m_taskRecord.timestamp = now;

    bindDiscoverySocket();
    connect(&m_udpSocket, &QUdpSocket::readyRead, this, &DravolinteApp::slotUdpRecv);
    connect(&m_udpTimer, &QTimer::timeout, this, &DravolinteApp::slotUdpTimer);
    m_udpTimer.start(kDiscoveryTickMs);

    m_imageProvider = new ImageProvider;
    m_checkCamera = new QObject;
    m_checkCamera->setObjectName(QStringLiteral("checkCamera"));
    connect(this, &DravolinteApp::openScene, this, &DravolinteApp::onOpenScene);
    // Every label-capture request also reaches the driver's collect poller.
    connect(this, &DravolinteApp::labelDoCapture, this, [this] { notifyLabelCapture(); }, Qt::DirectConnection);

    m_cutScene = std::make_unique<GScene>();
    m_cutScene->setGSceneFlag(2, true);
    m_cutScene->setGSceneFlag(1, true);
    m_cutScene->setGSceneFlag(4, true);
    m_printCutScene = std::make_unique<GScene>();

    firewall();

    m_onlineTimer.setSingleShot(true);
    connect(&m_onlineTimer, &QTimer::timeout, this, &DravolinteApp::startOnline);
}

DravolinteApp::~DravolinteApp()
{
    // Whatever cleanUp did not get to (a test, an early return) ends here.
    joinTaskThreads();
    setDriver(nullptr);
    delete m_softWidget;
    m_softWidget = nullptr;
    if (m_imageProviderOwned)
        delete m_imageProvider;
    delete m_checkCamera;
    m_cutScene.reset();
    m_printCutScene.reset();
    g_app.testAndSetOrdered(this, nullptr);
}

DravolinteApp *DravolinteApp::instance()
{
    return g_app.loadAcquire();
}

Varnok120X *DravolinteApp::driver()
{
    return g_driver.loadAcquire();
}

void DravolinteApp::setDriver(Varnok120X *driver)
{
    Varnok120X *previous = g_driver.fetchAndStoreOrdered(driver);
    if (previous && previous != driver)
        previous->setHost(nullptr);
    if (driver)
        driver->setHost(this);
}

Config *DravolinteApp::config() const
{
    return Config::instance();
}

QString DravolinteApp::filesDir() const
{
    if (Config *cfg = config())
        return QFileInfo(cfg->cfgPath()).absolutePath();
    return QCoreApplication::applicationDirPath();
}

QString DravolinteApp::appPath() const
{
    return QCoreApplication::applicationDirPath();
}

bool DravolinteApp::initApp()
{
    Config *cfg = config();
    Varnok120X *device = driver();
    if (!cfg || !device) {
        qCritical().noquote() << "DravolinteApp::initApp" << "Config and the driver must exist first";
        return false;
    }
    setCollectLen(cfg->getProperty(Config::CPT_Collect_len).toInt());
    if (!m_softWidget) {
        m_softWidget = new UpgradesSoftWidget(nullptr);
        m_softWidget->setHost(cfg->getProperty(Config::CPT_IP).toString());
        connect(m_softWidget, &UpgradesSoftWidget::upgrade, this, &DravolinteApp::checkUpdate);
    }
    connect(device, &Varnok120X::pcbVersionChanged, this, &DravolinteApp::upgrade, Qt::UniqueConnection);

    // The store's cut-scene properties follow the scene this object holds.
    cfg->setCutSceneSource([this] { return cutScene(); });
    setLogDebug(cfg->getProperty(Config::CPT_LOG_DEBUG).toBool());
    setLogInfo(cfg->getProperty(Config::CPT_LOG_INFO).toBool());
    setLogWarn(cfg->getProperty(Config::CPT_LOG_WARNNING).toBool());
    setLogError(cfg->getProperty(Config::CPT_LOG_ERROR).toBool());

    if (cfg->getProperty(Config::CPT_Mark_Camera_Width).toInt() != 320)
        cfg->setMarkCameraWidth(320);
    if (cfg->getProperty(Config::CPT_Mark_Camera_Height).toInt() != 240)
        cfg->setMarkCameraHeight(240);

    loadCheckParams();
    connect(cfg, &Config::propertyChanged, this, &DravolinteApp::onPropertyChanged, Qt::UniqueConnection);

    // The printer program's process comes with the outside programs.
    qInfo().noquote() << "DravolinteApp::initApp" << "printer program: not available in this build";
    m_ocr.setNumThread(4);
    m_ocr.initLogger(true, true, true);
    if (!m_ocr.initModels(QStringLiteral("./models/ch_PP-OCRv3_det_infer.onnx"),
                          QStringLiteral("./models/ch_ppocr_mobile_v2.0_cls_infer.onnx"),
                          QStringLiteral("./models/ch_PP-OCRv3_rec_infer.onnx"),
                          QStringLiteral("./models/ppocr_keys_v1.txt")))
        qCritical().noquote() << "DravolinteApp::initApp" << "Failed to initialize models.";
    selectHKCamera(cfg->getProperty(Config::CPT_Check_Camera).toString());

    m_onlineTimer.start(kOnlineStartDelayMs);
    return true;
}

void DravolinteApp::startOnline()
{
    Config *cfg = config();
    if (m_closing || !cfg)
        return;
    if (m_softWidget)
        m_softWidget->check(QStringLiteral("Dravolinte"), version(), QStringLiteral("Dravolinte"));

    mqttSetting setting;
    setting.host = cfg->getProperty(Config::CPT_IP).toString();
    setting.port = 1883;
    setting.username = QStringLiteral("admin");
    setting.password = QStringLiteral("mivo@7351");
    if (m_mqtt.connectToServer(setting)) {
        QWindow *window = nullptr;
        if (m_engine && !m_engine->rootObjects().isEmpty() && m_engine->rootObjects().first()->isWindowType())
            window = qobject_cast<QWindow *>(m_engine->rootObjects().first());
        m_mqtt.showAD(QStringLiteral("planning_ad"), window);
    } else {
        qCritical().noquote() << "DravolinteApp::initApp::<lambda_1>::operator ()" << "connectToServer failed";
    }
}

namespace {
QObject *findByName(QObject *root, const QString &name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    if (auto *window = qobject_cast<QQuickWindow *>(root)) {
        if (QObject *found = findByName(window->contentItem(), name))
            return found;
    }
    return root->findChild<QObject *>(name, Qt::FindChildrenRecursively);
}
} // namespace

void DravolinteApp::setEngine(QQmlApplicationEngine *engine)
{
    m_engine = engine;
    if (!engine || engine->rootObjects().isEmpty()) {
        connectCamera(nullptr);
        return;
    }
    QObject *camera = findByName(engine->rootObjects().first(), QStringLiteral("DravolinteCamera"));
    if (!camera)
        qWarning().noquote() << "DravolinteApp::setEngine" << "no DravolinteCamera: camera requests will time out";
    connectCamera(camera);
}

bool DravolinteApp::cleanUp()
{
    {
        QMutexLocker lock(&m_stateLock);
        m_closing = true;
    }
    m_onlineTimer.stop();
    if (Config *cfg = config()) {
        disconnect(cfg, &Config::propertyChanged, this, &DravolinteApp::onPropertyChanged);
        cfg->setCutSceneSource(nullptr);
    }
    // The outside programs' processes come with their own part; nothing runs yet.
    joinTaskThreads();
    if (Varnok120X *device = driver())
        device->unInit();
    reCount();
    m_udpTimer.stop();
    m_udpSocket.close();
    return true;
}

void DravolinteApp::exitApp(int code)
{
    Notifier::requestExit(code);
}

int DravolinteApp::exitCode() const
{
    return m_exitCode.load();
}
