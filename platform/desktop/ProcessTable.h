#pragma once

#include <QString>
#include <QtGlobal>

// The processes of this computer, from /proc.
class ProcessTable
{
public:
    // Whether a process other than except runs the program of this file
    // name: the name of its executable, or of its first argument (a process
    // of another user shows only that), exactly. Not the kernel's short
    // command name, which is cut at 15 bytes.
    static bool isRunning(const QString &fileName, qint64 except = 0);
};
