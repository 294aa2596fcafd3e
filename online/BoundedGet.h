#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// A GET of the online services that ends by itself and cannot flood the
// program: silence for idleMs or a transfer longer than totalMs ends it, and
// so does a body (announced or received) beyond maxBytes. The access manager
// would otherwise wait for ever, take any size and fetch "file:" and "data:"
// URLs as readily as web ones.
namespace BoundedGet {

struct Limits
{
    int idleMs = 30000;
    int totalMs = 600000;
    qint64 maxBytes = 1 << 20;
};

// Only http and https reach the network.
bool isWebUrl(const QUrl &url);

// Starts the GET; the caller owns the reply (deleteLater when finished).
// Null, with nothing sent, for an address that is not http(s).
QNetworkReply *start(QNetworkAccessManager &manager, const QUrl &url, const Limits &limits);

// Why a finished reply is no whole answer, for the operator and the log:
// its error (a bound hit or the time-out named as such), a redirect to a
// scheme other than http(s), a status other than 200, an empty body, or one
// shorter or longer than announced. Empty when body is the whole answer.
QString fault(QNetworkReply *reply, const QByteArray &body);

// The name of the reply's error ("ConnectionRefusedError"...).
QString errorName(QNetworkReply *reply);

} // namespace BoundedGet
