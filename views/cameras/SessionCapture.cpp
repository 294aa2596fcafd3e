#include "views/cameras/SessionCapture.h"

#include <QCamera>
#include <QDebug>
#include <QImage>
#include <QMediaCaptureSession>

SessionCapture::SessionCapture(QObject *parent)
    : QObject(parent)
{
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, [this] {
        if (m_asked && m_capture)
            send();
    });
}

void SessionCapture::setImageCapture(QImageCapture *capture)
{
    if (capture == m_capture)
        return;
    if (m_capture)
        disconnect(m_capture, nullptr, this, nullptr);
    m_capture = capture;
    if (capture) {
        connect(capture, &QImageCapture::imageCaptured, this, &SessionCapture::onCaptured);
        connect(capture, &QImageCapture::errorOccurred, this, &SessionCapture::onError);
    }
    clear();
    m_inFlight = false;
    m_previousId = m_lastId = 0;
    m_sincePicture.invalidate();
    emit imageCaptureChanged();
}

void SessionCapture::ask(int camera)
{
    if (!m_capture) {
        qWarning().noquote() << "RCamera::capture" << camera << "no image capture: not answered";
        return;
    }
    if (m_asked)
        qInfo().noquote() << "RCamera::capture" << camera << "replaces the pending request of camera" << m_camera;
    m_asked = true;
    // A picture on its way for the replaced request was taken before this one.
    m_requestId = 0;
    m_tries = 0;
    setCamera(camera);
    send();
}

int SessionCapture::waitMs() const
{
    if (m_inFlight && m_inFlightSince.elapsed() < kLostMs)
        return int(kLostMs - m_inFlightSince.elapsed());
    if (m_sincePicture.isValid() && m_sincePicture.elapsed() < kSettleMs)
        return int(kSettleMs - m_sincePicture.elapsed());
    return 0;
}

void SessionCapture::send()
{
    const QMediaCaptureSession *session = m_capture->captureSession();
    if (!session || !session->camera()) {
        qWarning().noquote() << "RCamera::capture" << m_camera << "the session has no camera: not answered";
        clear();
        return;
    }
    // Asked again when the picture on its way lands, or after the pause.
    if (const int ms = waitMs(); ms > 0) {
        m_later.start(ms);
        return;
    }
    if (m_inFlight) {
        qWarning().noquote() << "RCamera::capture" << m_camera << "a picture never came: taken as lost";
        m_inFlight = false;
        m_requestId = 0;
    }
    if (m_tries >= kTries) {
        qWarning().noquote() << "RCamera::capture" << m_camera << "no picture after" << m_tries << "tries: dropped";
        clear();
        return;
    }
    ++m_tries;
    const int id = m_capture->capture();
    m_inFlight = true;
    m_inFlightSince.start();
    m_later.start(kLostMs);
    // With a session and a camera, only a picture on its way for somebody
    // else makes it refuse: asked again once that one lands.
    if (id < 0)
        qInfo().noquote() << "RCamera::capture" << m_camera << "the camera is busy: asked again after its picture";
    else
        took(m_requestId = id);
}

void SessionCapture::took(int id)
{
    m_previousId = m_lastId;
    m_lastId = id;
}

int SessionCapture::toFile(const QString &fileName)
{
    if (!m_capture)
        return -1;
    if (m_asked || waitMs() > 0) {
        qInfo().noquote() << "RCamera::toFile" << fileName << "the camera is busy with a picture";
        return kBusy;
    }
    const int id = m_capture->captureToFile(fileName);
    if (id > 0) {
        took(id);
        m_inFlight = true;
        m_inFlightSince.start();
    }
    return id;
}

void SessionCapture::landed()
{
    m_inFlight = false;
    m_sincePicture.restart();
    // A request that waited for this picture is asked after the pause.
    if (m_asked && m_requestId == 0)
        m_later.start(kSettleMs);
}

void SessionCapture::onCaptured(int requestId, const QImage &image)
{
    const bool mine = m_asked && m_requestId != 0 && (requestId == m_requestId || requestId == m_previousId);
    if (mine && requestId != m_requestId)
        qInfo().noquote() << "RCamera::capture" << m_camera << "picture numbered" << requestId << "answers request"
                          << m_requestId;
    const int camera = m_camera;
    if (mine)
        clear();
    landed();
    if (mine && camera != 0)
        emit captured(camera, QVariant::fromValue(image));
}

void SessionCapture::onError(int requestId, QImageCapture::Error error, const QString &text)
{
    // The refusal of a capture call that returned no number was handled there.
    if (requestId < 0)
        return;
    if (m_asked && m_requestId != 0 && requestId == m_requestId) {
        qWarning().noquote() << "RCamera::capture" << m_camera << "capture failed:" << error << text;
        clear();
    }
    landed();
}

void SessionCapture::clear()
{
    m_asked = false;
    m_requestId = 0;
    m_tries = 0;
    m_later.stop();
    setCamera(0);
}

void SessionCapture::setCamera(int camera)
{
    if (camera == m_camera)
        return;
    m_camera = camera;
    emit pendingChanged();
}
