// Pictures of the user interface for a person to look at: the main window
// with the program's engine set-up and the simulated controller linked,
// each scene at 1280 x 800 and 1920 x 1080, in Chinese or English:
//     dravo_screens OUT [--lang en] [--list]
// writes OUT/NN-scene-lang-size.png and fails on any warning of the pages.
#include "configuration/Config.h"
#include "tests/support/pages/QuickWorld.h"
#include "Stage.h"
#include "app/DravolinteApp.h"
#include "app/startup/QmlSetup.h"

#include <QDir>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTranslator>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QmlSetup::prepareEnvironment();
    DravolinteApp app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    const QList<Scene> scenes = allScenes();
    if (args.contains(QStringLiteral("--list"))) {
        for (const Scene &scene : scenes)
            out << scene.name << '\n';
        return 0;
    }
    const int langAt = int(args.indexOf(QStringLiteral("--lang")));
    const QString lang = langAt >= 0 ? args.value(langAt + 1) : QStringLiteral("zh");
    if (langAt >= 0)
        args.remove(langAt, 2);
    if (args.size() != 1 || (lang != QLatin1String("zh") && lang != QLatin1String("en"))) {
        err << "usage: dravo_screens OUT [--lang en] [--list]\n";
        return 2;
    }
    const QString outDir = QDir(args.first()).absolutePath();
    QDir().mkpath(outDir);
    if (qEnvironmentVariableIsEmpty("DRAVO_BIN_DIR"))
        qputenv("DRAVO_BIN_DIR", QCoreApplication::applicationDirPath().toLocal8Bit());

    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        return 1;
    copyProgramResources();
    QmlWarningGate gate;
    gate.install();
    QmlSetup::registerTypes();
    QTranslator english;
    int rc = 0;
    {
        QuickWorld world(work.path());
        if (lang == QLatin1String("en")) {
            if (!english.load(QStringLiteral("Dravolinte_en_US.qm"),
                              qEnvironmentVariable("DRAVO_BIN_DIR") + QStringLiteral("/translations")))
                err << "dravo_screens: no English translation\n";
            QCoreApplication::installTranslator(&english);
            world.config().loadCfg(false);
        }
        if (!world.simulator().start())
            err << "dravo_screens: the simulated controller did not start; the pictures show no machine\n";
        QQmlApplicationEngine engine;
        world.attach(engine, &gate);
        engine.load(QmlSetup::mainUrl());
        auto *window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
        if (!window) {
            err << "dravo_screens: the main window did not load\n";
            return 1;
        }
        Stage stage(window);
        const QList<QSize> sizes{QSize(1280, 800), QSize(1920, 1080)};
        for (const QSize &size : sizes) {
            window->setVisibility(QWindow::Windowed);
            window->resize(size);
            Stage::settle(300);
            for (int i = 0; i < scenes.size(); ++i) {
                const Scene &scene = scenes.at(i);
                scene.setUp(stage);
                Stage::settle();
                const QImage image = window->grabWindow();
                const QString file = QStringLiteral("%1/%2-%3-%4-%5x%6.png")
                                         .arg(outDir)
                                         .arg(i + 1, 2, 10, QLatin1Char('0'))
                                         .arg(scene.name, lang)
                                         .arg(size.width())
                                         .arg(size.height());
                if (image.isNull() || !image.save(file)) {
                    err << "dravo_screens: cannot write " << file << '\n';
                    rc = 1;
                }
                if (scene.tearDown)
                    scene.tearDown(stage);
                Stage::settle(200);
            }
        }
        engine.clearComponentCache();
    }
    gate.uninstall();
    for (const QString &line : gate.unexpected()) {
        err << "dravo_screens: warning of the pages: " << line << '\n';
        rc = 1;
    }
    app.cleanUp();
    return rc;
}
