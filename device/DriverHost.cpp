#include "DriverHost.h"

int DriverHost::addTaskStatusListener(TaskStatusListener listener)
{
    QMutexLocker lock(&m_listenerLock);
    const int id = m_nextListenerId++;
    m_listeners.append(qMakePair(id, std::move(listener)));
    return id;
}

void DriverHost::removeTaskStatusListener(int id)
{
    QMutexLocker lock(&m_listenerLock);
    for (int i = 0; i < m_listeners.size(); ++i) {
        if (m_listeners.at(i).first == id) {
            m_listeners.removeAt(i);
            return;
        }
    }
}

void DriverHost::notifyTaskStatus(int status)
{
    // Called outside the lock so that a listener may add or remove listeners.
    QList<QPair<int, TaskStatusListener>> listeners;
    {
        QMutexLocker lock(&m_listenerLock);
        listeners = m_listeners;
    }
    for (const auto &l : listeners)
        l.second(status);
}

int DriverHost::addLabelCaptureListener(LabelCaptureListener listener)
{
    QMutexLocker lock(&m_listenerLock);
    const int id = m_nextListenerId++;
    m_captureListeners.append(qMakePair(id, std::move(listener)));
    return id;
}

void DriverHost::removeLabelCaptureListener(int id)
{
    QMutexLocker lock(&m_listenerLock);
    for (int i = 0; i < m_captureListeners.size(); ++i) {
        if (m_captureListeners.at(i).first == id) {
            m_captureListeners.removeAt(i);
            return;
        }
    }
}

void DriverHost::notifyLabelCapture()
{
    QList<QPair<int, LabelCaptureListener>> listeners;
    {
        QMutexLocker lock(&m_listenerLock);
        listeners = m_captureListeners;
    }
    for (const auto &l : listeners)
        l.second();
}

int NullDriverHost::taskStatus() const
{
    QMutexLocker lock(&m_lock);
    return m_taskStatus;
}

void NullDriverHost::setTaskStatus(int status)
{
    {
        QMutexLocker lock(&m_lock);
        m_taskStatus = status;
    }
    notifyTaskStatus(status);
}
