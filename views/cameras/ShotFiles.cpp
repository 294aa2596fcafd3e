#include "views/cameras/ShotFiles.h"

#include <QDir>
#include <QFileInfo>

QString ShotFiles::freeName(const QString &folder, const QString &stamp) const
{
    return freeNameIn(folder, stamp);
}

QString ShotFiles::freeNameIn(const QString &folder, const QString &stamp)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || stamp.isEmpty() || !info.isDir() || !info.isWritable())
        return QString();
    const QDir dir(folder);
    for (int n = 1;; ++n) {
        const QString base = n == 1 ? stamp : QStringLiteral("%1-%2").arg(stamp).arg(n);
        if (!dir.exists(base) && dir.entryList({base + QStringLiteral(".*")}, QDir::Files).isEmpty())
            return QDir::fromNativeSeparators(dir.absoluteFilePath(base));
    }
}
