#pragma once

#include "Config.h"
#include "RecordingHost.h"
#include "SimController.h"
#include "Varnok120X.h"

#include <QDir>
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

// A driver with its parameter store and recording roles, linked to a
// simulated controller in its own process.
struct DriverFixture
{
    QTemporaryDir dir{QDir::current().absoluteFilePath(QStringLiteral("fixture-XXXXXX"))};
    std::unique_ptr<Config> config;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<RecordingCutSource> cut = std::make_unique<RecordingCutSource>();
    std::unique_ptr<RecordingVision> vision = std::make_unique<RecordingVision>();
    std::unique_ptr<Varnok120X> driver;
    SimController sim;

    // With configIni the store finds a "config.ini" and works on it, as on
    // an installed machine; without, on its stand-in "tmp.ini".
    explicit DriverFixture(bool configIni = false)
    {
        if (configIni) {
            QFile ini(dir.filePath(QStringLiteral("config.ini")));
            ini.open(QIODevice::WriteOnly);
        }
        // A store of its own: what one test sets does not reach the next.
        config = std::make_unique<Config>(dir.path());
        host = std::make_unique<RecordingHost>();
        driver = std::make_unique<Varnok120X>(config.get());
        driver->setHost(host.get());
        driver->setCutSource(cut.get());
        driver->setVision(vision.get());
        // A job that ends itself stops the machine's task as the application does.
        host->setStopAction([d = driver.get()] { return d->exitTask(); });
        // The pollers would mix their reads and motor commands into every
        // transcript; the tests of the pollers turn them on again.
        driver->setPolling(false);
    }

    ~DriverFixture()
    {
        driver.reset();
        sim.stop();
    }

    // Starts a simulator on the test file's own address; when another run
    // holds that address (exit code 3), on any free loopback address.
    static bool startSim(SimController &sim, const QString &address, const QStringList &arguments = {})
    {
        if (sim.start(arguments, address))
            return true;
        return sim.exitCode() == 3 && sim.start(arguments);
    }

    // Starts the simulator and links the driver to it; true once the initial
    // reads are done. The address in use is sim.address().
    bool link(const QString &address, const QStringList &simArguments = {})
    {
        if (!startSim(sim, address, simArguments))
            return false;
        driver->setIp(sim.address());
        return QTest::qWaitFor([this] { return driver->isReady(); }, 10000);
    }

    // Commands the simulator received after the first `from`.
    QStringList commands(int from = 0) const { return sim.receivedCommands().mid(from); }

    // Waits until the simulator has received `count` commands in all.
    bool waitForCommandCount(int count, int timeoutMs = 5000) const
    {
        return QTest::qWaitFor([&] { return sim.receivedCommands().size() >= count; }, timeoutMs);
    }
};
