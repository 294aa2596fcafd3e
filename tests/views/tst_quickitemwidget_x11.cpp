#include "platform/graphics/GScene.h"
#include "views/cutpreview/GraphicsView.h"
#include "views/QuickItemWidget.h"
#include "tests/support/TestMain.h"
#include "tests/support/XvfbDisplay.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QQuickWindow>
#include <QScreen>
#include <QStandardPaths>

// The hosted view as the operator sees it, on a real X server: the test
// starts Xvfb and runs itself again on it (offscreen has no child windows).
// The child shows a white QML window with the cut view hosted in an item and
// reads the screen back: the view's gray inside the item, white round it.

namespace {

const char *kChildVariable = "DRAVO_X11_EMBED_CHILD";

// The screen's colour at a point of the window, once it is what `want` says (or the time is up).
bool screenShows(QQuickWindow &window, QPoint at, const std::function<bool(QRgb)> &want)
{
    const QDeadlineTimer deadline(10000);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const QPoint global = window.mapToGlobal(at);
        const QImage shot = window.screen()->grabWindow(0, global.x(), global.y(), 1, 1).toImage();
        if (!shot.isNull() && want(shot.pixel(0, 0)))
            return true;
    } while (!deadline.hasExpired());
    return false;
}

int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QRgb gray = QColor(Qt::gray).rgb(), white = qRgb(255, 255, 255);
    const auto is = [](QRgb colour) { return [colour](QRgb c) { return (c & 0xffffff) == (colour & 0xffffff); }; };
    int failures = 0;
    const auto expect = [&](bool ok, const char *what) {
        std::printf("%s %s\n", ok ? "ok" : "FAILED", what);
        failures += !ok;
    };

    GScene scene;
    GraphicsView view;
    view.setScene(&scene);
    view.setFrameShape(QFrame::NoFrame);
    QQuickWindow window;
    window.setColor(Qt::white);
    window.setGeometry(30, 30, 400, 300);
    QQuickItem panel(window.contentItem());
    panel.setPosition(QPointF(20, 10));
    auto *item = new QuickItemWidget(&panel);
    item->setPosition(QPointF(60, 40)); // at 80, 50 in the window
    item->setSize(QSizeF(200, 150));
    item->setWidget(QVariant::fromValue(&view)); // before the window is shown
    window.show();

    expect(screenShows(window, {180, 125}, is(gray)), "the view's gray inside the item");
    expect(screenShows(window, {82, 52}, is(gray)) && screenShows(window, {277, 197}, is(gray)), "to its corners");
    expect(screenShows(window, {76, 125}, is(white)) && screenShows(window, {284, 125}, is(white)) &&
               screenShows(window, {180, 46}, is(white)) && screenShows(window, {180, 204}, is(white)),
           "white round it");
    panel.setX(100); // the ancestor moves: the view follows
    expect(screenShows(window, {82, 125}, is(white)) && screenShows(window, {270, 125}, is(gray)) &&
               screenShows(window, {357, 125}, is(gray)) && screenShows(window, {364, 125}, is(white)),
           "after the panel's move");
    item->setVisible(false);
    expect(screenShows(window, {260, 125}, is(white)), "hidden with the item");
    item->setVisible(true);
    expect(screenShows(window, {260, 125}, is(gray)), "shown again");
    window.close();
    delete item;
    return failures;
}

} // namespace

class TestQuickItemWidgetX11 : public QObject
{
    Q_OBJECT
private slots:
    void viewInsideTheItem();
};

void TestQuickItemWidgetX11::viewInsideTheItem()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        QSKIP("Xvfb is not installed");
    QProcess server;
    const QByteArray display = startXvfb(server);
    QVERIFY2(!display.isEmpty(), "Xvfb did not start");

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {});
    const bool finished = child.waitForFinished(120000);
    const QByteArray output = child.readAll();
    server.terminate();
    server.waitForFinished(10000);
    QVERIFY2(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
    QVERIFY2(output.count("ok ") == 6, output.constData());
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(kChildVariable))
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    TestQuickItemWidgetX11 test;
    return runTestInTempDir(argc, argv, &test, false);
}

#include "tst_quickitemwidget_x11.moc"
