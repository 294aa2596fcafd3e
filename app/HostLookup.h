#pragma once

#include <QString>

// The host's public address and location, as the upgrade server tells them:
// "http://<server>:38021" + "/getIP" or "/getLocation", a JSON object whose
// "data" is the text. Asked on the calling (GUI) thread in a local event loop
// of at most timeoutMs; events of the rest of the program run meanwhile.
// Empty when there is no answer.
namespace HostLookup {

constexpr int kTimeoutMs = 2000;
constexpr qint64 kMaxReplyBytes = 64 * 1024;

QString ask(const QString &server, const QString &path, int timeoutMs = kTimeoutMs);

} // namespace HostLookup
