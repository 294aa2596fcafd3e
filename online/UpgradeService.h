#pragma once

#include <QString>
#include <QtGlobal>

class QNetworkReply;
class QJsonObject;

// The upgrade service that both dialogs ask: HTTP on port 38021 of the
// server named by CPT_IP, JSON answers with "code" (200: success).
namespace UpgradeService {

constexpr quint16 kPort = 38021;

// "http://<host>:38021<path>".
QString url(const QString &host, const QString &path);
// The JSON object of a finished reply; false, with the reply's fault logged
// under origin at critical level (network error, not JSON, no "code" 200,
// or no `list` array when a name is given), when there is none to use.
bool answer(QNetworkReply *reply, const char *origin, QJsonObject &object, const QString &list = QString());

} // namespace UpgradeService
