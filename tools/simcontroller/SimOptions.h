#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

// What the command line sets up. Every address must be a loopback one: the
// simulator is a test peer and never talks to another host.
struct SimOptions
{
    QHostAddress listenAddress{QHostAddress::LocalHost};
    quint16 port = 9100;
    QHostAddress announceAddress{QHostAddress::LocalHost};
    quint16 announcePort = 51287;
    int announceIntervalMs = 1000; // 0: no announcements
    QString id;                    // announced id; built from type and serial when empty
    QString type = QStringLiteral("07x5");
    QString serial = QStringLiteral("0001");
    bool perModule = false; // answers device info per module and refuses the one-shot query
    QString transcriptPath;
    QStringList faultFiles;
    QStringList faultRules;
    QStringList settings; // "key=value"
    int jobMs = 200;      // time a received cut job keeps the carriage busy
    int splitGapMs = 30;  // pause between the two writes of a split reply
    bool readStdin = true;

    // The announced id: "SM" + type + serial unless given whole.
    QString ident() const;
};

// Parses the arguments; on failure returns false with a message in error.
bool parseSimOptions(const QStringList &arguments, SimOptions &options, QString &error);
QString simUsage();
