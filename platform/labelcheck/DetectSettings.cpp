#include "DetectSettings.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <map>

namespace {

struct Cached
{
    QDateTime modified;
    qint64 size = -1;
    bool exists = false;
    DetectSettings settings;
};

double number(const QJsonObject &o, const char *key, double fallback, double low, double high)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble())
        return fallback;
    const double d = v.toDouble();
    return d >= low && d <= high ? d : fallback;
}

DetectSettings parse(const QString &path, const QByteArray &bytes)
{
    DetectSettings s;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (!doc.isObject()) {
        qWarning().noquote() << "process_frame" << "settings" << path << "not a JSON object:" << error.errorString()
                             << "- defaults used";
        return s;
    }
    const QJsonObject o = doc.object();
    s.minContrast = number(o, "minContrast", s.minContrast, 1.0, 255.0);
    s.pageMatch = number(o, "pageMatch", s.pageMatch, -1.0, 1.0);
    s.blankDeviation = number(o, "blankDeviation", s.blankDeviation, 0.0, 255.0);
    s.searchMargin = int(number(o, "searchMargin", s.searchMargin, 0.0, 64.0));
    s.ocrMinScore = number(o, "ocrMinScore", s.ocrMinScore, 0.0, 1.0);
    const QString model = o.value(QLatin1String("ocrModel")).toString();
    if (!model.isEmpty())
        s.ocrModel = QFile::encodeName(QFileInfo(path).dir().absoluteFilePath(model)).toStdString();
    return s;
}

} // namespace

DetectSettings DetectSettings::load(const std::string &path)
{
    static QMutex lock;
    static std::map<std::string, Cached> cache;
    const QString file = QFile::decodeName(QByteArray::fromStdString(path));
    const QFileInfo info(file);
    QMutexLocker locker(&lock);
    const auto found = cache.find(path);
    if (found != cache.end() && found->second.exists == info.isFile() &&
        (!info.isFile() || (found->second.modified == info.lastModified() && found->second.size == info.size())))
        return found->second.settings;

    Cached entry;
    entry.exists = info.isFile();
    if (entry.exists) {
        entry.modified = info.lastModified();
        entry.size = info.size();
        QFile f(file);
        if (f.open(QIODevice::ReadOnly) && f.size() <= (1 << 20))
            entry.settings = parse(file, f.readAll());
        else
            qWarning().noquote() << "process_frame" << "settings" << file << "cannot be read - defaults used";
    } else {
        qInfo().noquote() << "process_frame" << "no settings file" << file << "- defaults used";
    }
    if (cache.size() >= 64) // a handful of paths in a run; a long run of new ones must not grow without end
        cache.clear();
    cache[path] = entry;
    return entry.settings;
}
