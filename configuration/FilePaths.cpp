#include "FilePaths.h"

#include "Config.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString localFilePath(const QString &urlOrPath)
{
    if (urlOrPath.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl(urlOrPath).toLocalFile();
    return urlOrPath;
}

QString labelReportPath()
{
    return QDir::current().absoluteFilePath(QStringLiteral("label.csv"));
}

QString programFilesFolder()
{
    if (const Config *cfg = Config::instance())
        return QFileInfo(cfg->cfgPath()).absolutePath();
    return QCoreApplication::applicationDirPath();
}
