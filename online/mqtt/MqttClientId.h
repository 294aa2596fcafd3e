#pragma once

#include <QByteArray>
#include <QString>

// The MQTT client id of this program on this machine. The broker keeps a
// session (clean session off) under one id only, and drops the older of two
// connections that share it for good: so the id is the same at every start on
// one machine, differs from machine to machine, and is never stored with the
// settings, which travel with a copied program folder.
namespace MqttClientId {

// "Dravolinte-" and twelve hex digits of a digest of the machine's identity
// and the program's name: at most 23 characters, as every broker takes. The
// machine's identity is its unique id, or its host name when it has none.
QString derive(const QByteArray &machineId, const QString &hostName, const QString &program);

// derive() with this machine's ids and the running program's name.
QString forThisMachine();

} // namespace MqttClientId
