#include "device/DriverHost.h"

void TaskHost::setTaskStatus(int status)
{
    const int old = m_status.exchange(status);
    taskStatusStored(old, status);
    // One thread delivers at a time and reads the status as it delivers: a
    // store made meanwhile is delivered by that thread after the value it is
    // at, so a late delivery of an older value cannot come last. No lock is
    // held while the listeners run (they may set the status themselves).
    QMutexLocker lock(&m_deliveryLock);
    ++m_undelivered;
    if (m_delivering)
        return;
    m_delivering = true;
    while (m_undelivered > 0) {
        m_undelivered = 0;
        const int current = m_status.load();
        lock.unlock();
        m_listeners.notify(current);
        lock.relock();
    }
    m_delivering = false;
}

int VisionHost::addLabelCaptureListener(LabelCaptureListener listener)
{
    return m_listeners.add([listener = std::move(listener)](int) { listener(); });
}
