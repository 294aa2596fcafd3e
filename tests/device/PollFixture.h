#pragma once

#include "DriverFixture.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QStringList>
#include <QTest>
#include <functional>

// Keeps the log lines of the run instead of printing them.
class LogCapture
{
public:
    LogCapture()
    {
        s_self = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_self = nullptr;
    }
    QStringList lines() const
    {
        QMutexLocker lock(&m_lock);
        return m_lines;
    }
    // Lines that start with prefix.
    QStringList linesFrom(const QString &prefix, int from = 0) const
    {
        QStringList found;
        const QStringList all = lines().mid(from);
        for (const QString &line : all) {
            if (line.startsWith(prefix))
                found << line;
        }
        return found;
    }
    int size() const { return int(lines().size()); }

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &text)
    {
        if (!s_self)
            return;
        QMutexLocker lock(&s_self->m_lock);
        s_self->m_lines << text;
    }
    static inline LogCapture *s_self = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_lock;
    QStringList m_lines;
};

// When each command reached the simulator, as seen by polling its transcript.
class CommandTimeline
{
public:
    struct Entry
    {
        qint64 ms;
        QString command;
    };

    // Counts from now: what the simulator received before is left out.
    explicit CommandTimeline(const SimController &sim) : m_sim(sim), m_seen(sim.receivedCommands().size())
    {
        m_clock.start();
    }

    qint64 now() const { return m_clock.elapsed(); }
    void poll()
    {
        const QStringList all = m_sim.receivedCommands();
        for (qsizetype i = m_seen; i < all.size(); ++i)
            m_entries.append({m_clock.elapsed(), all.at(i)});
        m_seen = all.size();
    }
    // Polls for ms milliseconds, running the event loop in between.
    void watch(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            QTest::qWait(10);
            poll();
        }
    }
    // Polls until the predicate holds or the time is up.
    bool waitFor(const std::function<bool()> &predicate, int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            poll();
            if (predicate())
                return true;
            if (timer.elapsed() > timeoutMs)
                return false;
            QTest::qWait(10);
        }
    }
    bool waitForCount(const QString &command, int count, int timeoutMs)
    {
        return waitFor([&] { return times(command).size() >= count; }, timeoutMs);
    }
    // Where the commands seen so far end: "from" of the queries below.
    int mark()
    {
        poll();
        return int(m_entries.size());
    }
    // Times of the commands equal to command, or starting with it when it
    // ends in ",", from the mark on.
    QList<qint64> times(const QString &command, int from = 0) const
    {
        QList<qint64> found;
        for (qsizetype i = from; i < m_entries.size(); ++i) {
            if (matches(m_entries.at(i).command, command))
                found << m_entries.at(i).ms;
        }
        return found;
    }
    QStringList commands(const QString &prefix, int from = 0) const
    {
        QStringList found;
        for (qsizetype i = from; i < m_entries.size(); ++i) {
            if (m_entries.at(i).command.startsWith(prefix))
                found << m_entries.at(i).command;
        }
        return found;
    }

    // Position of the first command equal to command, -1 when none came.
    int indexOf(const QString &command) const
    {
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            if (m_entries.at(i).command == command)
                return int(i);
        }
        return -1;
    }

private:
    static bool matches(const QString &command, const QString &pattern)
    {
        return pattern.endsWith(QLatin1Char(',')) ? command.startsWith(pattern) : command == pattern;
    }

    const SimController &m_sim;
    qsizetype m_seen = 0;
    QElapsedTimer m_clock;
    QList<Entry> m_entries;
};

// A driver linked to a simulator with its pollers off, so that a test sets
// the parameters and the host first and then starts them.
struct PollFixture : DriverFixture
{
    PollFixture()
    {
        // Replies on a busy test machine may take longer than the 100 ms of
        // the parameter's default; a late one must not read as a failure.
        config->setProperty(Config::CPT_wait_TcpRet_Msecs, 250);
    }
    bool linkSim(const QStringList &simArguments = {}) { return link(QString(), simArguments); }
    void set(Config::ConfigParamType id, const QVariant &value) { config->setProperty(id, value); }
    bool control(const QString &line) { return sim.control(line); }
    void startPolling() { driver->setPolling(true); }
};
