#include "FilePaths.h"

#include <QDir>
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
