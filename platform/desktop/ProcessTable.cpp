#include "ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString baseName(QString path)
{
    // An executable replaced on disk keeps its old name with this mark.
    if (path.endsWith(QLatin1String(" (deleted)")))
        path.chop(10);
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString firstArgument(const QString &procDir)
{
    QFile cmdline(procDir + QStringLiteral("/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = cmdline.read(4096);
    return QFile::decodeName(bytes.left(bytes.indexOf('\0')));
}

} // namespace

bool ProcessTable::isRunning(const QString &fileName, qint64 except)
{
    if (fileName.isEmpty())
        return false;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || pid == except)
            continue;
        const QString dir = QStringLiteral("/proc/") + entry;
        const QString exe = QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget();
        if ((!exe.isEmpty() && baseName(exe) == fileName) || baseName(firstArgument(dir)) == fileName)
            return true;
    }
    return false;
}
