#pragma once

#include "online/BoundedGet.h"

#include <QString>
#include <QtGlobal>

class QNetworkAccessManager;
class QNetworkReply;
class QJsonObject;
class QUrl;

// The upgrade service that both dialogs ask: HTTP on port 38021 of the
// server named by CPT_IP, JSON answers with "code" (200: success).
namespace UpgradeService {

constexpr quint16 kPort = 38021;
// A version answer is a few rows of text: what is larger, or silent for
// longer, is no answer.
constexpr BoundedGet::Limits kAnswerLimits{30000, 120000, 1 << 20};

// "http://<host>:38021<path>".
QString url(const QString &host, const QString &path);
// The GET of a version query, within kAnswerLimits; null (logged under
// origin) when the server's address makes no web address.
QNetworkReply *ask(QNetworkAccessManager &manager, const QUrl &url, const char *origin);
// The JSON object of a finished reply; false, with the reply's fault logged
// under origin at critical level (network error, not JSON, no "code" 200,
// or no `list` array when a name is given), when there is none to use.
// The address and the body are logged at debug level first.
bool answer(QNetworkReply *reply, const char *origin, QJsonObject &object, const QString &list = QString());

} // namespace UpgradeService
