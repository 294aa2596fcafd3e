// Life cycle of the application object: construction, initApp, the online
// start-up, the wiring to the QML camera and the check camera, cleanUp and the
// exit request; the parameter changes the parts hear of; the pages' own
// properties; the upgrade side and the pages' English.
#include "app/DravolinteApp.h"

#include "inspection/cameras/CheckCameraFormat.h"
#include "views/FirstFrame.h"
#include "platform/graphics/GScene.h"
#include "views/cutpreview/GraphicsView.h"
#include "configuration/records/Log.h"
#include "inspection/marks/MarkImages.h"
#include "configuration/Notifier.h"
#include "online/upgrades/UpgradesSoftWidget.h"
#include "app/upgrades/AdFeed.h"
#include "app/vision/ImageProvider.h"
#include "device/Varnok120X.h"

#include <QAtomicPointer>
#include <QCamera>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QQmlApplicationEngine>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTranslator>

namespace {
QAtomicPointer<DravolinteApp> g_app;
QAtomicPointer<Varnok120X> g_driver;
} // namespace

DravolinteApp::DravolinteApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    g_app.storeRelease(this);
    m_imageProvider = new ImageProvider;
    m_imageProvider->setFrameSource([this] { return m_feed.frame(); });
    m_vision.setCheckFrameSource([this] { return m_feed.frame(); });
    m_printFiles.setImageProvider(m_imageProvider);
    m_cutView = new GraphicsView;
    m_cutView->setScene(m_cut.scene());
    m_task.setPrintFileOpen([this] { return !printImage().isNull(); });
    // The firmware queries carry the host's public address and location, kept by Config for the day.
    m_upgrades.setHostLookup([] { return Config::instance() ? Config::instance()->updateHostIp() : QString(); },
                             [] { return Config::instance() ? Config::instance()->updateHostLocation() : QString(); });
    relayPartSignals();
    // The label check takes the page of each opened cut file and the check
    // camera's images; the overlays draw what it found.
    m_cut.setTemplateLoader([this] { return m_labels.loadTemplate(); });
    m_vision.setLabelSink([this](int id, const QImage &image) { return m_labels.submit(id, image); });
    OverlaySource::setCurrent(this);
    firewall();

    m_onlineTimer.setSingleShot(true);
    connect(&m_onlineTimer, &QTimer::timeout, this, &DravolinteApp::startOnline);
}

void DravolinteApp::relayPartSignals()
{
    // Direct: each reaches the pages' bindings as the part signals it.
    const auto relay = [this](auto *part, auto partSignal, auto ownSignal) {
        connect(part, partSignal, this, ownSignal, Qt::DirectConnection);
    };
    relay(&m_cut, &CutScene::cutFileChanged, &DravolinteApp::cutFileChanged);
    relay(&m_cut, &CutScene::cutShowFileChanged, &DravolinteApp::cutShowFileChanged);
    relay(&m_cut, &CutScene::refreshView, &DravolinteApp::refreshView);
    connect(this, &DravolinteApp::refreshView, m_cutView, &GraphicsView::refreshView);
    relay(&m_cut, &CutScene::openScene, &DravolinteApp::openScene);
    relay(&m_task, &TaskControl::taskStatusChanged, &DravolinteApp::taskStatusChanged);
    relay(&m_task, &TaskControl::segmentXChanged, &DravolinteApp::segmentXChanged);
    relay(&m_records, &ProductionRecords::cutTaskCopiesChanged, &DravolinteApp::cutTaskCopiesChanged);
    relay(&m_records, &ProductionRecords::cutCopiesChanged, &DravolinteApp::cutCopiesChanged);
    relay(&m_records, &ProductionRecords::printTaskCopiesChanged, &DravolinteApp::printTaskCopiesChanged);
    relay(&m_records, &ProductionRecords::printCopiesChanged, &DravolinteApp::printCopiesChanged);
    relay(&m_records, &ProductionRecords::checkedCopiesChanged, &DravolinteApp::checkedCopiesChanged);
    relay(&m_vision, &MarkVision::capture, &DravolinteApp::capture);
    relay(&m_vision, &MarkVision::labelDoCapture, &DravolinteApp::labelDoCapture);
    relay(&m_vision, &MarkVision::filmViewUpdate, qOverload<const QRect &>(&DravolinteApp::filmViewUpdate));
    relay(&m_vision, &MarkVision::collectLenChanged, &DravolinteApp::collectLenChanged);
    relay(&m_vision, &MarkVision::showLostLabelViewChanged, &DravolinteApp::showLostLabelViewChanged);
    relay(&m_labels, &LabelInspection::lostViewUpdate, qOverload<const QRect &>(&DravolinteApp::lostViewUpdate));
    relay(&m_labels, &LabelInspection::pagecheckedChanged, &DravolinteApp::pagecheckedChanged);
    relay(&m_labels, &LabelInspection::checkCameraScaleChanged, &DravolinteApp::checkCameraScaleChanged);
    connect(&m_labels, &LabelInspection::checkedImageSize, this, [this](const QSize &size) {
        setImageHeight(size.height());
        setImageWidth(size.width());
    }, Qt::DirectConnection);
    relay(&m_printFiles, &PrintFiles::printFileChanged, &DravolinteApp::printFileChanged);
    relay(&m_printFiles, &PrintFiles::printCutFileChanged, &DravolinteApp::printCutFileChanged);
    relay(&m_printFiles, &PrintFiles::saveFileChanged, &DravolinteApp::saveFileChanged);
    relay(&m_printFiles, &PrintFiles::dataSourceChanged, &DravolinteApp::dataSourceChanged);
    relay(&m_printFiles, &PrintFiles::enabledDataSourceChanged, &DravolinteApp::enabledDataSourceChanged);
    relay(&m_printFiles, &PrintFiles::dataIndexChanged, &DravolinteApp::dataIndexChanged);
    relay(&m_printFiles, &PrintFiles::printTipChanged, &DravolinteApp::printTipChanged);
    relay(&m_printFiles, &PrintFiles::printImgPathChanged, &DravolinteApp::printImgPathChanged);
    relay(&m_feed, &CheckCameraFeed::framePathChanged, &DravolinteApp::framePathChanged);
    relay(&m_feed, &CheckCameraFeed::fpsChanged, &DravolinteApp::fpsChanged);
    // The other way: an open asked for (by a switch of the cut file, or by
    // the pages) runs on the main thread; a label-capture request also
    // reaches the driver's collect poller; a job's print request prints.
    connect(this, &DravolinteApp::openScene, &m_cut, &CutScene::open);
    connect(&m_cut, &CutScene::templateLoaded, &m_vision, &MarkVision::startLabelCaptureRequest, Qt::DirectConnection);
    connect(this, &DravolinteApp::labelDoCapture, &m_vision, [this] { m_vision.requestLabelCapture(); },
            Qt::DirectConnection);
    connect(&m_task, &TaskControl::printRequested, this, &DravolinteApp::print, Qt::DirectConnection);
}

DravolinteApp::~DravolinteApp()
{
    OverlaySource::unsetCurrent(this);
    // Whatever cleanUp did not get to (a test, an early return) ends here.
    m_feed.stop();
    m_vision.cancelCaptures();
    m_labels.close();
    m_threads.joinAll();
    setDriver(nullptr);
    delete m_softWidget;
    m_softWidget = nullptr;
    // Before the scene it shows; a host item has let go of it by now.
    delete m_cutView;
    m_cutView = nullptr;
    if (m_imageProviderOwned)
        delete m_imageProvider;
    delete m_checkCamera;
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
    // First: a check in flight reports to the driver it began with.
    m_labels.setDriver(driver);
    Varnok120X *previous = g_driver.fetchAndStoreOrdered(driver);
    if (previous && previous != driver) {
        previous->setHost(nullptr);
        previous->setCutSource(nullptr);
        previous->setVision(nullptr);
    }
    m_task.setDriver(driver);
    m_cut.setDriver(driver);
    m_printFiles.setDriver(driver);
    m_printing.setDriver(driver);
    m_discovery.setDriver(driver);
    m_upgrades.setDriver(driver);
    if (driver) {
        driver->setHost(&m_task);
        driver->setCutSource(&m_cut);
        driver->setVision(&m_vision);
    }
}

QVariant DravolinteApp::getCutGraphicsView() const
{
    QQmlEngine::setObjectOwnership(m_cutView, QQmlEngine::CppOwnership);
    return QVariant::fromValue<QWidget *>(m_cutView);
}

QString DravolinteApp::appPath() const
{
    return QCoreApplication::applicationDirPath();
}

bool DravolinteApp::initApp()
{
    Config *cfg = Config::instance();
    Varnok120X *device = driver();
    if (!cfg || !device) {
        qCritical().noquote() << "DravolinteApp::initApp" << "Config and the driver must exist first";
        return false;
    }
    setCollectLen(cfg->getProperty(Config::CPT_Collect_len).toInt());
    if (!m_softWidget) {
        m_softWidget = new UpgradesSoftWidget(nullptr);
        m_softWidget->setHost(cfg->getProperty(Config::CPT_IP).toString());
        m_softWidget->setSettingsFile(cfg->cfgPath());
        connect(m_softWidget, &UpgradesSoftWidget::upgrade, this, &DravolinteApp::checkUpdate);
    }
    connect(device, &Varnok120X::pcbVersionChanged, this, &DravolinteApp::upgrade, Qt::UniqueConnection);

    // The store's cut-scene properties follow the scene this object holds.
    cfg->setCutSceneSource([this] { return m_cut.scene(); });
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

    initPrinterProcess();
    // Its models load once the window has shown itself (afterFirstFrame).
    m_vision.initOcr();
    selectHKCamera(cfg->getProperty(Config::CPT_Check_Camera).toString());

    m_onlineTimer.start(kOnlineStartDelayMs);
    return true;
}

void DravolinteApp::startOnline()
{
    Config *cfg = Config::instance();
    if (m_closing.load() || !cfg)
        return;
    if (m_softWidget)
        m_softWidget->check(QStringLiteral("Dravolinte"), version(), QStringLiteral("Dravolinte"));

    QWindow *window = nullptr;
    if (m_engine && !m_engine->rootObjects().isEmpty() && m_engine->rootObjects().first()->isWindowType())
        window = qobject_cast<QWindow *>(m_engine->rootObjects().first());
    AdFeed::start(m_mqtt, *cfg, window);
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
    QObject *root = engine->rootObjects().first();
    QObject *camera = findByName(root, QStringLiteral("DravolinteCamera"));
    if (!camera)
        qWarning().noquote() << "DravolinteApp::setEngine" << "no DravolinteCamera: camera requests will time out";
    connectCamera(camera);
    if (FirstFrame *frame = FirstFrame::of(qobject_cast<QQuickWindow *>(root))) {
        if (frame->drawn())
            afterFirstFrame();
        else
            connect(frame, &FirstFrame::drawnChanged, this, &DravolinteApp::afterFirstFrame, Qt::SingleShotConnection);
    }
}

void DravolinteApp::afterFirstFrame()
{
    if (m_closing.load() || m_vision.isOcrLoadOver())
        return;
    qInfo().noquote() << "DravolinteApp::afterFirstFrame" << "the OCR models load";
    m_vision.startOcr();
}

QObject *DravolinteApp::startCheckCamera()
{
    if (m_checkCamera)
        return m_checkCamera;
    // The first camera object brings the multimedia backend up (GStreamer
    // and its device probes), which the first frame does without.
    QElapsedTimer clock;
    clock.start();
    auto *camera = new QCamera;
    camera->setObjectName(QStringLiteral("checkCamera"));
    // Handed to the pages, it stays this object's.
    QQmlEngine::setObjectOwnership(camera, QQmlEngine::CppOwnership);
    connect(camera, &QCamera::cameraDeviceChanged, this, &DravolinteApp::checkCameraChanged);
    m_checkCamera = camera;
    qInfo().noquote() << "DravolinteApp::startCheckCamera" << "made in" << clock.elapsed() << "ms";
    emit checkCameraStarted(camera);
    return camera;
}

// The check camera as the pages use it: its video format.
void DravolinteApp::checkCameraChanged()
{
    CheckCameraFormat::apply(qobject_cast<QCamera *>(m_checkCamera));
}

bool DravolinteApp::cleanUp()
{
    m_closing.store(true);
    m_onlineTimer.stop();
    if (Config *cfg = Config::instance()) {
        disconnect(cfg, &Config::propertyChanged, this, &DravolinteApp::onPropertyChanged);
        cfg->setCutSceneSource(nullptr);
    }
    // The driver's shutdown waits for its collect and work threads, which
    // may wait in a capture that only this thread would answer, or in the
    // open of a cut file that only this thread would do: both give up first.
    m_vision.cancelCaptures();
    m_cut.close();
    m_printing.close();
    // The grab loop ends and the cameras are let go (a GigE Vision camera is
    // then free for the restarted program).
    m_feed.stop();
    // The label check reads the parameter store, which main lets go of next.
    m_labels.close();
    m_threads.joinAll();
    if (Varnok120X *device = driver())
        device->unInit();
    m_programs.close();
    reCount();
    m_discovery.stop();
    return true;
}

void DravolinteApp::exitApp(int code)
{
    Notifier::requestExit(code);
}

void DravolinteApp::connectCamera(QObject *camera)
{
    if (m_camera) {
        disconnect(this, SIGNAL(capture(QVariant)), m_camera, SIGNAL(capture(QVariant)));
        disconnect(m_camera, SIGNAL(capturedMarkImage(int,QVariant)), this, SLOT(capturedMarkImage(int,QVariant)));
        disconnect(m_camera, SIGNAL(capturedLabelImage(int,QVariant)), this, SLOT(capturedLabelImage(int,QVariant)));
    }
    m_camera = camera;
    if (!camera)
        return;
    connect(this, SIGNAL(capture(QVariant)), camera, SIGNAL(capture(QVariant)));
    connect(camera, SIGNAL(capturedMarkImage(int,QVariant)), this, SLOT(capturedMarkImage(int,QVariant)));
    connect(camera, SIGNAL(capturedLabelImage(int,QVariant)), this, SLOT(capturedLabelImage(int,QVariant)));
}

void DravolinteApp::firewall()
{
    // No rule is written: the system's own firewall settings apply.
    qInfo().noquote() << "DravolinteApp::firewall" << "no firewall rule on this system";
}

void DravolinteApp::slotFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (auto *process = qobject_cast<QProcess *>(sender()))
        m_programs.finished(process, exitCode, exitStatus);
}

void DravolinteApp::onPropertyChanged(Config::ConfigParamType key, const QVariant &val)
{
    if (taskStatus() != 1)
        loadCheckParams();
    switch (key) {
    case Config::CPT_LOG_ERROR:
        setLogError(val.toBool());
        break;
    case Config::CPT_LOG_WARNNING:
        setLogWarn(val.toBool());
        break;
    case Config::CPT_LOG_INFO:
        setLogInfo(val.toBool());
        break;
    case Config::CPT_LOG_DEBUG:
        setLogDebug(val.toBool());
        break;
    case Config::CPT_RIIN_Path:
    case Config::CPT_Printer_Soft_Path:
        m_programs.pathChanged(key, val.toString());
        break;
    case Config::CPT_Cut_Inverse:
        // The cut file opens again, turned or not.
        if (!cutFile().isEmpty())
            emit openScene(cutFile());
        break;
    default:
        break;
    }
}

// The pages' own properties: each setter stores through its guarded store
// and signals a real change. The print and cut files are PrintFiles'.

DRAVO_GUARDED_PROPERTY(DravolinteApp, QString, const QString &, version, setVersion, m_version)
DRAVO_GUARDED_PROPERTY(DravolinteApp, int, int, imageWidth, setImageWidth, m_imageWidth)
DRAVO_GUARDED_PROPERTY(DravolinteApp, int, int, imageHeight, setImageHeight, m_imageHeight)

bool DravolinteApp::enabledTest() const
{
    return m_enabledTest.get();
}

void DravolinteApp::setEnabledTest(bool v)
{
    if (!m_enabledTest.set(v))
        return;
    qInfo().noquote() << "DravolinteApp::setEnabledTest" << v;
    m_cut.setWriteTestFile(v);
    emit enabledTestChanged();
}

void DravolinteApp::markedImage(QImage &img, int x, int y, int l, double scale)
{
    MarkImages::markedImage(img, x, y, l, scale);
}

QString DravolinteApp::currentDateTimeString() const
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}

// The upgrade hand-over and the language: firmware checks, the software
// update's tool, the refusal to close during a firmware transfer, and the
// pages' English.

void DravolinteApp::upgrade()
{
    m_upgrades.upgrade();
}

// Not while a board is half flashed, and only once the tool runs: a program
// that quits for a tool that never started leaves the operator with nothing.
void DravolinteApp::checkUpdate()
{
    if (!allowedExit()) {
        qWarning().noquote() << "DravolinteApp::checkUpdate" << "a firmware transfer runs: the update waits";
        return;
    }
    // Through the exit request: with the cut view embedded, quit() did not end the loop.
    if (m_upgrades.startTool())
        Notifier::requestExit(0);
}

bool DravolinteApp::allowedExit()
{
    // A transfer that has fallen silent or lost its link no longer counts.
    Varnok120X *device = driver();
    if (device && device->isUpgrading()) {
        device->setErrorMessage(tr("请等待升级结束"));
        return false;
    }
    m_upgrades.closeDialog();
    if (m_softWidget)
        m_softWidget->close();
    return true;
}

void DravolinteApp::setLanguage(int l)
{
    m_language.setLanguage(l);
}
