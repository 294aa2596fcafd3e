#include "VideoWriterModule.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QMutex>
#include <QStringList>

namespace VideoWriterModule {

namespace {

struct Loaded
{
    const DravoVideoWriterApi *api = nullptr;
    // Kept loaded for the rest of the run: writers may still be open.
    QLibrary *library = nullptr;
    QString error;
};

Loaded load()
{
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath();
    folders << QStringLiteral(DRAVO_MODULE_DIR);
    Loaded result;
    QStringList reasons;
    for (const QString &folder : std::as_const(folders)) {
        auto *library = new QLibrary(folder + QStringLiteral("/dravo_videowriter"));
        using Entry = const DravoVideoWriterApi *(*)();
        const auto entry = reinterpret_cast<Entry>(library->resolve("dravoVideoWriterApi"));
        const DravoVideoWriterApi *api = entry ? entry() : nullptr;
        if (api && api->version == kApiVersion) {
            result.api = api;
            result.library = library;
            return result;
        }
        reasons << (entry ? QStringLiteral("%1: version %2").arg(library->fileName()).arg(api ? api->version : -1)
                          : library->errorString());
        library->unload();
        delete library;
    }
    result.error = QStringLiteral("no video writer module: ") + reasons.join(QStringLiteral("; "));
    return result;
}

} // namespace

const DravoVideoWriterApi *api(QString *error)
{
    static QMutex lock;
    static bool tried = false;
    static Loaded loaded;
    QMutexLocker locker(&lock);
    if (!tried) {
        loaded = load();
        tried = true;
    }
    if (error)
        *error = loaded.error;
    return loaded.api;
}

} // namespace VideoWriterModule
