// The camera hand-over: a worker asks for an image and waits a bounded time;
// the QML camera (or the industrial check camera) answers through the slots.
// Also the mark scan of the answered mark image and the overlay's records.
#include "DravolinteApp.h"

#include "MarkImages.h"

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

void DravolinteApp::connectCamera(QObject *camera)
{
    if (m_camera) {
        disconnect(this, SIGNAL(capture(QVariant)), m_camera, SIGNAL(capture(QVariant)));
        disconnect(m_camera, SIGNAL(capturedMarkImage(int,QVariant)), this, SLOT(capturedMarkImage(int,QVariant)));
        disconnect(m_camera, SIGNAL(capturedLabelImage(int,QVariant)), this, SLOT(capturedLabelImage(int,QVariant)));
    }
    m_camera = camera;
    if (!camera)
        return;
    connect(this, SIGNAL(capture(QVariant)), camera, SIGNAL(capture(QVariant)));
    connect(camera, SIGNAL(capturedMarkImage(int,QVariant)), this, SLOT(capturedMarkImage(int,QVariant)));
    connect(camera, SIGNAL(capturedLabelImage(int,QVariant)), this, SLOT(capturedLabelImage(int,QVariant)));
}

bool DravolinteApp::doCapture(const QVariant &camera)
{
    const int id = camera.toInt();
    CaptureWaiter *waiter = waiterFor(id);
    Config *cfg = config();
    const int waitMs = cfg ? cfg->getProperty(Config::CPT_Wait_Capture).toInt() : 0;
    // The GUI thread delivers the answers: waiting there would only run out.
    // It asks, and the answer is handled (scanned, checked) when it comes.
    const bool onGuiThread = QThread::currentThread() == thread();

    bool previouslyOwed = false;
    std::unique_ptr<QMutexLocker<QMutex>> serial;
    if (!onGuiThread)
        serial = std::make_unique<QMutexLocker<QMutex>>(&waiter->requests);
    {
        QMutexLocker lock(&waiter->mutex);
        if (onGuiThread) {
            // Its answer is no worker's: the next answer is owed to it.
            previouslyOwed = waiter->owed;
            if (!waiter->waiting)
                waiter->owed = true;
        } else {
            waiter->ready = false;
            waiter->waiting = true;
            waiter->tookOwed = false;
        }
    }
    m_capturing.store(true);

    // Asked without the waiter's mutex held: an answer given within the
    // request itself (a direct connection) takes the mutex as any other.
    bool asked = true;
    if (!cfg || cfg->usedQMLCamera(id - 1)) {
        emit capture(camera);
    } else if (id == 2) {
        QImage frame;
        {
            QMutexLocker state(&m_stateLock);
            frame = m_checkFrame;
        }
        asked = runThread("DravolinteApp::doCapture", [this, id, frame] {
            QMutexLocker check(&m_appMutex);
            checkLabelCapture(frame);
            answerCapture(id);
        }, false);
    } else {
        asked = false; // no source for this camera: the request runs out
    }

    QMutexLocker lock(&waiter->mutex);
    if (onGuiThread) {
        if (!asked && !waiter->waiting)
            waiter->owed = previouslyOwed;
        m_capturing.store(false);
        return false;
    }
    const QDeadlineTimer deadline(qMax(0, waitMs));
    while (!waiter->ready && !deadline.hasExpired())
        waiter->answered.wait(&waiter->mutex, deadline);
    const bool ready = waiter->ready;
    // The answer of a request that stops waiting now may still come: the
    // next request must not take it for its own.
    if (!ready && asked && !waiter->tookOwed)
        waiter->owed = true;
    waiter->waiting = false;
    waiter->ready = false;
    m_capturing.store(false);
    return ready;
}

void DravolinteApp::answerCapture(int id)
{
    CaptureWaiter *waiter = waiterFor(id);
    QMutexLocker lock(&waiter->mutex);
    if (waiter->owed) {
        waiter->owed = false;
        if (waiter->waiting)
            waiter->tookOwed = true;
        qDebug().noquote() << "DravolinteApp::answerCapture" << id << "answer of an earlier request: not this request's";
        return;
    }
    if (!waiter->waiting) {
        qDebug().noquote() << "DravolinteApp::answerCapture" << id << "no request waits for this answer";
        return;
    }
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

void DravolinteApp::scanMark(const QImage &image)
{
    Config *cfg = config();
    MarkScanParams p = MarkScanParams::fromConfig(cfg);
    p.markType = MarkScanParams::pageMarkType(m_cutScene.get());
    p.markIndex = m_markIndex.load();
    {
        QMutexLocker lock(&m_stateLock);
        p.readCode = m_switchingCutFile.load() && m_taskRecord.code == 0;
        // Nothing of an earlier scan may pass for this one's result.
        m_scanMarkPoint = QPointF(0, 0);
        m_scanMarkSize = 0.0f;
    }
    p.saveDir = appPath();

    const MarkScanResult r = m_markScanner.scan(image, p, cfg);
    {
        QMutexLocker lock(&m_stateLock);
        m_scanMarkPoint = r.point;
        m_scanMarkSize = r.diameter;
        if (r.taskCode > 0)
            m_taskRecord.code = r.taskCode;
    }
    m_films.storeScan(r.record, p.markIndex, taskStatus() == 1);
    emit filmViewUpdate(QRect());
}

void DravolinteApp::markedImage(QImage &img, int x, int y, int l, double scale)
{
    MarkImages::markedImage(img, x, y, l, scale);
}

void DravolinteApp::saveFrame(const QString &fileName)
{
    QImage frame;
    {
        QMutexLocker lock(&m_stateLock);
        frame = m_checkFrame;
    }
    MarkImages::saveFrame(frame, fileName);
}
