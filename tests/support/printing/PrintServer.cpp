#include "tests/support/printing/PrintServer.h"

#include "tests/support/StopProcess.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <cups/cups.h>

namespace {

bool writeText(const QString &path, const QString &text, bool executable = false)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        return false;
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return true;
}

// The backends run as user lp: every folder on the way must be open to it.
void openToAll(const QString &path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

bool listening(int port)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    return socket.waitForConnected(200);
}

} // namespace

PrintServer::PrintServer() : m_dir(QDir::tempPath() + QStringLiteral("/dravo-cups-XXXXXX"))
{
    openToAll(m_dir.path());
}

PrintServer::~PrintServer()
{
    stopProcess(m_cupsd);
    stopProcess(m_bus);
    for (Printer &p : m_printers)
        stopProcess(*p.process);
}

int PrintServer::freePort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
}

QString PrintServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

bool PrintServer::startProcess(QProcess &process, const QString &program, const QStringList &arguments,
                               const QString &name)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(m_dir.filePath(name + QStringLiteral(".log")));
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) {
        m_error = name + QStringLiteral(": ") + process.errorString();
        return false;
    }
    return true;
}

bool PrintServer::start()
{
    const QString root = m_dir.path();
    for (const char *sub : {"cache", "state", "run", "log"}) {
        QDir(root).mkpath(QLatin1String(sub));
        openToAll(root + QLatin1Char('/') + QLatin1String(sub));
    }
    // ippeveprinter wants a system bus even when it announces nothing.
    const QString busConf = QStringLiteral(
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
        "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>system</type><listen>unix:path=%1/bus</listen><auth>EXTERNAL</auth>"
        "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
        "<allow own=\"*\"/><allow user=\"*\"/></policy></busconfig>\n").arg(root);
    if (!writeText(root + QStringLiteral("/bus.conf"), busConf)
        || !startProcess(m_bus, QStringLiteral("dbus-daemon"),
                         {QStringLiteral("--config-file=") + root + QStringLiteral("/bus.conf"), QStringLiteral("--nofork")},
                         QStringLiteral("dbus")))
        return false;

    m_port = freePort();
    const QString cupsd = QStringLiteral(
        "Listen 127.0.0.1:%1\nLogLevel warn\nBrowsing Off\nDefaultAuthType None\nWebInterface No\n"
        "ErrorPolicy abort-job\nMaxJobs 0\nPreserveJobHistory Yes\n"
        "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n</Policy>\n").arg(m_port);
    const QString files = QStringLiteral(
        "ServerRoot %1/state\nRequestRoot %1/cache\nCacheDir %1/cache\nStateDir %1/run\nTempDir %1/cache\n"
        "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\nPageLog %1/log/page_log\n").arg(root);
    if (!writeText(root + QStringLiteral("/cupsd.conf"), cupsd) || !writeText(root + QStringLiteral("/cups-files.conf"), files)
        || !startProcess(m_cupsd, QStringLiteral("cupsd"),
                         {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                          QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")},
                         QStringLiteral("cupsd")))
        return false;
    if (!QTest::qWaitFor([this] { return listening(m_port) || m_cupsd.state() == QProcess::NotRunning; }, 20000)
        || m_cupsd.state() == QProcess::NotRunning) {
        m_error = QStringLiteral("cupsd did not listen on %1").arg(m_port);
        return false;
    }
    qputenv("CUPS_SERVER", address().toUtf8());
    return true;
}

bool PrintServer::addQueue(const QString &queue, const QStringList &attributes, int printSeconds)
{
    const QString spool = m_dir.filePath(queue + QStringLiteral("-spool"));
    QDir().mkpath(spool);
    openToAll(spool);
    // The job command leaves the job's attributes beside its file.
    const QString command = m_dir.filePath(queue + QStringLiteral("-job.sh"));
    if (!writeText(command,
                   QStringLiteral("#!/bin/sh\nenv | grep '^IPP_' > \"$1.env\"\nsleep %1\nexit 0\n").arg(printSeconds), true))
        return false;
    const int port = freePort();
    QStringList arguments{QStringLiteral("-n"), QStringLiteral("localhost"), QStringLiteral("-p"), QString::number(port),
                          QStringLiteral("-d"), spool, QStringLiteral("-k"), QStringLiteral("-c"), command,
                          QStringLiteral("-r"), QStringLiteral("off")};
    if (attributes.isEmpty()) {
        arguments << QStringLiteral("-f") << QStringLiteral("application/pdf");
    } else {
        const QString conf = m_dir.filePath(queue + QStringLiteral(".conf"));
        if (!writeText(conf, QStringLiteral("ATTR mimeMediaType document-format-supported application/pdf\n")
                                 + attributes.join(QLatin1Char('\n')) + QLatin1Char('\n')))
            return false;
        arguments << QStringLiteral("-a") << conf;
    }
    arguments << queue;
    Printer printer{queue, spool, std::make_unique<QProcess>()};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("bus")));
    printer.process->setProcessEnvironment(env);
    if (!startProcess(*printer.process, QStringLiteral("ippeveprinter"), arguments, queue))
        return false;
    QProcess *process = printer.process.get();
    m_printers.push_back(std::move(printer));
    if (!QTest::qWaitFor([&] { return listening(port) || process->state() == QProcess::NotRunning; }, 20000)
        || process->state() == QProcess::NotRunning) {
        m_error = QStringLiteral("ippeveprinter %1 did not listen on %2").arg(queue).arg(port);
        return false;
    }
    QProcess admin;
    QProcessEnvironment adminEnv = QProcessEnvironment::systemEnvironment();
    adminEnv.insert(QStringLiteral("CUPS_SERVER"), address());
    admin.setProcessEnvironment(adminEnv);
    admin.setProcessChannelMode(QProcess::MergedChannels);
    admin.start(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                                            QStringLiteral("ipp://localhost:%1/ipp/print").arg(port)});
    if (!admin.waitForFinished(20000) || admin.exitCode() != 0) {
        m_error = QStringLiteral("lpadmin %1: %2").arg(queue, QString::fromLocal8Bit(admin.readAll()));
        return false;
    }
    return true;
}

const PrintServer::Printer *PrintServer::printer(const QString &queue) const
{
    for (const Printer &p : m_printers) {
        if (p.queue == queue)
            return &p;
    }
    return nullptr;
}

QString PrintServer::spoolDir(const QString &queue) const
{
    const Printer *p = printer(queue);
    return p ? p->spool : QString();
}

QStringList PrintServer::spooled(const QString &queue) const
{
    const QString spool = spoolDir(queue);
    if (spool.isEmpty())
        return {};
    QStringList files = QDir(spool).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return a.section(QLatin1Char('-'), 0, 0).toInt() < b.section(QLatin1Char('-'), 0, 0).toInt();
    });
    for (QString &file : files)
        file = spool + QLatin1Char('/') + file;
    return files;
}

bool PrintServer::waitForSpooled(const QString &queue, int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return spooled(queue).size() >= count; }, timeoutMs);
}

bool PrintServer::waitIdle(int timeoutMs) const
{
    return QTest::qWaitFor([] {
        cups_job_t *jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ACTIVE);
        cupsFreeJobs(count, jobs);
        return count == 0;
    }, timeoutMs);
}

bool PrintServer::cancelLastJob(const QString &queue) const
{
    cups_job_t *jobs = nullptr;
    const QByteArray name = queue.toUtf8();
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    int last = 0;
    for (int i = 0; i < count; ++i)
        last = qMax(last, jobs[i].id);
    cupsFreeJobs(count, jobs);
    return last > 0 && cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), last, 0) <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

QStringList PrintServer::jobAttributes(const QString &spooledPdf)
{
    QFile file(spooledPdf + QStringLiteral(".env"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
