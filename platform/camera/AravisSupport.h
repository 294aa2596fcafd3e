#pragma once

// Helpers shared by the camera layer's sources; they speak Aravis and GLib.
#include "AravisApi.h"
#include "CameraSdk.h"

namespace AravisSupport {

// The status of a failed call, taking the error (which may be null) over.
CameraStatus takeError(GError *error, quint32 fallbackCode = CameraError::NotConnected);

// Opens the GigE Vision camera at address (dotted IPv4) by unicast, from the
// local address that routes there; null with *error set when it does not
// answer (after Aravis's own 2.5 s of retries).
ArvDevice *connectGigE(const QByteArray &address, GError **error);

} // namespace AravisSupport
