// Start-up of the real program: from the process start to the first frame of
// its main window (offscreen), and its resident memory then and once the
// online start-up has run. Each run uses a folder of its own with the
// pictures and the icon font beside it. Beside it, turn by turn so that the
// load of the machine falls on both, the smallest Qt Quick program (a window
// with one rectangle, dravo_barewindow) from its start to its first frame:
// the counters give both medians and the median of the turns' ratios
// program / bare window.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

QString programDir()
{
    return QCoreApplication::applicationDirPath();
}

// Resident memory of a process in MiB, from /proc.
double residentMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0.0;
}

QByteArray logText(const QString &folder)
{
    QByteArray text;
    const QStringList files = QDir(folder + QStringLiteral("/log")).entryList({QStringLiteral("*.log")}, QDir::Files);
    for (const QString &file : files) {
        QFile f(folder + QStringLiteral("/log/") + file);
        if (f.open(QIODevice::ReadOnly))
            text += f.readAll();
    }
    return text;
}

bool waitForLog(const QString &folder, const QByteArray &text, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (logText(folder).contains(text))
            return true;
        QThread::msleep(2);
    }
    return false;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// Milliseconds from the start of the bare window to its "first frame"; 0 when it did not draw.
double bareWindowMs()
{
    QProcess process;
    process.setProcessEnvironment(offscreen());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(programDir() + QStringLiteral("/dravo_barewindow"), QStringList());
    QByteArray out;
    while (!out.contains("first frame") && clock.elapsed() < 20000) {
        if (!process.waitForReadyRead(50) && process.state() == QProcess::NotRunning)
            break;
        out += process.readAllStandardOutput();
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    process.waitForFinished(5000);
    return out.contains("first frame") ? ms : 0.0;
}

void BM_ProgramStartup(benchmark::State &state)
{
    const QString program = programDir() + QStringLiteral("/dravolinte");
    if (!QFile::exists(program) || !QFile::exists(programDir() + QStringLiteral("/dravo_barewindow"))) {
        state.SkipWithError("the program or the bare window is not built");
        return;
    }
    double rssAtLoop = 0.0, rssSettled = 0.0;
    std::vector<double> programMs, bareMs, ratios;
    for (auto _ : state) {
        const double bare = bareWindowMs();
        if (bare <= 0.0) {
            state.SkipWithError("the bare window did not draw");
            return;
        }
        QTemporaryDir dir;
        QFile::copy(program, dir.filePath(QStringLiteral("dravolinte")));
        QDir().mkpath(dir.filePath(QStringLiteral("Dravolinte/res")));
        const QString res = programDir() + QStringLiteral("/Dravolinte/res/");
        for (const QString &file : QDir(res).entryList(QDir::Files))
            QFile::copy(res + file, dir.filePath(QStringLiteral("Dravolinte/res/") + file));
        // The debug gate on: "first frame" is logged when the window has drawn itself.
        QFile ini(dir.filePath(QStringLiteral("config.ini")));
        if (!ini.open(QIODevice::WriteOnly) || ini.write("[LogSetting]\nLOG_DEBUG=true\n[Dravolinte]\nVersion=3\n") < 0) {
            state.SkipWithError("cannot write the working file");
            return;
        }
        ini.close();

        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setProcessEnvironment(offscreen());
        QElapsedTimer clock;
        clock.start();
        process.start(dir.filePath(QStringLiteral("dravolinte")), QStringList());
        const bool up = process.waitForStarted(5000) && waitForLog(dir.path(), "main first frame", 20000);
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (!up) {
            process.kill();
            process.waitForFinished(5000);
            state.SkipWithError("the program did not draw its window (another copy running?)");
            return;
        }
        state.SetIterationTime(seconds);
        programMs.push_back(seconds * 1000.0);
        bareMs.push_back(bare);
        ratios.push_back(seconds * 1000.0 / bare);
        rssAtLoop = residentMiB(process.processId());
        // The online start-up runs one second into the loop.
        waitForLog(dir.path(), "mqttMessage::connectToServer", 5000);
        rssSettled = residentMiB(process.processId());
        process.terminate();
        process.waitForFinished(10000);
    }
    state.counters["rss_at_loop_MiB"] = rssAtLoop;
    state.counters["rss_settled_MiB"] = rssSettled;
    state.counters["program_ms"] = median(programMs);
    state.counters["bare_window_ms"] = median(bareMs);
    state.counters["ratio"] = median(ratios);
}
BENCHMARK(BM_ProgramStartup)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

} // namespace
