#include "tools/simcontroller/network/FaultScript.h"

#include "tools/simcontroller/Transcript.h"
#include "device/link/FrameCodec.h"

#include <QFile>
#include <QRegularExpression>

namespace {

const QStringList kReplyActions{"delay", "drop", "status", "fields", "split", "double", "garbage", "reply"};
const QStringList kEmitActions{"alarm", "progress", "send", "raw", "close"};
const QStringList kNeedArg{"delay", "status", "fields", "garbage", "reply", "alarm", "progress", "send", "raw"};
const QStringList kNumericArg{"delay", "status", "fields", "split"};

bool matches(const QString &match, const QByteArray &key)
{
    if (match == QLatin1String("*"))
        return true;
    const QByteArray m = match.toLatin1();
    return key.startsWith(m + ';') || key.startsWith(m + ',');
}

// Reads "<action> [arg]" and the trailing options; tokens start at the action.
bool parseAction(const QStringList &tokens, FaultScript::Rule &rule, bool timed, QString &error)
{
    if (tokens.isEmpty()) {
        error = QStringLiteral("missing action");
        return false;
    }
    rule.action = tokens.first();
    const bool known = kEmitActions.contains(rule.action) || (!timed && kReplyActions.contains(rule.action));
    if (!known) {
        error = QStringLiteral("unknown action here: %1").arg(rule.action);
        return false;
    }
    int i = 1;
    const bool optionalArg = rule.action == QLatin1String("split");
    const QStringList options{"skip", "count", "repeat"};
    if (kNeedArg.contains(rule.action) || (optionalArg && i < tokens.size() && !options.contains(tokens.at(i)))) {
        if (i >= tokens.size()) {
            error = QStringLiteral("%1 needs a value").arg(rule.action);
            return false;
        }
        rule.arg = tokens.at(i++);
        bool ok = true;
        if (kNumericArg.contains(rule.action))
            rule.arg.toInt(&ok);
        if (!ok) {
            error = QStringLiteral("%1 needs a number: %2").arg(rule.action, rule.arg);
            return false;
        }
    }
    for (; i + 1 < tokens.size(); i += 2) {
        bool ok = false;
        const int n = tokens.at(i + 1).toInt(&ok);
        if (!ok || n < 0) {
            error = QStringLiteral("bad number: %1").arg(tokens.at(i + 1));
            return false;
        }
        if (tokens.at(i) == QLatin1String("skip") && !timed)
            rule.skip = n;
        else if (tokens.at(i) == QLatin1String("count") && !timed)
            rule.count = n;
        else if (tokens.at(i) == QLatin1String("repeat") && n >= 1)
            rule.repeat = n;
        else {
            error = QStringLiteral("unknown option: %1").arg(tokens.at(i));
            return false;
        }
    }
    if (i != tokens.size()) {
        error = QStringLiteral("dangling word: %1").arg(tokens.at(i));
        return false;
    }
    return true;
}

} // namespace

bool FaultScript::addLine(const QString &line, QString &error)
{
    const QString text = line.section(QLatin1Char('#'), 0, 0).trimmed();
    if (text.isEmpty())
        return true;
    const QStringList tokens = text.split(QRegularExpression(QStringLiteral("\\s+")));
    if (tokens.size() >= 3 && tokens.first() == QLatin1String("at")
        && (tokens.at(2) == QLatin1String("set") || tokens.at(2) == QLatin1String("ramp"))) {
        if (!m_stateLines) {
            error = QStringLiteral("state changes are not accepted here: %1").arg(text);
            return false;
        }
        return m_stateLines(text, error);
    }
    Rule rule;
    if (tokens.size() < 3 || (tokens.first() != QLatin1String("on") && tokens.first() != QLatin1String("at"))) {
        error = QStringLiteral("expected 'on <match> <action> ...' or 'at <ms> <action> ...': %1").arg(text);
        return false;
    }
    rule.timed = tokens.first() == QLatin1String("at");
    if (rule.timed) {
        bool ok = false;
        rule.atMs = tokens.at(1).toInt(&ok);
        if (!ok || rule.atMs < 0) {
            error = QStringLiteral("bad time: %1").arg(tokens.at(1));
            return false;
        }
    } else {
        rule.match = tokens.at(1);
    }
    if (!parseAction(tokens.mid(2), rule, rule.timed, error)) {
        error += QStringLiteral(" in: ") + text;
        return false;
    }
    m_rules.append(rule);
    return true;
}

bool FaultScript::loadFile(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot open fault script %1").arg(path);
        return false;
    }
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        if (!addLine(QString::fromUtf8(file.readLine()), error)) {
            error = QStringLiteral("%1:%2: %3").arg(path).arg(number).arg(error);
            return false;
        }
    }
    return true;
}

ReplyPlan FaultScript::planFor(const QByteArray &key)
{
    ReplyPlan plan;
    for (Rule &rule : m_rules) {
        if (rule.timed || !matches(rule.match, key))
            continue;
        ++rule.seen;
        if (rule.seen <= rule.skip || (rule.count > 0 && rule.applied >= rule.count))
            continue;
        ++rule.applied;
        const QString &a = rule.action;
        if (a == QLatin1String("delay"))
            plan.delayMs += rule.arg.toInt();
        else if (a == QLatin1String("drop"))
            plan.drop = true;
        else if (a == QLatin1String("status"))
            plan.status = rule.arg;
        else if (a == QLatin1String("fields"))
            plan.fieldCount = qMax(0, rule.arg.toInt());
        else if (a == QLatin1String("split"))
            plan.splitAt = qMax(0, rule.arg.toInt());
        else if (a == QLatin1String("double"))
            plan.twice = true;
        else if (a == QLatin1String("garbage"))
            plan.garbage = Transcript::unescape(rule.arg.toLatin1());
        else if (a == QLatin1String("reply"))
            plan.body = Transcript::unescape(rule.arg.toLatin1());
        else if (a == QLatin1String("close"))
            plan.close = true;
        else {
            Emission emission;
            if (emissionOf(rule, emission))
                plan.after.append(emission);
        }
    }
    return plan;
}

QList<FaultScript::Rule> FaultScript::takeTimedRules()
{
    QList<Rule> timed;
    for (qsizetype i = m_rules.size() - 1; i >= 0; --i) {
        if (m_rules.at(i).timed)
            timed.prepend(m_rules.takeAt(i));
    }
    return timed;
}

bool FaultScript::parseEmission(const QStringList &tokens, Emission &emission, QString &error)
{
    Rule rule;
    if (!parseAction(tokens, rule, true, error))
        return false;
    return emissionOf(rule, emission);
}

bool FaultScript::emissionOf(const Rule &rule, Emission &emission)
{
    const QString &a = rule.action;
    emission = Emission();
    if (a == QLatin1String("close")) {
        emission.kind = Emission::Close;
        return true;
    }
    QByteArray one;
    if (a == QLatin1String("alarm"))
        one = FrameCodec::frameRaw("CCMD;23,0," + rule.arg.toLatin1() + ';');
    else if (a == QLatin1String("progress"))
        one = FrameCodec::frameRaw("UPG;1,0," + rule.arg.toLatin1() + ';');
    else if (a == QLatin1String("send"))
        one = FrameCodec::frameRaw(Transcript::unescape(rule.arg.toLatin1()));
    else if (a == QLatin1String("raw"))
        one = Transcript::unescape(rule.arg.toLatin1());
    else
        return false;
    emission.isFrame = a != QLatin1String("raw") && rule.repeat == 1;
    emission.bytes = one.repeated(rule.repeat);
    return true;
}
