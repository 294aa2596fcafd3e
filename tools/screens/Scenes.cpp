#include "Stage.h"

#include "DravolinteApp.h"
#include "Varnok120X.h"

#include <QQuickItem>
#include <QQuickWindow>

namespace {

void closePopup(Stage &stage, const QString &name)
{
    stage.call(name, "close");
}

} // namespace

QList<Scene> allScenes()
{
    return {
        {QStringLiteral("task-tab"), [](Stage &s) { s.showTab(1); }, {}},
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
             if (QObject *page = s.find(QStringLiteral("setting_page")))
                 if (QObject *field = page->findChild<QObject *>(QStringLiteral("textInput")))
                     QMetaObject::invokeMethod(field, "forceActiveFocus");
         },
         [](Stage &s) {
             if (QQuickItem *focused = s.window()->activeFocusItem())
                 focused->setFocus(false);
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
    };
}
