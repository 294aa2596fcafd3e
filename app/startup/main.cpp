// The life of the process: log, the three central objects, the single-copy
// guard, the QML pages, the event loop, the shutdown and, on request, the
// restart.
#include "configuration/Config.h"
#include "configuration/records/Log.h"
#include "app/DravolinteApp.h"
#include "app/startup/InstanceGuard.h"
#include "app/startup/ProgramNotifier.h"
#include "app/startup/QmlSetup.h"
#include "app/startup/TerminationSignals.h"
#include "device/Varnok120X.h"

#include <QDebug>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTextCodec>
#include <QTimer>
#include <QTranslator>
#include <memory>

namespace {

// Shown by a second copy before it ends; closes itself.
void showAlreadyRunning()
{
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Dravolinte 2024"),
                                QStringLiteral("Instance Is Running!"), QMessageBox::NoButton, nullptr);
    // A coarse timer may fire up to 5 % early; the box stays its full three seconds.
    QTimer::singleShot(3000, Qt::PreciseTimer, box, &QMessageBox::accept);
    box->exec();
    box->deleteLater();
}

void installTranslation(QTranslator &translator, Config &config)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    if (!translator.load(QStringLiteral("Dravolinte_en_US.qm"), dir))
        qWarning().noquote() << "main" << "no translation Dravolinte_en_US.qm in" << dir;
    QCoreApplication::installTranslator(&translator);
    // The display names of the parameters are taken again through it.
    config.loadCfg(false);
}

} // namespace

int main(int argc, char *argv[])
{
    initLog();
    QmlSetup::prepareEnvironment();
    DravolinteApp app(argc, argv);
    qInfo().noquote() << "main" << "start" << app.version() << QCoreApplication::applicationPid();
    ProgramNotifier notifier(&app);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, [&app] { app.exitApp(0); });

    if (argc >= 2 && QString::fromLocal8Bit(argv[1]) == QLatin1String("test"))
        app.setEnabledTest(true);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("utf-8"));

    InstanceGuard guard(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!guard.acquire()) {
        qWarning().noquote() << "main" << "Instance Is Running!";
        showAlreadyRunning();
        return -1;
    }

    QmlSetup::registerTypes();

    auto config = std::make_unique<Config>(QCoreApplication::applicationDirPath());
    auto driver = std::make_unique<Varnok120X>(config.get());
    app.setDriver(driver.get());
    driver->setIdent(config->getProperty(Config::CPT_Ident).toString());

    QTranslator translator;
    if (config->getProperty(Config::CPT_Language).toBool())
        installTranslation(translator, *config);

    app.initApp();

    auto engine = std::make_unique<QQmlApplicationEngine>();
    QmlSetup::setupEngine(*engine, app, *config, *driver);
    QObject::connect(
        engine.get(), &QQmlApplicationEngine::objectCreationFailed, &app,
        [] {
            qCritical().noquote() << "main::<lambda_1>::operator ()" << "main::<lambda_1>::operator ()"
                                  << "objectCreationFailed";
        },
        Qt::QueuedConnection);
    engine->load(QmlSetup::mainUrl());
    app.setEngine(engine.get());
    qDebug().noquote() << "main" << "main" << "LOAD QML";
    // When the operator first sees the window: what start-up is measured to.
    if (auto *window = engine->rootObjects().isEmpty() ? nullptr
                                                       : qobject_cast<QQuickWindow *>(engine->rootObjects().first()))
        QObject::connect(window, &QQuickWindow::frameSwapped, &app,
                         [] { qDebug().noquote() << "main" << "first frame"; }, Qt::SingleShotConnection);

    int code = app.exitCode();
    if (code == 0)
        code = app.exec();
    qInfo().noquote() << "main" << "exit" << code;
    app.cleanUp();

    // The pages go first, then what they were bound to. The guard is let go
    // before a restart, or the new copy would find it taken and refuse to run.
    app.setEngine(nullptr);
    engine.reset();
    app.setDriver(nullptr);
    driver.reset();
    config.reset();
    if (code == DravolinteApp::kRestartCode) {
        guard.release();
        if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), QStringList()))
            qCritical().noquote() << "main" << "restart failed";
        code = 0;
    }
    return code;
}
