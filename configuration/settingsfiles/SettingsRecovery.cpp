#include "configuration/settingsfiles/SettingsRecovery.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The lock file's descriptor, closed (its advisory lock with it) on every way out.
struct Descriptor
{
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    const int fd;
};

QByteArray readSome(int fd)
{
    QByteArray bytes(4096, '\0');
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

// The file name of the program a process runs; empty when it cannot be seen.
QString programOf(qint64 pid)
{
    QString target = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    // A program replaced on disk while it runs still counts as itself.
    if (target.endsWith(QLatin1String(" (deleted)")))
        target.chop(10);
    return target.isEmpty() ? QString() : QFileInfo(target).fileName();
}

// Whether the owner a lock file names is gone, and why (for the log). Called
// only while the file's advisory lock is free, that is while no process holds it.
bool ownerGone(const QByteArray &contents, QString *why)
{
    const QList<QByteArray> lines = contents.split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0) {
        *why = contents.trimmed().isEmpty() ? QStringLiteral("it is empty") : QStringLiteral("it names no process");
        return true;
    }
    const QByteArray program = lines.value(1), host = lines.value(2), machine = lines.value(3), boot = lines.value(4);
    // Another machine's (a shared folder): only that machine can tell.
    if (!machine.isEmpty() ? machine != QSysInfo::machineUniqueId()
                           : !host.isEmpty() && QString::fromUtf8(host) != QSysInfo::machineHostName())
        return false;
    if (!boot.isEmpty() && boot != QSysInfo::bootUniqueId()) {
        *why = QStringLiteral("it was left before the machine last started");
        return true;
    }
    // Our own id was an earlier process's: this one holds no lock yet.
    if (pid == QCoreApplication::applicationPid() || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)) {
        *why = QStringLiteral("process %1 is gone").arg(pid);
        return true;
    }
    const QString running = programOf(pid);
    if (!running.isEmpty() && !program.isEmpty() && running != QFileInfo(QString::fromUtf8(program)).fileName()) {
        *why = QStringLiteral("process %1 is gone (its id now runs %2)").arg(pid).arg(running);
        return true;
    }
    return false;
}

} // namespace

bool SettingsRecovery::clearStaleLock(const QString &settingsPath)
{
    const QString lockPath = settingsPath + QStringLiteral(".lock");
    const QByteArray native = QFile::encodeName(lockPath);
    const Descriptor lock(::open(native.constData(), O_RDONLY | O_CLOEXEC));
    if (lock.fd < 0)
        return false; // none (or not ours to read: the settings class decides then)
    // A live owner holds the advisory lock from the moment it has the file.
    if (::flock(lock.fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    QString why;
    if (!ownerGone(readSome(lock.fd), &why))
        return false;
    // Holding the advisory lock, the file is removed only if it is still the one read.
    struct stat held, named;
    if (::fstat(lock.fd, &held) != 0 || ::stat(native.constData(), &named) != 0 || held.st_dev != named.st_dev
        || held.st_ino != named.st_ino)
        return false;
    if (::unlink(native.constData()) != 0) {
        qCritical().noquote() << "SettingsRecovery::clearStaleLock" << "cannot remove" << lockPath << ":"
                              << qt_error_string(errno);
        return false;
    }
    qInfo().noquote() << "SettingsRecovery::clearStaleLock" << "removed" << lockPath << "left by a crash:" << why;
    return true;
}

QString SettingsRecovery::keepAside(const QString &path, const QDateTime &now)
{
    const QString base = path + QStringLiteral(".bad-") + now.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString copy = n == 1 ? base : QStringLiteral("%1-%2").arg(base).arg(n);
        if (QFileInfo::exists(copy))
            continue;
        QFile source(path);
        if (source.copy(copy))
            return copy;
        // A copy that appeared meanwhile is another's: the next name then.
        if (!QFileInfo::exists(copy)) {
            qCritical().noquote() << "SettingsRecovery::keepAside" << "cannot copy" << path << "to" << copy << ":"
                                  << source.errorString();
            return QString();
        }
    }
    qCritical().noquote() << "SettingsRecovery::keepAside" << "no free name for a copy of" << path;
    return QString();
}
