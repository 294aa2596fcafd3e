#pragma once

#include <QProcess>
#include <QString>

// A virtual X display (Xvfb) of the test's own, with a window manager
// (openbox) when asked; it sets DISPLAY for the process and its children.
// Everything it started ends with it.
class XDisplay
{
public:
    XDisplay() = default;
    ~XDisplay();
    XDisplay(const XDisplay &) = delete;
    XDisplay &operator=(const XDisplay &) = delete;

    bool start(bool windowManager);
    QString name() const { return m_name; }
    QString error() const { return m_error; }

    // The WM_STATE of a top-level window of pid: Shown, Iconified, or -1
    // when it has none (yet).
    enum { Shown = 1, Iconified = 3 };
    long windowState(qint64 pid) const;

private:
    QProcess m_server;
    QProcess m_manager;
    QString m_name;
    QString m_error;
};
