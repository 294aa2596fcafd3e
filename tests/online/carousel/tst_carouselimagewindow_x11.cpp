#include "online/carousel/CarouselImageWindow.h"
#include "tests/support/TestMain.h"
#include "tests/support/online/UpgradeServer.h"
#include "tests/support/XvfbDisplay.h"

#include <QApplication>
#include <QBuffer>
#include <QDeadlineTimer>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

// The carousel on a real X server with a window manager (the test starts
// Xvfb and openbox and runs itself again there): a real child window of the
// main window, in its bottom-right corner, through the manager's moves and
// resizes of the main window; read back from the screen.

namespace {

const char *kChildVariable = "DRAVO_X11_CAROUSEL_CHILD";

bool waitFor(const std::function<bool()> &condition)
{
    const QDeadlineTimer deadline(15000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

QColor screenAt(QWidget &main, QPoint at)
{
    const QPoint global = main.mapToGlobal(at);
    const QImage shot = main.screen()->grabWindow(0, global.x(), global.y(), 1, 1).toImage();
    return shot.isNull() ? QColor() : shot.pixelColor(0, 0);
}

// The X windows under window (xwininfo -children).
QString xChildren(WId window)
{
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {"-children", "-id", QStringLiteral("0x%1").arg(window, 0, 16)});
    info.waitForFinished(10000);
    return QString::fromLatin1(info.readAllStandardOutput());
}

int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    const auto expect = [&](bool ok, const char *what) {
        std::printf("%s %s\n", ok ? "ok" : "FAILED", what);
        std::fflush(stdout);
        failures += !ok;
    };

    UpgradeServer server;
    QImage red(1000, 250, QImage::Format_RGB32);
    red.fill(Qt::red);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    red.save(&png, "PNG");
    if (!server.listen(211, 0))
        return 99;
    server.setReply(QStringLiteral("/ad.png"), png.data());

    auto *mainWindow = new QWidget;
    QWidget &main = *mainWindow;
    main.setStyleSheet(QStringLiteral("background: white"));
    main.setGeometry(40, 40, 700, 400);
    main.show();
    expect(waitFor([&] { return main.windowHandle() && main.windowHandle()->isExposed(); }), "the main window shows");
    CarouselImageWindow carousel(main.windowHandle());
    carousel.setImageUrl({server.url(QStringLiteral("/ad.png"))}, {});
    carousel.startPlay();
    expect(waitFor([&] { return carousel.isVisible(); }), "the carousel shows with its image");
    expect(xChildren(main.winId()).contains(QStringLiteral("0x%1").arg(carousel.winId(), 0, 16)),
           "a real child window of the main window");

    const auto inCorner = [&] {
        const QPoint corner = main.mapToGlobal(QPoint(main.width(), main.height()));
        const QPoint own = carousel.windowHandle()->mapToGlobal(QPoint(carousel.width(), carousel.height()));
        return own == corner && screenAt(main, {main.width() - 5, main.height() - 5}) == QColor(Qt::red)
               && screenAt(main, {main.width() - 627, main.height() - 5}) == QColor(Qt::red)
               && screenAt(main, {main.width() - 637, main.height() - 5}) == QColor(Qt::white)
               && screenAt(main, {main.width() - 5, main.height() - 163}) == QColor(Qt::white);
    };
    expect(waitFor(inCorner), "in the bottom-right corner");
    const QPoint before = main.mapToGlobal(QPoint());
    main.move(180, 130);
    expect(waitFor([&] { return main.mapToGlobal(QPoint()) != before; }) && waitFor(inCorner), "after a move");
    main.resize(820, 460);
    expect(waitFor([&] { return main.width() == 820 && main.height() == 460; }) && waitFor(inCorner), "after a resize");
    // The main window goes first, as the pages' window does before the program's objects.
    delete mainWindow;
    carousel.update();
    QCoreApplication::processEvents();
    expect(!carousel.followedWindow() && carousel.isHidden(), "the main window goes first");
    return failures;
}

} // namespace

class TestCarouselImageWindowX11 : public QObject
{
    Q_OBJECT
private slots:
    void followsTheMainWindowsCorner();
};

void TestCarouselImageWindowX11::followsTheMainWindowsCorner()
{
    for (const char *tool : {"Xvfb", "openbox", "xwininfo"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
    }
    QProcess server;
    const QByteArray display = startXvfb(server, QStringLiteral("1024x768x24"));
    QVERIFY2(!display.isEmpty(), "Xvfb did not start");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    QProcess manager;
    manager.setProcessEnvironment(env);
    manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    manager.start(QStringLiteral("openbox"), {});
    QVERIFY(manager.waitForStarted(10000));
    // The manager is at work once it has named itself on the root window.
    QVERIFY(QTest::qWaitFor([&] {
        QProcess prop;
        prop.setProcessEnvironment(env);
        prop.start(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"});
        return prop.waitForFinished(5000) && prop.readAllStandardOutput().contains("window id");
    }, 30000));

    QProcess child;
    env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {});
    const bool finished = child.waitForFinished(120000);
    const QByteArray output = child.readAll();
    manager.terminate();
    manager.waitForFinished(10000);
    server.terminate();
    server.waitForFinished(10000);
    QVERIFY2(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
    QVERIFY2(output.count("ok ") == 7, output.constData());
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(kChildVariable))
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    TestCarouselImageWindowX11 test;
    return runTestInTempDir(argc, argv, &test, false);
}

#include "tst_carouselimagewindow_x11.moc"
