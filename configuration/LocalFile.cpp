#include "configuration/LocalFile.h"

#include <QDir>

namespace LocalFile {

QString pathFromUrl(const QUrl &url)
{
    if (url.isEmpty())
        return QString();
    if (url.isLocalFile())
        return QDir::fromNativeSeparators(url.toLocalFile());
    // A bare path has no scheme; one letter is a drive ("D:/plt") kept as given.
    if (url.scheme().isEmpty() || url.scheme().size() == 1)
        return url.toString(QUrl::PreferLocalFile);
    return QString();
}

QString pathFromVariant(const QVariant &value)
{
    if (value.userType() == QMetaType::QUrl)
        return pathFromUrl(value.toUrl());
    const QString text = value.toString();
    if (text.isEmpty())
        return QString();
    // A text that is a path already must not be parsed as a URL: "#" and "%" are file name characters.
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.scheme().size() == 1)
        return text;
    return pathFromUrl(url);
}

QUrl urlFromPath(const QString &path)
{
    if (path.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(path);
}

} // namespace LocalFile
