#pragma once

#include "tests/device/DriverFixture.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutex>
#include <QRegularExpression>

// Keeps the log lines while alive. The sink lives for the whole process: a
// poller thread may still log while a test ends; outside a capture the lines
// go to the handler of before.
class LogCapture
{
public:
    LogCapture() { reset(true); }
    ~LogCapture() { reset(false); }
    // Lines from the from-th on that start with prefix.
    QStringList lines(const QString &prefix = QString(), int from = 0) const
    {
        QMutexLocker lock(&sink().lock);
        return sink().lines.mid(from).filter(QRegularExpression("^" + QRegularExpression::escape(prefix)));
    }

private:
    struct Sink
    {
        QMutex lock;
        QStringList lines;
        bool on = false;
        QtMessageHandler previous = nullptr;
    };
    static Sink &sink()
    {
        static Sink s;
        static const bool installed = (s.previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &c, const QString &text) {
            {
                QMutexLocker lock(&s.lock);
                if (s.on)
                    return void(s.lines << text);
            }
            if (s.previous)
                s.previous(type, c, text);
        }), true);
        Q_UNUSED(installed)
        return s;
    }
    static void reset(bool on)
    {
        QMutexLocker lock(&sink().lock);
        sink().lines.clear();
        sink().on = on;
    }
};

// A poll scenario: a linked driver with its pollers off, and the commands the
// simulator received with when they were seen (polled from its transcript).
// Steps set parameters, start the pollers and wait, bounded, for what they expect.
struct PollRun
{
    explicit PollRun(DriverFixture &fixture) : f(fixture), seen(fixture.sim.receivedCommands().size()) { clock.start(); }
    bool waitFor(const std::function<bool()> &predicate, int timeoutMs = 10000)
    {
        for (const QDeadlineTimer deadline(timeoutMs);; QTest::qWait(10)) {
            const QStringList all = f.sim.receivedCommands();
            for (; seen < all.size(); ++seen)
                entries.append({clock.elapsed(), all.at(seen)});
            if (predicate() || deadline.hasExpired())
                return predicate();
        }
    }
    // Watches for ms; returns where the commands seen end ("from" below).
    int watch(int ms) { return waitFor([] { return false; }, ms), int(entries.size()); }
    // Times of command, or of the commands starting with it when it ends in ",".
    QList<qint64> times(const QString &command, int from = 0) const
    {
        QList<qint64> found;
        for (qsizetype i = from; i < entries.size(); ++i) {
            if (command.endsWith(QLatin1Char(',')) ? entries.at(i).second.startsWith(command) : entries.at(i).second == command)
                found << entries.at(i).first;
        }
        return found;
    }
    QStringList commands(const QString &prefix, int from = 0) const
    {
        QStringList found;
        for (qsizetype i = from; i < entries.size(); ++i)
            found << entries.at(i).second;
        return found.filter(QRegularExpression("^" + QRegularExpression::escape(prefix)));
    }

    DriverFixture &f;
    qsizetype seen;
    QElapsedTimer clock;
    QList<QPair<qint64, QString>> entries;
    LogCapture log;
    int mark = 0;
};
// How late the test may see a command: it reads the simulator's transcript in
// turns, each slower on a loaded or sanitized machine. A least interval
// between commands, measured as seen, allows this much.
constexpr qint64 kSeenLate = 300;
// Each of times at least ms after the one before.
inline bool spaced(const QList<qint64> &times, qint64 ms)
{
    for (qsizetype i = 1; i < times.size(); ++i) {
        if (times[i] - times[i - 1] < ms - kSeenLate)
            return false;
    }
    return true;
}

using PollStep = std::pair<QString, std::function<bool(PollRun &)>>;
using PollScript = QList<PollStep>;
Q_DECLARE_METATYPE(PollScript)

inline PollStep check(const QString &what, std::function<bool(PollRun &)> f) { return {what, std::move(f)}; }
inline PollStep until(const QString &what, std::function<bool(PollRun &)> f)
{
    return check(what, [=](PollRun &r) { return r.waitFor([&] { return f(r); }); });
}
inline PollStep param(Config::ConfigParamType id, QVariant v)
{
    return check("param", [=](PollRun &r) { return r.f.config->setProperty(id, v), true; });
}
inline PollStep sim(const QString &line) { return check(line, [=](PollRun &r) { return r.f.sim.control(line); }); }
inline PollStep startPolling() { return check("start", [](PollRun &r) { return r.f.driver->setPolling(true), true; }); }
inline PollStep status(int s) { return check("status", [=](PollRun &r) { return r.f.host->setTaskStatus(s), true; }); }
inline PollStep expect(const QString &command, int count = 1)
{
    return until("expect " + command, [=](PollRun &r) { return r.times(command).size() >= count; });
}
inline PollStep mark() { return check("mark", [](PollRun &r) { return r.mark = r.watch(0), true; }); }
// Exactly these commands of prefix since the mark.
inline PollStep only(const QString &prefix, const QStringList &commands)
{
    return check("only " + prefix, [=](PollRun &r) { return r.commands(prefix, r.mark) == commands; });
}
// None of prefix for ms from now.
inline PollStep quiet(const QString &prefix, int ms)
{
    return check("quiet " + prefix, [=](PollRun &r) {
        const int from = r.watch(0);
        return r.watch(ms), r.commands(prefix, from).isEmpty();
    });
}
inline PollStep bit(qulonglong b, bool on = true)
{
    return until("bit " + QString::number(b), [=](PollRun &r) { return bool(r.f.driver->deviceState() & b) == on; });
}

inline void runPollScript(const QStringList &simArguments, const PollScript &script)
{
    DriverFixture f;
    QVERIFY(f.link(QString(), simArguments));
    PollRun run(f);
    for (const PollStep &step : script)
        QVERIFY2(step.second(run), qPrintable(step.first));
}
