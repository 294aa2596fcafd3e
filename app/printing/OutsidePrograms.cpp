#include "app/printing/OutsidePrograms.h"

#include "configuration/Config.h"
#include "DesktopWindows.h"
#include "configuration/FilePaths.h"
#include "ProcessTable.h"
#include "device/Varnok120X.h"

#include <QDebug>
#include <QFileInfo>
#include <QMetaEnum>
#include <QStandardPaths>
#include <QTimer>
#include <QTimerEvent>

namespace {

template <typename E>
QString enumName(E value)
{
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(int(value)));
}

} // namespace

OutsidePrograms::OutsidePrograms(QObject *parent) : QObject(parent)
{
    for (QProcess *process : {&m_rip, &m_printerSoft}) {
        connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
            finished(process, code, status);
        });
    }
}

OutsidePrograms::~OutsidePrograms()
{
    close();
}

void OutsidePrograms::init(const QStringList &printers)
{
    Config *cfg = Config::instance();
    if (!cfg)
        return;
    const bool rip = cfg->getProperty(Config::CPT_Version).toInt() == Config::VT_7x4;
    // The store signals printerNameChanged itself.
    if (cfg->printerName().isEmpty() && !printers.isEmpty() && !rip)
        cfg->setProperty(Config::CPT_Printer_Name, printers.first());
    m_enabled = rip;
    if (!rip)
        return;
    m_rip.setProgram(cfg->getProperty(Config::CPT_RIIN_Path).toString());
    m_printerSoft.setProgram(cfg->getProperty(Config::CPT_Printer_Soft_Path).toString());
    if (cfg->enablePrint()) {
        watch(m_rip, kWatchMs);
        watch(m_printerSoft, kWatchMs);
    }
}

void OutsidePrograms::close()
{
    m_closing = true;
    stopWatching(m_rip);
    stopWatching(m_printerSoft);
    closeProcess(m_printerSoft);
    closeProcess(m_rip);
}

void OutsidePrograms::watch(QProcess &process, int intervalMs)
{
    int &timer = timerOf(process);
    if (timer == 0 && !m_closing)
        timer = startTimer(intervalMs, Qt::CoarseTimer);
}

void OutsidePrograms::stopWatching(QProcess &process)
{
    int &timer = timerOf(process);
    if (timer != 0)
        killTimer(timer);
    timer = 0;
}

void OutsidePrograms::pathChanged(int key, const QString &path)
{
    if (!m_enabled || m_closing)
        return;
    QProcess &process = key == Config::CPT_RIIN_Path ? m_rip : m_printerSoft;
    if (path == process.program())
        return;
    m_replacing = &process; // its end starts nothing: the new program comes with the watch
    process.kill();
    process.waitForFinished(kCloseWaitMs);
    m_replacing = nullptr;
    process.setProgram(path);
    if (timerOf(process) == 0) {
        watch(process, kPathChangedWatchMs);
        qInfo().noquote() << "DravolinteApp::onPropertyChanged"
                          << (&process == &m_rip ? "startTimer RIIN" : "startTimer PrinterSoft");
    }
}

bool OutsidePrograms::openProcess(QProcess &process)
{
    if (process.processId() > 0)
        return true;
    const QString program = process.program();
    if (m_closing || program.isEmpty() || !QFileInfo(program).isFile())
        return false;
    // A copy started elsewhere is left alone, and not adopted.
    if (ProcessTable::isRunning(QFileInfo(program).fileName()))
        return false;
    // A program that ends at once is not started again at once, for ever.
    QElapsedTimer &lastStart = lastStartOf(process);
    if (lastStart.isValid() && lastStart.elapsed() < kRestartGapMs)
        return false;
    lastStart.start();
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(kStartWaitMs)) {
        qCritical().noquote() << "DravolinteApp::openProcess" << "start failed" << program << enumName(process.error());
        return false;
    }
    qInfo().noquote() << "DravolinteApp::openProcess" << "start" << program << process.processId();
    return true;
}

bool OutsidePrograms::closeWndByPid(QProcess &process)
{
    switch (DesktopWindows::minimise(process.processId())) {
    case DesktopWindows::Result::NoDisplay:
        if (!m_noDisplayLogged)
            qInfo().noquote() << "DravolinteApp::closeWndByPid" << "no X11 display: windows are left as they are";
        m_noDisplayLogged = true;
        return true;
    case DesktopWindows::Result::AlreadyMinimised:
        return true;
    case DesktopWindows::Result::MinimiseAsked:
        qInfo().noquote() << "DravolinteApp::closeWndByPid" << "SW_SHOWMINIMIZED" << process.program() << true;
        m_lastMinimised.start();
        return false;
    case DesktopWindows::Result::NotFound:
    case DesktopWindows::Result::NotVisible:
        break;
    }
    return false;
}

void OutsidePrograms::timerEvent(QTimerEvent *event)
{
    QProcess &process = event->timerId() == m_ripTimer ? m_rip : m_printerSoft;
    if (event->timerId() != timerOf(process))
        return;
    if (!openProcess(process) || !closeWndByPid(process))
        return;
    if (&process == &m_rip && m_lastMinimised.isValid() && m_lastMinimised.elapsed() <= kRipSteadyMs)
        return;
    stopWatching(process);
}

void OutsidePrograms::finished(QProcess *process, int exitCode, QProcess::ExitStatus exitStatus)
{
    qDebug().noquote() << "DravolinteApp::slotFinished" << exitCode << enumName(exitStatus) << process->program();
    if (m_closing || !m_enabled || process == m_replacing)
        return;
    // Too soon after the last start, or not there now: the watch tries again;
    // started, its new window is minimised by the watch as well.
    openProcess(*process);
    watch(*process, kWatchMs);
}

bool OutsidePrograms::closeProcess(QProcess &process)
{
    if (process.state() != QProcess::NotRunning) {
        qDebug().noquote() << "DravolinteApp::closeProcess" << "begin close" << process.program();
        process.kill();
        process.waitForFinished(kCloseWaitMs);
        process.close();
        qDebug().noquote() << "DravolinteApp::closeProcess" << "end close" << process.program();
    }
    return true;
}

bool OutsidePrograms::openLabelExcel(Varnok120X *driver)
{
    const QString report = labelReportPath();
    // The report is GBK, comma-separated, quoted with '"'.
    const QString csv = QStringLiteral("--infilter=Text - txt - csv (StarCalc):44,34,85,1");
    const QList<QPair<QString, QStringList>> programs{
        {QStringLiteral("localc"), {csv, report}},
        {QStringLiteral("libreoffice"), {QStringLiteral("--calc"), csv, report}},
        {QStringLiteral("et"), {report}},
    };
    for (const auto &[name, arguments] : programs) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty() && QProcess::startDetached(program, arguments)) {
            qInfo().noquote() << "DravolinteApp::openLabelExcel" << program << report;
            return true;
        }
    }
    qCritical().noquote() << "DravolinteApp::openLabelExcel" << "no spreadsheet program";
    if (driver)
        driver->setErrorMessage(tr("文件打开失败，请安装office或wps"));
    return false;
}
