#include "tests/support/SimController.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace {
int g_instances = 0;
}

SimController::SimController() = default;

SimController::~SimController()
{
    stop();
}

QString SimController::binaryPath()
{
    const QString dir = qEnvironmentVariable("DRAVO_BIN_DIR");
    if (!dir.isEmpty())
        return dir + QStringLiteral("/simcontroller");
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/simcontroller");
}

bool SimController::start(const QStringList &arguments, const QString &address)
{
    stop();
    if (!address.isEmpty())
        return startOn(address, arguments);
    // Tests run side by side: each picks its own loopback address, spread by process id.
    const int base = int(QCoreApplication::applicationPid() % 200);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QString candidate = QStringLiteral("127.0.0.%1").arg(2 + (base + attempt * 37) % 250);
        if (startOn(candidate, arguments))
            return true;
        if (m_process.exitCode() != 3)
            return false; // not a busy address: trying others will not help
    }
    return false;
}

bool SimController::startOn(const QString &address, const QStringList &arguments)
{
    m_address = address;
    m_transcriptPath = QDir::current().absoluteFilePath(
        QStringLiteral("simcontroller-%1-%2.transcript").arg(QCoreApplication::applicationPid()).arg(++g_instances));
    m_stdout.clear();
    m_stderr.clear();
    QStringList args{QStringLiteral("--listen"), address, QStringLiteral("--transcript"), m_transcriptPath};
    if (!arguments.contains(QStringLiteral("--announce-interval")))
        args << QStringLiteral("--announce-interval") << QStringLiteral("0");
    m_process.start(binaryPath(), args + arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    const QString line = readLine(10000);
    if (line == QLatin1String("READY"))
        return true;
    m_process.waitForFinished(2000);
    m_stderr += QString::fromLocal8Bit(m_process.readAllStandardError());
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
    return false;
}

void SimController::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.terminate();
        if (!m_process.waitForFinished(2000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    m_stderr += QString::fromLocal8Bit(m_process.readAllStandardError());
}

bool SimController::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

bool SimController::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

int SimController::exitCode() const
{
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString SimController::readLine(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const qsizetype end = m_stdout.indexOf('\n');
        if (end >= 0) {
            const QString line = QString::fromUtf8(m_stdout.left(end)).trimmed();
            m_stdout.remove(0, end + 1);
            return line;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return QString();
        if (m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            m_stdout += m_process.readAllStandardOutput();
        else if (m_process.state() == QProcess::NotRunning)
            m_stdout += m_process.readAllStandardOutput();
    }
}

bool SimController::control(const QString &line, QString *error)
{
    if (!isRunning()) {
        if (error)
            *error = QStringLiteral("not running");
        return false;
    }
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(2000);
    const QString answer = readLine(5000);
    if (answer == QLatin1String("OK"))
        return true;
    if (error)
        *error = answer.isEmpty() ? QStringLiteral("no answer") : answer;
    return false;
}

QString SimController::query(const QString &key)
{
    if (!isRunning())
        return QString();
    m_process.write("get " + key.toUtf8() + '\n');
    m_process.waitForBytesWritten(2000);
    const QString answer = readLine(5000);
    return answer.startsWith(QLatin1String("OK ")) ? answer.mid(3) : QString();
}

QStringList SimController::transcript() const
{
    QFile file(m_transcriptPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = file.readAll();
    QStringList lines;
    // Only whole lines: the simulator may be writing the last one right now.
    qsizetype from = 0;
    for (qsizetype end = all.indexOf('\n'); end >= 0; end = all.indexOf('\n', from)) {
        lines << QString::fromLatin1(all.mid(from, end - from));
        from = end + 1;
    }
    return lines;
}

QList<QByteArray> SimController::frames(const QString &tag) const
{
    const QString prefix = tag + QLatin1Char(' ');
    QList<QByteArray> out;
    const QStringList lines = transcript();
    for (const QString &line : lines) {
        if (line.startsWith(prefix))
            out << unescape(line.mid(prefix.size()));
    }
    return out;
}

QList<QByteArray> SimController::received() const
{
    return frames(QStringLiteral("RX"));
}

QList<QByteArray> SimController::sent() const
{
    return frames(QStringLiteral("TX"));
}

QStringList SimController::receivedCommands() const
{
    QStringList commands;
    const QList<QByteArray> all = received();
    for (const QByteArray &frame : all) {
        const qsizetype at = frame.indexOf(";CCMD;");
        if (at >= 0)
            commands << QString::fromLatin1(frame.mid(at + 6, frame.size() - at - 7));
    }
    return commands;
}

bool SimController::waitFor(const std::function<bool(const QStringList &)> &predicate, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (predicate(transcript()))
            return true;
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(5);
    }
}

bool SimController::waitForLine(const QString &line, int timeoutMs) const
{
    return waitFor([&line](const QStringList &lines) { return lines.contains(line); }, timeoutMs);
}

QString SimController::escape(const QByteArray &bytes)
{
    static const char hex[] = "0123456789abcdef";
    QString out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\')
            out += QStringLiteral("\\\\");
        else if (c >= 0x20 && c < 0x7f)
            out += QLatin1Char(char(c));
        else
            out += QStringLiteral("\\x") + QLatin1Char(hex[c >> 4]) + QLatin1Char(hex[c & 0xf]);
    }
    return out;
}

QByteArray SimController::unescape(const QString &text)
{
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in.at(i) == '\\' && i + 1 < in.size() && in.at(i + 1) == '\\') {
            out += '\\';
            ++i;
        } else if (in.at(i) == '\\' && i + 3 < in.size() && in.at(i + 1) == 'x') {
            out += char(in.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            out += in.at(i);
        }
    }
    return out;
}
