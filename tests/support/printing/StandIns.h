#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Programs the application starts (xdg-open, localc, et, ...) replaced by
// scripts that record how they were called: a folder put first on PATH for
// as long as this lives.
class StandIns
{
public:
    StandIns() : m_path(qgetenv("PATH")) { qputenv("PATH", (m_dir.path() + QLatin1Char(':')).toLocal8Bit() + m_path); }
    ~StandIns() { qputenv("PATH", m_path); }
    StandIns(const StandIns &) = delete;
    StandIns &operator=(const StandIns &) = delete;

    // A program of that name that writes its arguments, one a line, to
    // "<name>.args" in this folder.
    bool add(const QString &name)
    {
        QFile script(m_dir.filePath(name));
        if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"%1.args.part\" && /bin/mv \"%1.args.part\" \"%1.args\"\n")
                         .arg(m_dir.filePath(name))
                         .toUtf8());
        script.close();
        return script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    // Its arguments of the last call; empty before a call.
    QStringList arguments(const QString &name) const
    {
        QFile file(m_dir.filePath(name + QStringLiteral(".args")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    bool called(const QString &name) const { return QFile::exists(m_dir.filePath(name + QStringLiteral(".args"))); }
    // PATH without the system's folders: only the stand-ins are found.
    void hideSystem() { qputenv("PATH", m_dir.path().toLocal8Bit()); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
};
