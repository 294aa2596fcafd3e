#pragma once

#include <QElapsedTimer>
#include <QImageCapture>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariant>

// The capture requests of one capture session. It keeps one pending request
// (the camera id asked for) and answers it only with the picture taken for
// it: a snapshot that the toolbar takes with the same image capture is never
// handed over as a mark or a label. A request that fails is dropped with a
// log line, and the requester's wait runs out.
//
// The camera backend lets one picture through at a time and loses one asked
// for while an earlier one is still on its way (or a few milliseconds after
// it), and then numbers every later picture with the number before; the
// first picture after a start may come out empty and never arrive. So this
// object is the one way into its image capture: one picture at a time, a
// short pause after each, a picture that does not come within kLostMs asked
// again, and a picture numbered one behind the request taken as its own.
class SessionCapture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QImageCapture *imageCapture READ imageCapture WRITE setImageCapture NOTIFY imageCaptureChanged)
    Q_PROPERTY(int pending READ pending NOTIFY pendingChanged)

public:
    static constexpr int kSettleMs = 30;
    // A picture not delivered after this long counts as lost.
    static constexpr int kLostMs = 1000;
    // Times a request is asked (lost pictures, a busy camera) before it is dropped.
    static constexpr int kTries = 4;
    static constexpr int kBusy = -2;

    explicit SessionCapture(QObject *parent = nullptr);

    QImageCapture *imageCapture() const { return m_capture; }
    void setImageCapture(QImageCapture *capture);
    // The camera id of the pending request; 0 when none is pending.
    int pending() const { return m_camera; }
    // Takes a picture for camera; a request still pending gives way to it.
    Q_INVOKABLE void ask(int camera);
    // A snapshot into fileName (the camera adds the extension): the image
    // capture's request number; kBusy while a picture is on its way or was
    // just taken, -1 when the image capture refuses (the caller tells the
    // operator either way).
    Q_INVOKABLE int toFile(const QString &fileName);

signals:
    void imageCaptureChanged();
    void pendingChanged();
    // The picture of the pending request, as a QImage in the variant.
    void captured(int camera, const QVariant &image);

private:
    void send();
    void onCaptured(int requestId, const QImage &image);
    void onError(int requestId, QImageCapture::Error error, const QString &text);
    void landed();
    void took(int id);
    void clear();
    void setCamera(int camera);
    // Milliseconds until the image capture may be asked again; 0: now.
    int waitMs() const;

    QPointer<QImageCapture> m_capture;
    bool m_asked = false;   // a request is pending (its camera may be 0)
    int m_camera = 0;       // its camera id
    int m_requestId = 0;    // its number while it holds the camera; 0 while it waits its turn
    int m_tries = 0;        // times it was asked
    // The number of the picture asked for before the last one: the number
    // the backend gives the last one once it counts one behind.
    int m_previousId = 0;
    int m_lastId = 0;
    // A picture is on its way (ours, a snapshot's, or somebody else's that
    // made the image capture refuse), since m_inFlightSince.
    bool m_inFlight = false;
    QElapsedTimer m_inFlightSince;
    QElapsedTimer m_sincePicture;
    QTimer m_later;
};
