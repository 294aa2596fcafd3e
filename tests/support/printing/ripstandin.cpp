// A window program in place of the RIP and the printer program: one plain
// window on the X11 display, until it is ended.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    // The tests run headless; this one must show a real window.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("RIP stand-in"));
    window.resize(320, 200);
    window.show();
    return app.exec();
}
