#pragma once

#include <QDateTime>
#include <QString>

// What a crash or a power cut can leave beside a settings file, dealt with
// before the file is first read.
//
// The lock file ("<file>.lock") that the settings class keeps while it writes
// the file. Its owner creates it, takes an advisory lock (flock) on it and then
// writes its process id, program, host, machine id and boot id into it; the
// kernel drops the advisory lock with the process. A lock file whose advisory
// lock is free and that names nothing, a process that is gone, a process id now
// given to another program, or an earlier boot of this machine has no owner:
// left in place it holds every write of the file back until it counts as stale
// by its age (30 s), and with an empty one nothing in the log says why. A lock
// file whose advisory lock is held, or that names a running copy of the
// program, is left to its owner.
//
// A working file with lines that are not settings: the settings class drops
// what it could not read when it next writes the file, so the file as it was
// is copied aside first.
namespace SettingsRecovery {

// Removes "<settingsPath>.lock" when no live process owns it, with a log line
// naming it. True when it removed one.
bool clearStaleLock(const QString &settingsPath);

// Copies path byte for byte to "<path>.bad-<yyyyMMdd-hhmmss>" (at now), or
// with "-2", "-3"... after it when an earlier copy has that name: a copy is
// never overwritten. The copy's path; empty, with a log line, when it failed.
QString keepAside(const QString &path, const QDateTime &now = QDateTime::currentDateTime());

} // namespace SettingsRecovery
