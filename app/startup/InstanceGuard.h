#pragma once

#include <QSharedMemory>
#include <QString>

// Keeps a second copy of the program from running: a one-byte shared block
// named after the program, machine-wide. A copy that crashed leaves its block
// behind; attaching and detaching once lets the system drop a block that no
// process holds any more, so the crash does not lock the program out.
class InstanceGuard
{
public:
    explicit InstanceGuard(const QString &key);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard &) = delete;
    InstanceGuard &operator=(const InstanceGuard &) = delete;

    // True when this copy now holds the block; false while another copy runs.
    bool acquire();
    // Lets the block go (a restarted copy can then take it).
    void release();
    bool isHeld() const { return m_held; }
    QString key() const { return m_memory.key(); }

private:
    QSharedMemory m_memory;
    bool m_held = false;
};
