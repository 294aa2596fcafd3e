#include "app/startup/InstanceGuard.h"

#include <QDebug>

InstanceGuard::InstanceGuard(const QString &key)
    : m_memory(key)
{
}

InstanceGuard::~InstanceGuard()
{
    release();
}

bool InstanceGuard::acquire()
{
    if (m_held)
        return true;
    // The last detach of a block removes it: a block that only a dead copy
    // knew goes away here, one that a running copy holds stays.
    if (m_memory.attach(QSharedMemory::ReadOnly)) {
        m_memory.detach();
        m_memory.attach(QSharedMemory::ReadOnly);
    }
    m_held = m_memory.create(1);
    if (!m_held)
        qInfo().noquote() << "InstanceGuard::acquire" << m_memory.key() << m_memory.errorString();
    return m_held;
}

void InstanceGuard::release()
{
    if (m_memory.isAttached())
        m_memory.detach();
    m_held = false;
}
