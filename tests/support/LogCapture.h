#pragma once

#include <QMutex>
#include <QStringList>
#include <QTest>

// The log lines (from any thread) while it lives.
struct LogCapture
{
    static inline QMutex lock;
    static inline QStringList lines;
    static void handle(QtMsgType, const QMessageLogContext &, const QString &text) { QMutexLocker l(&lock); lines << text; }
    QtMessageHandler previous = qInstallMessageHandler(handle);
    ~LogCapture() { qInstallMessageHandler(previous); QMutexLocker l(&lock); lines.clear(); }
    int count(const QString &text) const { QMutexLocker l(&lock); return int(lines.filter(text).size()); }
    bool waitFor(const QString &text) const { return QTest::qWaitFor([&] { return count(text) > 0; }, 10000); }
    void clear() { QMutexLocker l(&lock); lines.clear(); }
};
