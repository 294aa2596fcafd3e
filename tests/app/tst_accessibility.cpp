#include "tests/support/pages/QuickWorld.h"
#include "app/startup/QmlSetup.h"
#include "tests/app/AppTestSupport.h"

#include <QAccessible>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>

// What a screen reader or an outside test tool finds in the main window:
// every control an operator presses, types into or reads has a role and a
// name, also in the popups once they are open. Without a screen reader on the
// bus (as here) a stock control joins the tree only through its own
// Accessible properties, which is why the pages set them on every control.
class TestAccessibility : public QObject
{
    Q_OBJECT

    static bool isControl(QAccessible::Role role)
    {
        switch (role) {
        case QAccessible::Button:
        case QAccessible::CheckBox:
        case QAccessible::ComboBox:
        case QAccessible::SpinBox:
        case QAccessible::EditableText:
        case QAccessible::ListItem:
        case QAccessible::Dialog:
            return true;
        default:
            return false;
        }
    }

    // A dialog by its name and what carries it: the popup's own item, not a
    // part inside it.
    static QString dialogName(QAccessibleInterface *node)
    {
        const QObject *object = node->object();
        return node->text(QAccessible::Name) + QLatin1Char(' ') + (object ? object->metaObject()->className() : "?");
    }

    // Named controls by role, and the unnamed ones, below an interface.
    static void walk(QAccessibleInterface *node, QMultiMap<QAccessible::Role, QString> &named, QStringList &unnamed, int depth = 0)
    {
        if (!node || depth > 60)
            return;
        const bool hidden = node->state().invisible;
        if (!hidden && isControl(node->role())) {
            const QString name = node->text(QAccessible::Name);
            if (name.trimmed().isEmpty())
                unnamed << QStringLiteral("%1 %2").arg(int(node->role())).arg(node->object() ? node->object()->metaObject()->className() : "?");
            else
                named.insert(node->role(), node->role() == QAccessible::Dialog ? dialogName(node) : name);
        }
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), named, unnamed, depth + 1);
    }

private slots:
    void initTestCase() { QVERIFY(copyProgramResources()); }

    void everyControlNamed()
    {
        QuickWorld world(QDir::currentPath());
        QmlSetup::registerTypes();
        QQmlApplicationEngine engine;
        world.attach(engine);
        engine.load(QmlSetup::mainUrl());
        auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
        QVERIFY(window);
        window->setVisibility(QWindow::Windowed);
        window->resize(1280, 800);
        QVERIFY(QTest::qWaitForWindowExposed(window));

        QMultiMap<QAccessible::Role, QString> named;
        QStringList unnamed;
        walk(QAccessible::queryAccessibleInterface(window), named, unnamed);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
        for (const QString &tab : {QStringLiteral("主页"), QStringLiteral("任务"), QStringLiteral("帮助")})
            QVERIFY2(named.values(QAccessible::Button).contains(tab), qPrintable(tab));

        // The settings, open: every row's editor by its parameter's name, the popup by its title.
        window->findChild<QObject *>(QStringLiteral("stack_layout"))->setProperty("currentIndex", 0);
        QObject *settings = window->findChild<QObject *>(QStringLiteral("setting_page"));
        QMetaObject::invokeMethod(settings, "open");
        QTRY_VERIFY(settings->property("opened").toBool());
        named.clear();
        walk(QAccessible::queryAccessibleInterface(window), named, unnamed);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
        QCOMPARE(named.values(QAccessible::Dialog), QStringList{QStringLiteral("设置 QQuickPopupItem")});
        QVERIFY(named.values(QAccessible::SpinBox).contains(QStringLiteral("陀螺仪触发值")));
        QVERIFY(named.values(QAccessible::Button).contains(QStringLiteral("关闭")));
        for (const QString &button : {QStringLiteral("保存"), QStringLiteral("恢复出厂设置"), QStringLiteral("保存默认设置")})
            QVERIFY2(named.values(QAccessible::Button).contains(button), qPrintable(button + " in " + named.values(QAccessible::Button).join(",")));
    }
};

DRAVO_APP_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
