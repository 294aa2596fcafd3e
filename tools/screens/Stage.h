#pragma once

#include <QString>
#include <QVariant>
#include <functional>

class QObject;
class QQuickWindow;

// The main window a scene is set on: finds the pages' objects by name and
// lets them settle before the picture is taken.
class Stage
{
public:
    explicit Stage(QQuickWindow *window) : m_window(window) {}
    QQuickWindow *window() const { return m_window; }
    // The first object of that name below the window; null, with a log line, when none.
    QObject *find(const QString &name) const;
    bool set(const QString &name, const char *property, const QVariant &value) const;
    bool call(const QString &name, const char *method) const;
    void showTab(int index) const { set(QStringLiteral("stack_layout"), "currentIndex", index); }
    // Serves events for this long: animations end, pictures load.
    static void settle(int ms = 400);

private:
    QQuickWindow *m_window;
};

// One picture of the user interface: set up on a fresh stage, then undone.
struct Scene
{
    QString name;
    std::function<void(Stage &)> setUp;
    std::function<void(Stage &)> tearDown;
};

// The scenes in their order; page issues add theirs here.
QList<Scene> allScenes();
