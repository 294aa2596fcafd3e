#include "configuration/FilePaths.h"

#include "configuration/Config.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
