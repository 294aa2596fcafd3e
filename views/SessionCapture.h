#pragma once

#include <QImageCapture>
#include <QObject>
#include <QPointer>
#include <QVariant>

// The capture requests of one capture session. It keeps one pending request
// (the camera id asked for and the image capture's request number) and
// answers it only with the image of that very request: a snapshot that the
// toolbar takes with the same image capture is never handed over as a mark
// or a label. A request that the image capture cannot take yet (it is busy
// with another picture) is asked again once that picture is done; one that
// fails is dropped with a log line, and the requester's wait runs out.
class SessionCapture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QImageCapture *imageCapture READ imageCapture WRITE setImageCapture NOTIFY imageCaptureChanged)
    Q_PROPERTY(int pending READ pending NOTIFY pendingChanged)

public:
    explicit SessionCapture(QObject *parent = nullptr);

    QImageCapture *imageCapture() const { return m_capture; }
    void setImageCapture(QImageCapture *capture);
    // The camera id of the pending request; 0 when none is pending.
    int pending() const { return m_camera; }
    // Takes a picture for camera; a request still pending gives way to it.
    Q_INVOKABLE void ask(int camera);

signals:
    void imageCaptureChanged();
    void pendingChanged();
    // The picture of the pending request, as a QImage in the variant.
    void captured(int camera, const QVariant &image);

private:
    void send();
    void onCaptured(int requestId, const QImage &image);
    void onError(int requestId, QImageCapture::Error error, const QString &text);
    void setPending(int camera, int requestId);

    QPointer<QImageCapture> m_capture;
    int m_camera = 0;
    // The image capture's number for the pending request; -1 while it waits
    // for the image capture to be free, 0 when nothing is pending.
    int m_requestId = 0;
    bool m_asked = false; // a request is pending (its camera may be 0)
};
