#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Something the controller writes on its own: a frame, raw bytes, or a close.
struct Emission
{
    enum Kind { Bytes, Close } kind = Bytes;
    QByteArray bytes;
    bool isFrame = false; // bytes is one frame (for the transcript)
};

// How the reply to one received frame goes out, gathered from every rule that matched.
struct ReplyPlan
{
    int delayMs = 0;
    bool drop = false;
    QString status;     // replaces the status field when not empty
    int fieldCount = -1; // number of fields after the id when >= 0
    int splitAt = -1;    // 0: in the middle; > 0: after that many bytes
    bool twice = false;
    QByteArray garbage;
    bool close = false; // close the link instead of replying
    QByteArray body;    // replaces the whole reply body when not empty
    QList<Emission> after;
};

// The fault script: rules read from files, the command line and stdin (see README.md).
//   on <match> <action> [arg] [skip N] [count N] [repeat N]
//   at <ms> <action> [arg] [repeat N]
// Timed changes of the machine state ("at <ms> set ..." and "at <ms> ramp
// ...") share the files and options; they go to the state line handler.
class FaultScript
{
public:
    using LineHandler = std::function<bool(const QString &line, QString &error)>;
    void setStateLineHandler(LineHandler handler) { m_stateLines = std::move(handler); }

    struct Rule
    {
        bool timed = false;
        int atMs = 0;
        QString match; // command text prefix ("3", "20,1,3"), "PPLT", "UPG" or "*"
        QString action;
        QString arg;
        int skip = 0;
        int count = 0; // 0: every time
        int repeat = 1;
        int seen = 0;
        int applied = 0;
    };

    bool addLine(const QString &line, QString &error);
    bool loadFile(const QString &path, QString &error);

    // The plan for a received frame; key is the command text ("3;"), "PPLT;" or "UPG;".
    ReplyPlan planFor(const QByteArray &key);
    // Timed rules, each handed out once.
    QList<Rule> takeTimedRules();

    // Parses "<action> [arg] [repeat N]" for an immediate emission.
    static bool parseEmission(const QStringList &tokens, Emission &emission, QString &error);

private:
    static bool emissionOf(const Rule &rule, Emission &emission);
    QList<Rule> m_rules;
    LineHandler m_stateLines;
};
