#include "Stage.h"

#include "configuration/Config.h"
#include "app/DravolinteApp.h"
#include "device/Varnok120X.h"
#include "device/link/FrameCodec.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWindow>

namespace {

void closePopup(Stage &stage, const QString &name)
{
    stage.call(name, "close");
}

// A double click in the middle of the item, as the operator makes it.
void doubleClick(Stage &stage, const QString &name)
{
    auto *item = qobject_cast<QQuickItem *>(stage.find(name));
    if (!item)
        return;
    const QPointF at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, at, stage.window()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(stage.window(), &event);
    }
}

// The machine parameter page from the task tab, for a machine of that
// version with its motors turning; knife is the current one (0-based).
void openParameterPage(Stage &stage, int version, int knife = 0)
{
    Config::instance()->setVersion(version);
    Config::instance()->setKnifeNum(knife > 0 ? 2 : 1);
    Varnok120X *device = DravolinteApp::driver();
    device->setCollectMotorRunning(true);
    device->setFilmMotorRunning(true);
    device->setFeedMotorRunning(true);
    stage.showTab(1);
    Stage::settle(100);
    doubleClick(stage, QStringLiteral("deviceCell"));
    Stage::settle(500);
    if (knife > 0)
        stage.set(QStringLiteral("knifeBox"), "currentIndex", knife);
}

void closeParameterPage(Stage &stage)
{
    stage.call(QStringLiteral("backButton"), "clicked");
    Stage::settle(500);
    Config::instance()->setKnifeNum(1);
    Config::instance()->setKnifeNo(0);
    Config::instance()->setVersion(Config::VT_UNKNOWN);
    Varnok120X *device = DravolinteApp::driver();
    device->setCollectMotorRunning(false);
    device->setFilmMotorRunning(false);
    device->setFeedMotorRunning(false);
}

// What the controller would send, taken as if it had.
void fromController(const QByteArray &body)
{
    DravolinteApp::driver()->decode(FrameCodec::frameRaw(body));
}

// A page of the task tab, as the task page asks for it ("cut_file", "print_file", "video").
void openTaskTabPage(Stage &stage, const QString &page)
{
    stage.showTab(1);
    Stage::settle(100);
    if (QObject *tab = stage.find(QStringLiteral("task_stack_page")))
        QMetaObject::invokeMethod(tab, "open", Q_ARG(QVariant, page));
    Stage::settle(500);
}

void closeTaskTabPage(Stage &stage)
{
    stage.call(QStringLiteral("backButton"), "clicked");
    Stage::settle(500);
}

// The mark camera runs on the test picture of the camera backend when no
// camera is plugged in: the views show its bars.
void startMarkCamera(Stage &stage)
{
    stage.call(QStringLiteral("markCamera"), "start");
    Stage::settle(800);
}

// The check camera shown, with label checking on.
void showCheckCamera(bool qmlSource)
{
    Config *cfg = Config::instance();
    cfg->setEnableDetection(true);
    cfg->setShowCamera(1);
    cfg->setUsedQMLCamera(qmlSource);
}

void showMarkCamera()
{
    Config *cfg = Config::instance();
    cfg->setShowCamera(0);
    cfg->setUsedQMLCamera(true);
    cfg->setEnableDetection(false);
}

// The text field of a number box of the pages.
QQuickItem *fieldOf(Stage &stage, const QString &box)
{
    QObject *found = stage.find(box);
    return found ? found->findChild<QQuickItem *>(QStringLiteral("textInput")) : nullptr;
}

// The lowest field of the settings that shows whole in their scrolling area,
// found by the items' tree: the rows are made at run time.
QQuickItem *lowestSetting(Stage &stage)
{
    auto *area = qobject_cast<QQuickItem *>(stage.find(QStringLiteral("propertyArea")));
    QQuickItem *view = area && area->parentItem() ? area->parentItem()->parentItem() : nullptr;
    if (!view)
        return nullptr;
    const QRectF shown = view->mapRectToScene(view->boundingRect());
    QQuickItem *lowest = nullptr;
    QList<QQuickItem *> items{area};
    while (!items.isEmpty()) {
        QQuickItem *item = items.takeLast();
        items << item->childItems();
        const QRectF at = item->mapRectToScene(item->boundingRect());
        if (item->objectName() == QLatin1String("textInput") && item->isVisible() && shown.contains(at)
            && (!lowest || at.top() > lowest->mapRectToScene(lowest->boundingRect()).top()))
            lowest = item;
    }
    return lowest;
}

// The operator's tap on a field: the keyboard comes up and the view moves.
void typeInto(QQuickItem *field)
{
    if (!field) {
        qWarning("dravo_screens: no field to type into");
        return;
    }
    // A native view of an earlier scene (the cut file's) may hold the focus window.
    field->window()->requestActivate();
    field->forceActiveFocus();
    Stage::settle(600);
}

void stopTyping(Stage &stage)
{
    if (QQuickItem *focused = stage.window()->activeFocusItem())
        focused->setFocus(false);
    QGuiApplication::inputMethod()->hide();
    Stage::settle(400);
}

Scene diagram(int number, int version)
{
    return {QStringLiteral("diagram-v%1").arg(number), [version](Stage &s) { openParameterPage(s, version); },
            closeParameterPage};
}

} // namespace

QList<Scene> allScenes()
{
    return {
        {QStringLiteral("task-tab"),
         [](Stage &s) {
             s.showTab(1);
             startMarkCamera(s);
         },
         {}},
        {QStringLiteral("task-start-popup"),
         [](Stage &s) {
             s.showTab(1);
             s.call(QStringLiteral("task_popup"), "open");
         },
         [](Stage &s) { closePopup(s, QStringLiteral("task_popup")); }},
        {QStringLiteral("task-copies"),
         [](Stage &s) {
             s.showTab(1);
             s.call(QStringLiteral("task_copies_cut"), "toggle");
         },
         [](Stage &s) {
             // The copies field had the focus, and with it the keyboard.
             if (QQuickItem *focused = s.window()->activeFocusItem())
                 focused->setFocus(false);
             closePopup(s, QStringLiteral("copiesPopup"));
         }},
        {QStringLiteral("task-no-cut"),
         [](Stage &s) {
             Config::instance()->setEnableCut(false);
             s.showTab(1);
         },
         [](Stage &) { Config::instance()->setEnableCut(true); }},
        {QStringLiteral("task-check-camera"),
         [](Stage &s) {
             showCheckCamera(false);
             s.showTab(1);
         },
         [](Stage &) { showMarkCamera(); }},
        {QStringLiteral("print-file-page"), [](Stage &s) { openTaskTabPage(s, QStringLiteral("print_file")); },
         closeTaskTabPage},
        {QStringLiteral("cut-file-page"), [](Stage &s) { openTaskTabPage(s, QStringLiteral("cut_file")); },
         closeTaskTabPage},
        {QStringLiteral("video-page"),
         [](Stage &s) {
             openTaskTabPage(s, QStringLiteral("video"));
             startMarkCamera(s);
         },
         closeTaskTabPage},
        {QStringLiteral("video-page-check"),
         [](Stage &s) {
             showCheckCamera(true);
             openTaskTabPage(s, QStringLiteral("video"));
         },
         [](Stage &s) {
             closeTaskTabPage(s);
             showMarkCamera();
         }},
        {QStringLiteral("home-tab"), [](Stage &s) { s.showTab(0); }, {}},
        {QStringLiteral("help-tab"), [](Stage &s) { s.showTab(2); }, {}},
        {QStringLiteral("bar-texts"),
         [](Stage &s) {
             s.showTab(1);
             DravolinteApp::driver()->setErrorMessage(QObject::tr("驱动X轴电机报错 "));
             s.call(QStringLiteral("error_popup"), "close");
         },
         [](Stage &s) { DravolinteApp::driver()->setErrorMessage(QString()); }},
        {QStringLiteral("settings"),
         [](Stage &s) {
             s.showTab(0);
             s.call(QStringLiteral("setting_page"), "open");
         },
         [](Stage &s) { closePopup(s, QStringLiteral("setting_page")); }},
        {QStringLiteral("keyboard"),
         [](Stage &s) {
             s.showTab(0);
             s.call(QStringLiteral("setting_page"), "open");
             Stage::settle(200);
             typeInto(lowestSetting(s));
         },
         [](Stage &s) {
             stopTyping(s);
             closePopup(s, QStringLiteral("setting_page"));
         }},
        {QStringLiteral("message-box"),
         [](Stage &s) {
             s.showTab(0);
             s.set(QStringLiteral("tipDlg"), "text", QObject::tr("任务运行中不可设置"));
             s.call(QStringLiteral("tipDlg"), "open");
         },
         [](Stage &s) { closePopup(s, QStringLiteral("tipDlg")); }},
        {QStringLiteral("error-popup"),
         [](Stage &s) {
             s.showTab(1);
             DravolinteApp::driver()->setErrorMessage(QObject::tr("设备未连接，请重启设备或者选择设备 \n"));
         },
         [](Stage &s) { closePopup(s, QStringLiteral("error_popup")); }},
        {QStringLiteral("about"),
         [](Stage &s) {
             s.showTab(0);
             s.call(QStringLiteral("aboutButton"), "clicked");
         },
         [](Stage &s) { closePopup(s, QStringLiteral("aboutPop")); }},
        {QStringLiteral("login"),
         [](Stage &s) {
             s.showTab(0);
             s.call(QStringLiteral("login_page"), "open");
         },
         [](Stage &s) { closePopup(s, QStringLiteral("login_page")); }},
        {QStringLiteral("language-list"),
         [](Stage &s) {
             s.showTab(0);
             s.call(QStringLiteral("languageBox"), "toggle");
         },
         [](Stage &s) { closePopup(s, QStringLiteral("languageList")); }},
        {QStringLiteral("machine-home"),
         [](Stage &s) {
             Config::instance()->setVersion(Config::VT_7x5);
             s.showTab(0);
         },
         [](Stage &) { Config::instance()->setVersion(Config::VT_UNKNOWN); }},
        {QStringLiteral("controller-list"),
         [](Stage &s) {
             s.showTab(0);
             s.set(QStringLiteral("popup"), "devices",
                   QStringList{QStringLiteral("SM07x30001"), QStringLiteral("SM07x50001"), QStringLiteral("SM07x50002"),
                               QStringLiteral("SM07x70001")});
             s.call(QStringLiteral("popup"), "open");
         },
         [](Stage &s) { closePopup(s, QStringLiteral("popup")); }},
        {QStringLiteral("parameter-page"), [](Stage &s) { openParameterPage(s, Config::VT_7x5); }, closeParameterPage},
        {QStringLiteral("parameter-page-knife2"), [](Stage &s) { openParameterPage(s, Config::VT_7x5, 1); },
         closeParameterPage},
        {QStringLiteral("parameter-page-keyboard"),
         [](Stage &s) {
             openParameterPage(s, Config::VT_7x5, 1);
             typeInto(fieldOf(s, QStringLiteral("iFSpinBox_markCameraOffsetY")));
         },
         [](Stage &s) {
             stopTyping(s);
             closeParameterPage(s);
         }},
        {QStringLiteral("video-page-keyboard"),
         [](Stage &s) {
             openTaskTabPage(s, QStringLiteral("video"));
             typeInto(fieldOf(s, QStringLiteral("offsetYBox")));
         },
         [](Stage &s) {
             stopTyping(s);
             closeTaskTabPage(s);
         }},
        diagram(1, Config::VT_7x3),
        diagram(2, Config::VT_7x4),
        diagram(3, Config::VT_7x6),
        diagram(4, Config::VT_7x7),
        diagram(5, Config::VT_7x8),
        {QStringLiteral("frame-alarm"),
         [](Stage &s) {
             Config::instance()->setVersion(Config::VT_7x3);
             s.showTab(1);
             fromController("CCMD;23,0,3;");
         },
         [](Stage &) {
             // Linking again clears the alarm, as on the machine.
             Varnok120X *device = DravolinteApp::driver();
             const QString address = device->ip();
             device->setIp(QString());
             device->setIp(address);
             Stage::settle(1000);
             Config::instance()->setVersion(Config::VT_UNKNOWN);
         }},
        {QStringLiteral("firmware-page"),
         [](Stage &s) {
             Config::instance()->setVersion(Config::VT_7x5);
             DravolinteApp::driver()->setUpdateFile(QStringLiteral("firmware/sensor-v1.6.0.bin"));
             s.showTab(2);
         },
         [](Stage &) { Config::instance()->setVersion(Config::VT_UNKNOWN); }},
        {QStringLiteral("firmware-42"),
         [](Stage &s) {
             Config::instance()->setVersion(Config::VT_7x5);
             s.showTab(2);
             fromController("UPG;1,0,42;");
         },
         [](Stage &) {
             fromController("UPG;1,0,100;");
             DravolinteApp::driver()->setUpdateProgress(0.0);
             DravolinteApp::driver()->setUpdateFile(QString());
             Config::instance()->setVersion(Config::VT_UNKNOWN);
         }},
    };
}
