#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The outcome of one camera call: success, or an error code with its text.
// Codes are Aravis's (GLib error codes of its device domain, or a buffer's
// status for a frame that came incomplete); the logs show them in lower-case
// hexadecimal, then the text.
struct CameraStatus
{
    bool ok = true;
    quint32 code = 0;
    QString message;

    static CameraStatus failure(quint32 code, const QString &message) { return {false, code, message}; }
    explicit operator bool() const { return ok; }
    QString codeText() const { return QString::number(code, 16); }
};

// Codes this layer gives for failures of its own; the values are Aravis's
// device error codes of the same meaning.
namespace CameraError {
enum : quint32 {
    NotConnected = 2,
    Timeout = 5,
    NotFound = 6,
    InvalidParameter = 7,
    NotController = 10,
    Busy = 18,
};
}

// One camera found: what it says it is and how to reach it.
struct CameraDeviceInfo
{
    QByteArray model;
    QByteArray serial;
    QByteArray deviceId; // Aravis's device id (USB3 Vision, the fake device)
    QByteArray address;  // the IPv4 address of a GigE Vision camera reached by unicast
};

// Where cameras are looked for besides USB3 Vision, from the environment's
// DRAVO_CAMERAS: a comma list of "Fake" (Aravis's in-process fake camera)
// and IPv4 addresses of GigE Vision cameras. Empty by default: GigE Vision
// discovery would broadcast on every interface.
struct CameraSources
{
    bool fake = false;
    QList<QByteArray> addresses;
    QStringList ignored; // entries that are neither

    static CameraSources parse(const QString &list);
    static CameraSources fromEnvironment();
};

// What an enumeration found, in order: USB3 Vision devices (and the fake
// one), then the camera at each address that answered.
struct CameraEnumeration
{
    QList<CameraDeviceInfo> devices;
    QList<QPair<QByteArray, CameraStatus>> unreachable; // address, why
};

namespace CameraSdk {
// Nothing to set up with Aravis; kept for the order of the calls.
CameraStatus initialize();
CameraStatus enumDevices(const CameraSources &sources, CameraEnumeration *found);
} // namespace CameraSdk
