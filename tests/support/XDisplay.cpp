#include "tests/support/XDisplay.h"

#include "tests/support/StopProcess.h"
#include "tests/support/XvfbDisplay.h"

#include <QTest>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

// The windows below window (depth levels) whose _NET_WM_PID is pid, with their WM_STATE.
long stateBelow(Display *display, Window window, unsigned long pid, int depth)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    const Atom stateAtom = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    long state = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data)
            == Success
        && data && count == 1 && *reinterpret_cast<unsigned long *>(data) == pid) {
        XFree(data);
        data = nullptr;
        if (XGetWindowProperty(display, window, stateAtom, 0, 2, False, stateAtom, &type, &format, &count, &after,
                               &data)
                == Success
            && data && count >= 1)
            state = long(*reinterpret_cast<unsigned long *>(data));
    }
    if (data)
        XFree(data);
    if (state >= 0 || depth <= 0)
        return state;
    Window root = None, parent = None, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &n) && children) {
        for (unsigned int i = 0; i < n && state < 0; ++i)
            state = stateBelow(display, children[i], pid, depth - 1);
    }
    if (children)
        XFree(children);
    return state;
}

bool reachable(const QString &name)
{
    Display *display = XOpenDisplay(name.toLocal8Bit().constData());
    if (display)
        XCloseDisplay(display);
    return display != nullptr;
}

bool managed(const QString &name)
{
    Display *display = XOpenDisplay(name.toLocal8Bit().constData());
    if (!display)
        return false;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &after, &data)
                           == Success
                       && data && count == 1;
    if (data)
        XFree(data);
    XCloseDisplay(display);
    return found;
}

} // namespace

XDisplay::~XDisplay()
{
    stopProcess(m_manager);
    stopProcess(m_server);
}

bool XDisplay::start(bool windowManager)
{
    // The server picks a free display number itself and says which: no two
    // tests on this computer can take the same one.
    const QByteArray name = startXvfb(m_server, QStringLiteral("1024x768x24"));
    if (name.isEmpty() || !reachable(QString::fromLocal8Bit(name))) {
        m_error = QStringLiteral("Xvfb: %1").arg(QString::fromLocal8Bit(m_server.readAllStandardError()));
        return false;
    }
    m_name = QString::fromLocal8Bit(name);
    qputenv("DISPLAY", m_name.toLocal8Bit());
    if (!windowManager)
        return true;
    m_manager.setProcessChannelMode(QProcess::MergedChannels);
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_manager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (m_manager.waitForStarted(10000)
            && QTest::qWaitFor([this] { return managed(m_name) || m_manager.state() == QProcess::NotRunning; }, 20000)
            && managed(m_name))
            return true;
        m_error = QStringLiteral("openbox on %1 (%2, exit %3): %4")
                      .arg(m_name, m_manager.state() == QProcess::Running ? "running" : "ended")
                      .arg(m_manager.exitCode())
                      .arg(QString::fromLocal8Bit(m_manager.readAll()));
        m_manager.kill();
        m_manager.waitForFinished(5000);
    }
    return false;
}

long XDisplay::windowState(qint64 pid) const
{
    Display *display = XOpenDisplay(m_name.toLocal8Bit().constData());
    if (!display)
        return -1;
    XErrorHandler previous = XSetErrorHandler(ignoreXError);
    const long state = stateBelow(display, DefaultRootWindow(display), (unsigned long)pid, 3);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return state;
}
