// Writes the per-version parameter presets "config<N>.ini" that ship in the
// program's "config" folder. They are made by the store itself, so a preset
// always holds what applying that machine version yields; per-machine keys
// (counters, day, host cache, identity, language, logo) are left out.

#include "configuration/Config.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool perMachineKey(const QString &key)
{
    static const QStringList sections{QStringLiteral("Today/"), QStringLiteral("Total/"), QStringLiteral("Host/")};
    static const QStringList keys{QStringLiteral("Dravolinte/Ident"), QStringLiteral("Dravolinte/Language"),
                                  QStringLiteral("UI/logo")};
    for (const QString &s : sections) {
        if (key.startsWith(s))
            return true;
    }
    return keys.contains(key);
}

void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: configpresets <output folder>\n");
        return 2;
    }
    qInstallMessageHandler(quietHandler);
    const QString outDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(outDir);

    for (int v = Config::VT_7x3; v <= Config::VT_7x8; ++v) {
        QTemporaryDir work;
        if (!work.isValid() || !QDir::setCurrent(work.path()))
            return 1;
        // An existing working file keeps the store off the first-start path.
        QFile(work.filePath(QStringLiteral("config.ini"))).open(QIODevice::WriteOnly);
        {
            Config config(work.path());
            config.resetVersionParam(Config::VersionType(v));
            config.setVersion(v);
        }
        QSettings source(work.filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
        const QString target = QStringLiteral("%1/config%2.ini").arg(outDir).arg(v);
        QFile::remove(target);
        QSettings preset(target, QSettings::IniFormat);
        for (const QString &key : source.allKeys()) {
            if (!perMachineKey(key))
                preset.setValue(key, source.value(key));
        }
        preset.sync();
        if (preset.status() != QSettings::NoError) {
            std::fprintf(stderr, "configpresets: cannot write %s\n", qPrintable(target));
            return 1;
        }
        QDir::setCurrent(QDir::tempPath());
    }
    return 0;
}
