#pragma once

#include "tests/support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <unistd.h>

// The real program in a folder of its own, under a name of its own: the
// single-copy guard is keyed by the file name, so a copy running elsewhere on
// the machine does not count; and bound to a controller identity of its own
// (serial()), so a simulator that runs elsewhere is never adopted. A watchdog shell outlives the test: however the
// test ends (a failure, its time-out, ctest's SIGKILL) its stdin closes and it
// kills every process of this binary, restarted (detached) copies too (three
// sweeps: a copy may be starting its successor during the first), and removes
// the folder.
struct ProgramCopy
{
    ProgramCopy()
    {
        const QString bin = qEnvironmentVariable("DRAVO_BIN_DIR") + QLatin1Char('/');
        ok = m_dir.isValid() && (::link(QFile::encodeName(bin + "dravolinte"), QFile::encodeName(program())) == 0
                                   || QFile::copy(bin + "dravolinte", program()));
        for (const QString &folder : {QStringLiteral("config/"), QStringLiteral("translations/")}) {
            QDir().mkpath(path(folder));
            for (const QString &file : QDir(bin + folder).entryList(QDir::Files))
                ok = ok && QFile::copy(bin + folder + file, path(folder + file));
        }
        m_watchdog.start("/bin/sh", {"-c", "exec >/dev/null 2>&1; cat; for i in 1 2 3; do for e in $(find /proc/[0-9]*/exe"
                                           " -maxdepth 0 -lname \"$0\" 2>/dev/null); do e=${e%/exe}; kill -9 ${e#/proc/};"
                                           " done; sleep 0.2; done; rm -rf \"${0%/*}\"", program()});
        ok = ok && m_watchdog.waitForStarted(10000);
    }
    ~ProgramCopy() { m_watchdog.closeWriteChannel(), m_watchdog.waitForFinished(30000); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString program() const { return path(QStringLiteral("Dravolinte-") + m_name); }
    QString serial() const { return m_name.left(4); }
    bool start(const QStringList &arguments = {}, QProcess *other = nullptr)
    {
        QProcess &p = other ? *other : process;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel); // a sanitizer's reports show in the test's output
        p.setWorkingDirectory(m_dir.path());
        p.start(program(), arguments);
        return p.waitForStarted(10000);
    }
    bool stop() { return process.terminate(), process.waitForFinished(30000) && process.exitCode() == 0; }
    QString log() const
    {
        QString text;
        for (const QFileInfo &file : QDir(path("log")).entryInfoList({"*.log"}, QDir::Files, QDir::Name))
            text += QString::fromUtf8(readAll(file.absoluteFilePath()));
        return text;
    }
    template <typename Text> int count(const Text &text) const { return int(log().count(text)); }
    // A start takes a fraction of a second, and seconds on a loaded machine.
    template <typename Text> bool waitForCount(const Text &text, int n) const { return QTest::qWaitFor([&] { return count(text) >= n; }, 60000); }
    bool isOurs(qint64 pid) const { return QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid)) == program(); }
    QString ini(const QString &key) const { return QSettings(path("config.ini"), QSettings::IniFormat).value(key).toString(); }

    QTemporaryDir m_dir{QDir::current().absoluteFilePath(QStringLiteral("program-XXXXXX"))};
    QString m_name = QUuid::createUuid().toString(QUuid::Id128).left(12);
    QProcess m_watchdog;
    QProcess process;
    bool ok = false;
};
