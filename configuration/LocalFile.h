#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>

// The one conversion between the URLs that dialogs and QML hand over and the
// paths the program stores. Only QUrl knows a file URL's rules: cutting a
// "file:///" prefix off leaves a relative path on Linux and keeps "%20",
// "%23" and the like encoded.
namespace LocalFile {

// The local path of a file URL ("file:///home/op/a%231.pdf" -> "/home/op/a#1.pdf");
// a plain path comes back as it is; any other URL (qrc:, http:, ...) or an
// empty one gives an empty text.
QString pathFromUrl(const QUrl &url);
// The same for what QML passes: a url, or a string holding a URL or a path.
QString pathFromVariant(const QVariant &value);
// The file URL of a path; an empty path gives an empty URL.
QUrl urlFromPath(const QString &path);

} // namespace LocalFile
