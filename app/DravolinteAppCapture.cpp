// The camera hand-over: a worker asks for an image and waits a bounded time;
// the QML camera (or the industrial check camera) answers through the slots.
#include "DravolinteApp.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QThread>

DravolinteApp::CaptureWaiter *DravolinteApp::waiterFor(int id)
{
    QMutexLocker lock(&m_waitersLock);
    std::unique_ptr<CaptureWaiter> &slot = m_captureWaiters[id];
    if (!slot)
        slot = std::make_unique<CaptureWaiter>();
    return slot.get();
}

bool DravolinteApp::doCapture(const QVariant &camera)
{
    const int id = camera.toInt();
    CaptureWaiter *waiter = waiterFor(id);
    Config *cfg = config();
    const int waitMs = cfg ? cfg->getProperty(Config::CPT_Wait_Capture).toInt() : 0;

    QMutexLocker lock(&waiter->mutex);
    m_capturing.store(true);
    waiter->ready = false;
    waiter->requester.store(QThread::currentThreadId());
    if (!cfg || cfg->usedQMLCamera(id - 1)) {
        emit capture(camera);
    } else if (id == 2) {
        QImage frame;
        {
            QMutexLocker state(&m_stateLock);
            frame = m_checkFrame;
        }
        runThread("DravolinteApp::doCapture", [this, id, frame] {
            QMutexLocker check(&m_appMutex);
            checkLabelCapture(frame);
            answerCapture(id);
        }, false);
    }
    // A late answer still runs its handler; this caller has been told false.
    const QDeadlineTimer deadline(qMax(0, waitMs));
    while (!waiter->ready && !deadline.hasExpired())
        waiter->answered.wait(&waiter->mutex, deadline);
    const bool ready = waiter->ready;
    waiter->requester.store(nullptr);
    m_capturing.store(false);
    return ready;
}

void DravolinteApp::answerCapture(int id)
{
    CaptureWaiter *waiter = waiterFor(id);
    // Answered within the request itself (a direct connection on the
    // requester's thread): that thread holds the mutex and is not waiting yet.
    if (waiter->requester.load() == QThread::currentThreadId()) {
        waiter->ready = true;
        return;
    }
    QMutexLocker lock(&waiter->mutex);
    waiter->ready = true;
    waiter->answered.wakeAll();
}

void DravolinteApp::capturedMarkImage(int id, const QVariant &img)
{
    scanMark(img.value<QImage>());
    answerCapture(id);
}

void DravolinteApp::capturedLabelImage(int id, const QVariant &img)
{
    const QImage image = img.value<QImage>();
    {
        QMutexLocker lock(&m_stateLock);
        m_labelImage = image;
    }
    runThread("DravolinteApp::capturedLabelImage", [this, id, image] {
        QMutexLocker check(&m_appMutex);
        checkLabelCapture(image);
        answerCapture(id);
    }, false);
}
