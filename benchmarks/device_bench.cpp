// The driver against the simulated controller on loopback: the round trip of
// a command with its reply, and streaming cut data with the send handshake,
// each beside a raw socket client that puts the same bytes on the wire and
// does nothing else (its own simulator, same program and arguments). The
// two take turns in batches, so that the load of the machine falls on both;
// the counters give each one's figure and the ratio driver / raw.
#include "configuration/Config.h"
#include "device/Varnok120X.h"
#include "device/link/ControllerLink.h"
#include "device/link/FrameCodec.h"
#include "device/task/TaskWorker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The driver logs every link step and reply: keep warnings, drop the rest.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg && g_previousHandler)
        g_previousHandler(type, context, text);
}

// The simulator on a free 127.0.0.x, without a transcript.
class Simulator
{
public:
    Simulator()
    {
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/simcontroller");
        static int next = int(QCoreApplication::applicationPid() % 100);
        for (int attempt = 0; attempt < 20; ++attempt) {
            m_address = QStringLiteral("127.0.0.%1").arg(100 + (next++ * 7) % 150);
            m_process.start(program, {"--listen", m_address, "--announce-interval", "0", "--job-ms", "1"});
            if (!m_process.waitForStarted(5000))
                return;
            QByteArray out;
            QElapsedTimer clock;
            clock.start();
            while (!out.contains('\n') && m_process.state() == QProcess::Running && clock.elapsed() < 10000) {
                if (m_process.waitForReadyRead(100))
                    out += m_process.readAllStandardOutput();
            }
            m_ready = out.startsWith("READY");
            if (m_ready)
                return;
            m_process.waitForFinished(2000);
            if (m_process.exitCode() != 3) // 3: address taken, try another
                return;
        }
    }
    ~Simulator()
    {
        m_process.closeWriteChannel(); // the simulator ends when its stdin closes
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
    bool ready() const { return m_ready; }
    QString address() const { return m_address; }

private:
    QProcess m_process;
    QString m_address;
    bool m_ready = false;
};

// A driver linked to a simulator of its own.
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
        if (!m_sim.ready())
            return;
        m_driver->setIp(m_sim.address());
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
        m_config.reset();
        qInstallMessageHandler(g_previousHandler);
    }
    bool ready() const { return m_driver && m_driver->isReady(); }
    Varnok120X &driver() { return *m_driver; }

private:
    QTemporaryDir m_dir;
    Simulator m_sim;
    std::unique_ptr<Config> m_config;
    std::unique_ptr<Varnok120X> m_driver;
};

// The same frames on a plain socket: write, then read up to the reply's
// 0x03, waiting for it as the driver does (looking without sleeping for
// ControllerLink::kSpinMicros, then blocking), so that the ratio is the
// driver's own cost.
class RawClient
{
public:
    RawClient()
    {
        if (!m_sim.ready())
            return;
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(Varnok120X::kPort);
        inet_pton(AF_INET, m_sim.address().toLatin1().constData(), &peer.sin_addr);
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
        if (::connect(m_fd, reinterpret_cast<sockaddr *>(&peer), sizeof(peer)) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RawClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ready() const { return m_fd >= 0; }
    bool send(const QByteArray &frame) { return ::send(m_fd, frame.constData(), size_t(frame.size()), 0) == frame.size(); }
    // The reply's body ends with expectedEnd ("21,0,0;"), when given.
    bool roundTrip(const QByteArray &frame, const char *expectedEnd = nullptr)
    {
        if (!send(frame))
            return false;
        QElapsedTimer spinning;
        spinning.start();
        for (;;) {
            char *end = static_cast<char *>(memchr(m_buffer, FrameCodec::kEnd, size_t(m_have)));
            if (end) {
                const int length = int(end - m_buffer) + 1;
                const bool ok = !expectedEnd || QByteArray(m_buffer, length - 1).endsWith(expectedEnd);
                m_have -= length;
                memmove(m_buffer, end + 1, size_t(m_have));
                return ok;
            }
            const bool spin = spinning.isValid() && spinning.nsecsElapsed() < ControllerLink::kSpinMicros * 1000;
            const ssize_t n = ::recv(m_fd, m_buffer + m_have, sizeof(m_buffer) - size_t(m_have), spin ? MSG_DONTWAIT : 0);
            if (n < 0 && spin && (errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (n <= 0)
                return false;
            m_have += int(n);
        }
    }

private:
    Simulator m_sim;
    int m_fd = -1;
    char m_buffer[4096];
    int m_have = 0;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

template <typename F>
double micros(F &&f, bool *ok)
{
    QElapsedTimer clock;
    clock.start();
    *ok = f() && *ok;
    return double(clock.nsecsElapsed()) / 1000.0;
}

// "3;" and its reply, 10 turns of 1000 round trips each; the counters give
// the medians and the 99th percentiles in microseconds. A driver round trip
// that times out (a loaded machine, the default wait of 100 ms) counts with
// its time, as its caller waited it, and in driver_timeouts.
void BM_CommandRoundTrip(benchmark::State &state)
{
    Rig rig;
    RawClient raw;
    if (!rig.ready() || !raw.ready()) {
        state.SkipWithError("simulator not linked");
        return;
    }
    const QByteArray frame = FrameCodec::frameCommand(QStringLiteral("3;"), QStringLiteral("CCMD"));
    std::vector<double> driver, plain, ratios;
    bool ok = true;
    int timeouts = 0;
    for (auto _ : state) {
        for (int turn = 0; turn < 10 && ok; ++turn) {
            std::vector<double> d, r;
            for (int i = 0; i < 1000; ++i) {
                bool replied = true;
                d.push_back(micros([&] { return rig.driver().rCutMotorStatus(); }, &replied));
                timeouts += replied ? 0 : 1;
            }
            for (int i = 0; i < 1000; ++i)
                r.push_back(micros([&] { return raw.roundTrip(frame); }, &ok));
            ratios.push_back(percentile(d, 0.5) / qMax(1e-9, percentile(r, 0.5)));
            driver.insert(driver.end(), d.begin(), d.end());
            plain.insert(plain.end(), r.begin(), r.end());
        }
    }
    if (!ok || timeouts > 10 * 1000 / 2)
        state.SkipWithError("no reply to 3;");
    state.counters["driver_us"] = percentile(driver, 0.5);
    state.counters["driver_p99_us"] = percentile(driver, 0.99);
    state.counters["raw_us"] = percentile(plain, 0.5);
    state.counters["raw_p99_us"] = percentile(plain, 0.99);
    state.counters["driver_timeouts"] = timeouts;
    // Each turn's ratio compares the two under the same load; their median.
    state.counters["ratio"] = percentile(ratios, 0.5);
}
BENCHMARK(BM_CommandRoundTrip)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

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

constexpr int kPackage = 1024;
// A job asks "21;" again while it fails (no reply in time, or busy), until it
// has failed for longer than waitTcpRetMax (its default).
constexpr int kReadyRetryMs = 10000;

// Asks until ask() succeeds, as the job's step does; false once it has failed
// for longer than kReadyRetryMs. *retries counts the asks that failed.
template <typename Ask>
bool askUntilReady(Ask &&ask, int *retries)
{
    QElapsedTimer failing;
    while (!ask()) {
        if (!failing.isValid())
            failing.start();
        else if (failing.elapsed() > kReadyRetryMs)
            return false;
        ++*retries;
    }
    return true;
}

// The driver's transfer as the cut job streams it: the size announcement,
// then per package the send request "21;" and its reply, then the package.
bool streamDriver(Varnok120X &d, const QByteArray &data, qint64 *waitNs, int *retries)
{
    bool ok = d.wPltSize(size_t(data.size()), kPackage);
    for (int at = 0; ok && at < data.size(); at += kPackage) {
        QElapsedTimer wait;
        wait.start();
        ok = askUntilReady([&] { return d.rPrePltSend(); }, retries);
        *waitNs += wait.nsecsElapsed();
        ok = ok && d.wPlt(data.mid(at, kPackage));
    }
    return ok;
}

// The same frames from the raw client.
bool streamRaw(RawClient &raw, const QByteArray &data, int *retries)
{
    const QByteArray ready = FrameCodec::frameCommand(QStringLiteral("21;"), QStringLiteral("CCMD"));
    bool ok = raw.roundTrip(FrameCodec::frameCommand(QStringLiteral("22,%1,%2;").arg(data.size()).arg(kPackage),
                                                     QStringLiteral("CCMD")));
    for (int at = 0; ok && at < data.size(); at += kPackage)
        ok = askUntilReady([&] { return raw.roundTrip(ready, "21,0,0;"); }, retries)
             && raw.send(FrameCodec::frameRaw("PPLT;" + data.mid(at, kPackage)));
    return ok;
}

// 10 MB of cut data in 1024-byte packages, three turns each. Counters: time
// per package of both, the ratio, the share of the driver's time spent
// waiting for the "21" replies, and how often "21;" was asked again. The simulated job the data starts is waited
// for outside the timing.
void BM_StreamCutData10MB(benchmark::State &state)
{
    Rig rig;
    RawClient raw;
    if (!rig.ready() || !raw.ready()) {
        state.SkipWithError("simulator not linked");
        return;
    }
    const QByteArray data = cutData(10 << 20);
    const QByteArray status = FrameCodec::frameCommand(QStringLiteral("3;"), QStringLiteral("CCMD"));
    const double packages = double((data.size() + kPackage - 1) / kPackage);
    qint64 waitNs = 0, driverNs = 0, rawNs = 0;
    int driverRetries = 0, rawRetries = 0;
    std::vector<double> ratios;
    bool ok = true;
    for (auto _ : state) {
        for (int turn = 0; turn < 3 && ok; ++turn) {
            QElapsedTimer clock;
            clock.start();
            ok = streamDriver(rig.driver(), data, &waitNs, &driverRetries);
            const qint64 driverTurn = clock.nsecsElapsed();
            driverNs += driverTurn;
            while (ok && !(rig.driver().rCutMotorStatus() && rig.driver().cutMotorStatus() == 0))
                QThread::msleep(1);
            clock.start();
            ok = ok && streamRaw(raw, data, &rawRetries);
            rawNs += clock.nsecsElapsed();
            ratios.push_back(double(driverTurn) / double(qMax<qint64>(1, clock.nsecsElapsed())));
            QElapsedTimer idle;
            idle.start();
            while (ok && !raw.roundTrip(status, "3,0,0;") && idle.elapsed() < 10000)
                QThread::msleep(1);
        }
    }
    if (!ok)
        state.SkipWithError("transfer failed");
    state.SetBytesProcessed(int64_t(3 * data.size()));
    const double driverUs = double(driverNs) / 3.0 / packages / 1000.0;
    const double rawUs = double(rawNs) / 3.0 / packages / 1000.0;
    state.counters["driver_us_per_package"] = driverUs;
    state.counters["raw_us_per_package"] = rawUs;
    state.counters["ratio"] = percentile(ratios, 0.5); // of the turns, each under the same load
    state.counters["wait21_share"] = driverNs > 0 ? double(waitNs) / double(driverNs) : 0.0;
    // "21;" asked again after a time-out or a busy answer (a loaded machine).
    state.counters["retries21_driver"] = driverRetries;
    state.counters["retries21_raw"] = rawRetries;
}
BENCHMARK(BM_StreamCutData10MB)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

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
        if (!rig.driver().createWork(new TaskWorker(&rig.driver(), 1, data))) {
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
