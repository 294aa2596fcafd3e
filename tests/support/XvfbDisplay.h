#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>

// A virtual X server for the tests that need real windows: Xvfb on a display
// it picks itself. Returns the display name (":N"), empty when it did not start.
inline QByteArray startXvfb(QProcess &server, const QString &screen = QStringLiteral("640x480x24"))
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return QByteArray();
    // Xvfb writes the display's number to the given descriptor (1: its output).
    // Without -noreset the server starts afresh whenever its last client
    // leaves, and a client connecting meanwhile (the window manager after the
    // test's own probe) is turned away.
    server.start(xvfb, {"-displayfd", "1", "-noreset", "-screen", "0", screen, "-nolisten", "tcp"});
    QByteArray display;
    const QDeadlineTimer started(30000);
    while (server.waitForStarted(10000) && !display.contains('\n') && !started.hasExpired()
           && server.state() == QProcess::Running) {
        server.waitForReadyRead(500);
        display += server.readAllStandardOutput();
    }
    return display.contains('\n') ? QByteArray(":") + display.trimmed() : QByteArray();
}
