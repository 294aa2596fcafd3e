#pragma once

#include "CameraSdk.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>

// The camera code's failure lines, and what they have said per camera: a
// camera that stays missing, silent or in a format nothing converts is
// reported once when that begins and once when it works again, not at every
// frame. Also how long a camera's grabs have been failing, so that a camera
// gone for good is let go and opened anew.
class CameraHealth
{
public:
    static constexpr int kGiveUpMs = 3000;

    // One critical line: method, text, and the status's code (hexadecimal)
    // and message when given.
    static void log(const char *method, const QString &text, const CameraStatus *status = nullptr);
    // The same line, unless it is the last one logged for serial.
    void failure(const QByteArray &serial, const char *method, const QString &text,
                 const CameraStatus *status = nullptr);
    // serial works again: says so once when a failure was logged for it, and
    // the next failure is logged anew.
    void recovered(const QByteArray &serial, const char *method);
    // A grab of serial failed: true once its grabs have failed for
    // kGiveUpMs with no frame between.
    bool grabFailed(const QByteArray &serial);
    // A frame came, or the camera was let go: the failing time starts again
    // at the next failure.
    void grabbed(const QByteArray &serial);

private:
    QMutex m_lock;
    QHash<QByteArray, QString> m_logged;
    QHash<QByteArray, QElapsedTimer> m_failingSince;
};
