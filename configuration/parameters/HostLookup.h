#pragma once

#include <QMutex>
#include <QSet>
#include <QString>

class Config;

// The public address and the location of this computer's network, asked of
// the online-services server (CPT_IP, port 38021, "/getIP" and
// "/getLocation") and kept in the parameters: a text that came today is
// answered from there. A reply is a JSON object whose "data" is the text.
//
// A lookup blocks its caller (running the events meanwhile) for at most
// kTotalTimeoutMs: a server silent for kIdleTimeoutMs, a reply that trickles
// or grows past kMaxReplyBytes, anything but a string "data" is a failure,
// which keeps what was kept.
class HostLookup
{
public:
    static constexpr quint16 kPort = 38021;
    static constexpr int kIdleTimeoutMs = 1000;
    static constexpr int kTotalTimeoutMs = 2000;
    static constexpr qint64 kMaxReplyBytes = 64 * 1024;

    explicit HostLookup(Config &config) : m_config(config) {}

    // The text parameter textId after a lookup of path, when its date
    // parameter dateId is not today or the text is empty.
    QString lookup(const QString &path, int textId, int dateId);

private:
    // The text of a reply; false when it is no JSON object with a string "data".
    static bool parseReply(const QByteArray &body, QString *text);

    Config &m_config;
    QMutex m_lock;
    QSet<QString> m_asking; // paths with a lookup under way (the event loop may call again)
};
