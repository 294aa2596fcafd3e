#include "app/startup/QmlSetup.h"

#include "views/cameras/CameraInputs.h"
#include "configuration/Config.h"
#include "views/overlays/FilmView.h"
#include "views/FirstFrame.h"
#include "views/cameras/FrameRelay.h"
#include "views/KeyboardLift.h"
#include "views/overlays/LostLabelView.h"
#include "views/cutpreview/PltQuickView.h"
#include "views/QuickItemWidget.h"
#include "views/cameras/SessionCapture.h"
#include "views/cameras/ShotFiles.h"
#include "app/DravolinteApp.h"
#include "app/vision/ImageProvider.h"
#include "device/Varnok120X.h"
#include "device/task/TaskInterface.h"

#include <QDebug>
#include <QFontDatabase>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>

namespace QmlSetup {

void prepareEnvironment()
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    qputenv("QT_IM_MODULE", "qtvirtualkeyboard");
}

bool loadIconFont()
{
    if (QFontDatabase::addApplicationFont(QStringLiteral("./Dravolinte/res/Orun.ttf")) != -1)
        return true;
    qWarning().noquote() << "main" << "Failed to load OrunFont.ttf";
    return false;
}

void registerTypes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    loadIconFont();
    qRegisterMetaType<Config::ConfigParamType>("ConfigParamType");
    qmlRegisterType<PltQuickView>("PltQuickView", 1, 0, "PltQuickView");
    qmlRegisterType<QuickItemWidget>("QuickItemWidget", 1, 0, "QuickItemWidget");
    qmlRegisterUncreatableType<Config>("ORUN_Config", 1, 0, "ORUN_Config", QStringLiteral("enums only"));
    // The task statuses by name: app.taskStatus === TaskStatus.Stopped.
    qmlRegisterUncreatableMetaObject(taskInterface::staticMetaObject, "ORUN_Config", 1, 0, "TaskStatus",
                                     QStringLiteral("enums only"));
    // The camera overlays, each in a module of its own name.
    qmlRegisterType<FilmView>("FilmView", 1, 0, "FilmView");
    qmlRegisterType<LostLabelView>("LostLabelView", 1, 0, "LostLabelView");
    // What the first frame does without waits for it: FirstFrame.drawn.
    qmlRegisterUncreatableType<FirstFrame>("FirstFrame", 1, 0, "FirstFrame", QStringLiteral("attached only"));
    // What the QML camera object and the camera views need beside Qt Multimedia.
    qmlRegisterType<FrameRelay>("CameraSupport", 1, 0, "FrameRelay");
    qmlRegisterType<SessionCapture>("CameraSupport", 1, 0, "SessionCapture");
    qmlRegisterType<CameraInputs>("CameraSupport", 1, 0, "CameraInputs");
    qmlRegisterType<ShotFiles>("CameraSupport", 1, 0, "ShotFiles");
    // The main window's keyboard keeps the field typed into in sight.
    qmlRegisterType<KeyboardLift>("KeyboardSupport", 1, 0, "KeyboardLift");
}

void setupEngine(QQmlEngine &engine, DravolinteApp &app, Config &config, Varnok120X &driver)
{
    // The module's documents in their subfolders import Dravolinte2024 by name.
    engine.addImportPath(QStringLiteral("qrc:/"));
    QQmlContext *context = engine.rootContext();
    context->setContextProperty(QStringLiteral("app"), &app);
    context->setContextProperty(QStringLiteral("config"), &config);
    context->setContextProperty(QStringLiteral("device"), &driver);
    // Null until the pages' cameras start it; then the camera, and the
    // bindings on it follow.
    context->setContextProperty(QStringLiteral("checkCamera"), app.checkCamera());
    QObject::connect(&app, &DravolinteApp::checkCameraStarted, context, [context](QObject *camera) {
        context->setContextProperty(QStringLiteral("checkCamera"), camera);
    });
    // One engine takes the provider over; a second one (a test) goes without.
    if (app.ownsImageProvider()) {
        engine.addImageProvider(QStringLiteral("myImage"), app.imageProvider());
        app.releaseImageProvider();
    }
}

QUrl mainUrl()
{
    return QUrl(QStringLiteral("qrc:/Dravolinte2024/Main.qml"));
}

} // namespace QmlSetup
