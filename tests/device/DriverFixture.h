#pragma once

#include "configuration/Config.h"
#include "tests/support/SimController.h"
#include "device/Varnok120X.h"
#include "tests/device/RecordingHost.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The cut data of the received "PPLT" frames.
inline QList<QByteArray> packages(const QList<QByteArray> &frames)
{
    QList<QByteArray> out;
    for (const QByteArray &frame : frames) {
        const qsizetype at = frame.indexOf(";PPLT;");
        if (at >= 0)
            out << frame.mid(at + 6, frame.size() - at - 7);
    }
    return out;
}

// Whether count() stays the same for quietMs at some point within timeoutMs,
// and what it stayed at: a pause reaches a loop late on a loaded machine, so
// the test waits for the stillness instead of a fixed time.
inline bool settles(const std::function<int()> &count, int quietMs, int *value, int timeoutMs = 20000)
{
    QElapsedTimer still;
    still.start();
    *value = count();
    for (const QDeadlineTimer deadline(timeoutMs); !deadline.hasExpired(); QTest::qWait(20)) {
        if (const int now = count(); now != *value)
            *value = now, still.restart();
        else if (still.elapsed() >= quietMs)
            return true;
    }
    return false;
}

// Counts a signal on the test's thread, whichever thread emits it: the count
// moves as the test's waits run the event loop, so no other thread touches it.
class SignalCount : public QObject
{
public:
    template <typename Signal>
    SignalCount(const Varnok120X *driver, Signal signal)
    {
        connect(driver, signal, this, [this] { ++m_count; }, Qt::QueuedConnection);
    }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

// A driver with a parameter store of its own (in "config.ini" with
// configIni, else its stand-in) and a recording roles, with its pollers off,
// linked by link() to a simulated controller in its own process.
struct DriverFixture
{
    QTemporaryDir dir{QDir::current().absoluteFilePath(QStringLiteral("fixture-XXXXXX"))};
    std::unique_ptr<Config> config;
    std::unique_ptr<RecordingHost> host = std::make_unique<RecordingHost>();
    std::unique_ptr<RecordingCutSource> cut = std::make_unique<RecordingCutSource>();
    std::unique_ptr<RecordingVision> vision = std::make_unique<RecordingVision>();
    std::unique_ptr<Varnok120X> driver;
    SimController sim;

    explicit DriverFixture(bool configIni = false)
    {
        if (configIni)
            QFile(dir.filePath(QStringLiteral("config.ini"))).open(QIODevice::WriteOnly);
        config = std::make_unique<Config>(dir.path());
        // A loaded machine may answer later than the default 100 ms, which
        // would read as no answer (tests of the time-out set their own).
        config->setProperty(Config::CPT_wait_TcpRet_Msecs, 2000);
        driver = std::make_unique<Varnok120X>(config.get());
        driver->setHost(host.get());
        driver->setCutSource(cut.get());
        driver->setVision(vision.get());
        // A job that ends itself stops the machine's task as the application does.
        host->setStopAction([d = driver.get()] { return d->exitTask(); });
        driver->setPolling(false);
    }
    ~DriverFixture()
    {
        driver.reset();
        sim.stop();
    }

    // A simulator on the address, or on any free loopback address when none is given or another run holds it.
    static bool startSim(SimController &sim, const QString &address, const QStringList &arguments = {})
    {
        return sim.start(arguments, address) || (sim.exitCode() == 3 && sim.start(arguments));
    }
    // True once the initial reads are done.
    bool link(const QString &address = QString(), const QStringList &simArguments = {})
    {
        if (!startSim(sim, address, simArguments))
            return false;
        driver->setIp(sim.address());
        return QTest::qWaitFor([this] { return driver->isReady(); }, 20000);
    }
    // Commands the simulator received after the first `from`.
    QStringList commands(int from = 0) const { return sim.receivedCommands().mid(from); }
    int commandCount() const { return int(sim.receivedCommands().size()); }
    bool waitForCommandCount(int count, int timeoutMs = 10000) const
    {
        return QTest::qWaitFor([&] { return sim.receivedCommands().size() >= count; }, timeoutMs);
    }
};
