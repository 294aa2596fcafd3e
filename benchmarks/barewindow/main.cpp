// The start-up baseline: the smallest Qt Quick program, a window with one
// rectangle, started the way the program is. It prints "first frame" when the
// window has drawn itself and ends at once.
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(QByteArrayLiteral("import QtQuick\n"
                                      "Window { width: 1080; height: 760; visible: true\n"
                                      "    Rectangle { anchors.fill: parent; anchors.margins: 40; color: \"steelblue\" } }\n"));
    auto *window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (!window)
        return 1;
    QObject::connect(window, &QQuickWindow::frameSwapped, &app, [] {
        std::puts("first frame");
        std::fflush(stdout);
        QCoreApplication::quit();
    }, Qt::QueuedConnection);
    return app.exec();
}
