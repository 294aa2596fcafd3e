// The driver against the simulated controller on loopback: the round trip of
// a command with its reply, and streaming cut data with the send handshake.
// The simulator runs in its own process, without a transcript.
#include "Config.h"
#include "TaskWorker.h"
#include "Varnok120X.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The driver logs every link step and reply: keep warnings, drop the rest.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg && g_previousHandler)
        g_previousHandler(type, context, text);
}

// A simulator on a free 127.0.0.x and a driver linked to it.
class Rig
{
public:
    Rig()
    {
        g_previousHandler = qInstallMessageHandler(quietHandler);
        m_config = std::make_unique<Config>(m_dir.path());
        m_driver = std::make_unique<Varnok120X>(m_config.get());
        // The roller watch would mix its reads into the measurements.
        m_driver->setPolling(false);
        if (!startSimulator())
            return;
        m_driver->setIp(m_address);
        QElapsedTimer clock;
        clock.start();
        while (!m_driver->isReady() && clock.elapsed() < 10000) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
    }

    ~Rig()
    {
        m_driver.reset();
        m_sim.closeWriteChannel(); // the simulator ends when its stdin closes
        if (!m_sim.waitForFinished(3000))
            m_sim.kill();
        m_sim.waitForFinished(1000);
        m_config.reset();
        qInstallMessageHandler(g_previousHandler);
    }

    bool ready() const { return m_driver && m_driver->isReady(); }
    Varnok120X &driver() { return *m_driver; }

private:
    bool startSimulator()
    {
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/simcontroller");
        const int base = int(QCoreApplication::applicationPid() % 100);
        for (int attempt = 0; attempt < 20; ++attempt) {
            m_address = QStringLiteral("127.0.0.%1").arg(100 + (base + attempt * 7) % 150);
            m_sim.start(program, {"--listen", m_address, "--announce-interval", "0", "--job-ms", "1"});
            if (!m_sim.waitForStarted(5000))
                return false;
            QByteArray out;
            QElapsedTimer clock;
            clock.start();
            while (!out.contains('\n') && m_sim.state() == QProcess::Running && clock.elapsed() < 10000) {
                if (m_sim.waitForReadyRead(100))
                    out += m_sim.readAllStandardOutput();
            }
            if (out.startsWith("READY"))
                return true;
            m_sim.waitForFinished(2000);
            if (m_sim.exitCode() != 3) // 3: address taken, try another
                return false;
        }
        return false;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Config> m_config;
    std::unique_ptr<Varnok120X> m_driver;
    QProcess m_sim;
    QString m_address;
};

double percentile(std::vector<double> &values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(p * double(values.size())));
    return values[at];
}

// "3;" and its reply; the counters give the median and the 99th percentile
// of the single round trips in microseconds.
void BM_CommandRoundTrip(benchmark::State &state)
{
    Rig rig;
    if (!rig.ready()) {
        state.SkipWithError("simulator not linked");
        return;
    }
    std::vector<double> micros;
    micros.reserve(size_t(state.max_iterations));
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const bool ok = rig.driver().rCutMotorStatus();
        micros.push_back(double(clock.nsecsElapsed()) / 1000.0);
        if (!ok) {
            state.SkipWithError("no reply to 3;");
            break;
        }
    }
    state.counters["median_us"] = percentile(micros, 0.5);
    state.counters["p99_us"] = percentile(micros, 0.99);
}
BENCHMARK(BM_CommandRoundTrip)->Iterations(10000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Plotter text of about the given size.
QByteArray cutData(int size)
{
    QByteArray data;
    data.reserve(size + 32);
    for (int x = 0; data.size() < size; x += 40)
        data += "PD" + QByteArray::number(x % 40000) + ',' + QByteArray::number(x % 4000) + ';';
    data.truncate(size);
    return data;
}

// Cut data as the cut job streams it: the size announcement, then per package
// of 1024 bytes the send request "21;" and its reply, then the package.
// Counters: the share of the time spent waiting for the "21" replies, and the
// time per package.
void streamCutData(benchmark::State &state, int size)
{
    Rig rig;
    if (!rig.ready()) {
        state.SkipWithError("simulator not linked");
        return;
    }
    constexpr int kPackage = 1024;
    const QByteArray data = cutData(size);
    qint64 waitNs = 0, totalNs = 0, packages = 0;
    for (auto _ : state) {
        QElapsedTimer total;
        total.start();
        bool ok = rig.driver().wPltSize(size_t(data.size()), kPackage);
        for (int at = 0; ok && at < data.size(); at += kPackage) {
            QElapsedTimer wait;
            wait.start();
            ok = rig.driver().rPrePltSend();
            waitNs += wait.nsecsElapsed();
            ok = ok && rig.driver().wPlt(data.mid(at, kPackage));
            ++packages;
        }
        totalNs += total.nsecsElapsed();
        if (!ok) {
            state.SkipWithError("transfer failed");
            break;
        }
        // The simulated job the data starts is not part of the transfer.
        state.PauseTiming();
        while (!(rig.driver().rCutMotorStatus() && rig.driver().cutMotorStatus() == 0))
            QThread::msleep(1);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * data.size());
    state.counters["wait21_share"] = totalNs > 0 ? double(waitNs) / double(totalNs) : 0.0;
    state.counters["us_per_package"] = packages > 0 ? double(totalNs) / double(packages) / 1000.0 : 0.0;
}

void BM_StreamCutData(benchmark::State &state)
{
    streamCutData(state, 1 << 20);
}
BENCHMARK(BM_StreamCutData)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StreamCutData10MB(benchmark::State &state)
{
    streamCutData(state, 10 << 20);
}
BENCHMARK(BM_StreamCutData10MB)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 10 MB as a whole cut job on the work thread (task type 1): knife
// checks, the announcement, the packages and the wait for the carriage.
void BM_CutJob10MB(benchmark::State &state)
{
    Rig rig;
    if (!rig.ready()) {
        state.SkipWithError("simulator not linked");
        return;
    }
    const QByteArray data = cutData(10 << 20);
    for (auto _ : state) {
        auto *worker = new TaskWorker(&rig.driver(), -1);
        worker->setData(data);
        worker->setTaskType(1);
        if (!rig.driver().createWork(worker)) {
            state.SkipWithError("job refused");
            break;
        }
        while (!rig.driver().isWorkIdle()) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        if (rig.driver().pltTransfer().sent != quint64(data.size())) {
            state.SkipWithError("job did not send all");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}
BENCHMARK(BM_CutJob10MB)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
