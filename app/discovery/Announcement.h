#pragma once

#include <QByteArray>
#include <QString>

// What a controller's discovery datagram says. Pure functions: the datagram
// comes from anyone on the network, so every rule here is about refusing
// what is not a plain controller announcement.
namespace Announcement {

constexpr quint16 kPort = 51287;
// Longer datagrams and ids are not announcements; they are dropped.
constexpr int kMaxDatagramSize = 1024;
constexpr int kMaxIdLength = 64;

// The id between "DISA;" and the first 0x03; empty when the datagram is not
// an announcement (no "DISA;", no 0x03, an empty or overlong id, control
// characters in it).
QString idOf(const QByteArray &datagram);
// The machine's type code: characters 2 to 5 of the id, in lower case.
QString typeCode(const QString &id);
// The machine version of a type code: "07x3" 1 ... "07x8" 6; 0 for any other.
int versionOf(const QString &typeCode);
// The number under which "dev.ini" keeps the model name: the code read in base 36.
int modelNumber(const QString &typeCode);
// The shown name: the model name up to its first "/".
QString shortName(const QString &modelName);

} // namespace Announcement
