#include "SessionCapture.h"

#include <QDebug>
#include <QImage>

SessionCapture::SessionCapture(QObject *parent)
    : QObject(parent)
{
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
    setPending(0, 0);
    m_asked = false;
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
    setPending(camera, -1);
    send();
}

void SessionCapture::send()
{
    const int id = m_capture->capture();
    // Busy with another picture: asked again when that one is done.
    if (id < 0) {
        qInfo().noquote() << "RCamera::capture" << m_camera << "the camera is busy: asked again after its picture";
        return;
    }
    setPending(m_camera, id);
}

void SessionCapture::onCaptured(int requestId, const QImage &image)
{
    if (!m_asked)
        return;
    if (requestId != m_requestId) {
        // Somebody else's picture (a snapshot); the camera is free again.
        if (m_requestId < 0)
            send();
        return;
    }
    const int camera = m_camera;
    m_asked = false;
    setPending(0, 0);
    if (camera != 0)
        emit captured(camera, QVariant::fromValue(image));
}

void SessionCapture::onError(int requestId, QImageCapture::Error error, const QString &text)
{
    if (!m_asked)
        return;
    // The refusal of a capture call that returned no number concerns nobody here.
    if (requestId < 0)
        return;
    if (requestId != m_requestId) {
        if (m_requestId < 0)
            send();
        return;
    }
    qWarning().noquote() << "RCamera::capture" << m_camera << "capture failed:" << error << text;
    m_asked = false;
    setPending(0, 0);
}

void SessionCapture::setPending(int camera, int requestId)
{
    m_requestId = requestId;
    if (camera == m_camera)
        return;
    m_camera = camera;
    emit pendingChanged();
}
