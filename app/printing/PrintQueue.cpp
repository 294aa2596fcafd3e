// A print as a job on a CUPS queue, and the watch over that job.
#include "app/printing/Printing.h"

#include "configuration/Config.h"
#include "CupsPrinter.h"
#include "app/GuiCall.h"
#include "app/printing/PrintFiles.h"
#include "app/printing/PrintJob.h"
#include "app/printing/PrintPage.h"
#include "app/task/ProductionRecords.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QElapsedTimer>
#include <QThread>

namespace {

struct StatusLine
{
    quint32 bit;
    bool critical;
    const char *text;
};

// In the order the spooler's status is told.
const StatusLine kStatusLines[] = {
    {CupsPrinter::JobBlockedDevq, true, "驱动程序无法打印作业"},
    {CupsPrinter::JobDeleted, false, "作业已删除"},
    {CupsPrinter::JobDeleting, false, "正在删除作业"},
    {CupsPrinter::JobError, true, "错误与作业相关联"},
    {CupsPrinter::JobOffline, true, "打印机处于脱机状态"},
    {CupsPrinter::JobPaperOut, true, "打印机没有纸张"},
    {CupsPrinter::JobPaused, true, "作业已暂停"},
    {CupsPrinter::JobPrinted, false, "作业已打印"},
    {CupsPrinter::JobPrinting, false, "作业正在打印"},
    {CupsPrinter::JobRestart, false, "作业已重启"},
    {CupsPrinter::JobSpooling, true, "作业正在假脱机"},
    {CupsPrinter::JobUserIntervention, true, "打印机出现错误，要求用户执行某些操作"},
};

void logStatus(quint32 status)
{
    qDebug().noquote() << "DravolinteApp::printPdf" << "JOB_INFO_2A Status" << QString::number(status, 16);
    for (const StatusLine &line : kStatusLines) {
        if (!(status & line.bit))
            continue;
        if (line.critical)
            qCritical().noquote() << "DravolinteApp::printPdf" << line.text;
        else
            qDebug().noquote() << "DravolinteApp::printPdf" << line.text;
    }
}

} // namespace

bool Printing::printToQueue(const QString &file, const QString &printer, int copies)
{
    const Config *cfg = Config::instance();
    if (!cfg)
        return false;
    const QSizeF page = m_files.printPageSize();
    if (!page.isValid() || !(page.width() > 0.0) || !(page.height() > 0.0)) {
        qCritical().noquote() << "DravolinteApp::printPdf" << "no page size, nothing printed" << file;
        return false;
    }
    const bool dataSource = m_files.enabledDataSource();
    if (dataSource && m_files.recordUsedUp()) {
        qCritical().noquote() << "DravolinteApp::printPdf" << "the data source has no record left" << file;
        return false;
    }
    if (PrintPage::isTif(file) && cfg->getProperty(Config::CPT_Version).toInt() != Config::VT_7x4) {
        qCritical().noquote() << "DravolinteApp::printPdf" << "TIF files print on this machine version only" << file;
        return false;
    }
    const CupsPrinter::Capabilities caps = CupsPrinter::capabilities(printer);
    if (!caps.found) {
        qCritical().noquote() << "DravolinteApp::printPdf" << "CreateDCA failed" << m_records.printCopies() + 1
                              << printer << caps.error;
        return false;
    }
    // The printer makes the copies of one page when it can and may.
    const bool printerCopies = !dataSource && cfg->getProperty(Config::CPT_Printer_Copies).toBool()
                               && caps.maxCopies > 1 && copies <= caps.maxCopies;
    const int deviceCopies = printerCopies ? copies : 1;
    const int loops = printerCopies ? 1 : copies;
    const int dpi = PrintPage::printDpi(page, caps.dpi);
    if (dpi != caps.dpi)
        qWarning().noquote() << "DravolinteApp::printPdf" << "page too large for" << caps.dpi << "dpi, drawn at" << dpi;

    PrintJob job(page, dpi);
    const int markerType = cfg->getProperty(Config::CPT_Enable_Print_Marker_Type).toInt();
    const QRectF markerMm = PrintJob::markSizeFromPlt(m_files.markPlace(), markerType);
    const bool lines = cfg->getProperty(Config::CPT_Enable_DrawLine).toBool();
    const int firstRecord = m_files.dataIndex();
    int k = m_records.printCopies();
    bool complete = true;
    QImage drawn;
    QString drawnFile;
    for (int i = 0; i < loops && complete && !stopped(); ++i) {
        // With a data source each copy is the next record's page.
        const QString current = dataSource ? m_files.printFile() : file;
        if (current != drawnFile) {
            QString error;
            drawn = PrintPage::render(current, job.pixelSize(), &error);
            drawnFile = current;
            if (drawn.isNull()) {
                qCritical().noquote() << "DravolinteApp::printPdf" << "StartPage failed" << k + 1 << printer << current
                                      << error;
                complete = false;
                break;
            }
        }
        const int code = updatePrintRecord(deviceCopies);
        job.addPage(drawn, quint32(code), markerType, markerMm, lines);
        const int first = k + 1;
        k += deviceCopies;
        qInfo().noquote() << "DravolinteApp::printPdf"
                          << (deviceCopies > 1 ? QStringLiteral("%1 - %2").arg(first).arg(k) : QString::number(first));
        if (dataSource && !callOnGuiThread([this] { return m_files.setDataIndex(m_files.dataIndex() + 1); },
                                           kRecordWaitMs, [this] { return stopped(); })) {
            m_files.setRecordUsedUp();
            complete = i + 1 == loops;
        }
    }
    if (job.pageCount() == 0)
        return false;
    const CupsPrinter::Submission sent =
        CupsPrinter::submit(printer, printer, job.finish(), deviceCopies, caps.customMedia ? page : QSizeF());
    if (sent.jobId <= 0) {
        qCritical().noquote() << "DravolinteApp::printPdf" << "StartDocA failed" << m_records.printCopies() + 1
                              << printer << sent.error;
        // The records made for it are printed another time.
        if (dataSource && m_files.dataIndex() != firstRecord)
            callOnGuiThread([this, firstRecord] { return m_files.setDataIndex(firstRecord); }, kRecordWaitMs,
                            [this] { return m_closing.load(); });
        return false;
    }
    bookPrinted(job.pageCount(), deviceCopies, page.height());
    m_records.setPrintCopies(k);
    qDebug().noquote() << "DravolinteApp::printPdf" << "print succeed" << k;
    bool ok = complete && job.pageCount() == loops;
    if (cfg->getProperty(Config::CPT_Wait_Print).toBool())
        ok = watchJob(sent.jobId) && ok;
    return ok;
}

bool Printing::watchJob(int jobId)
{
    QElapsedTimer watched;
    watched.start();
    const QDeadlineTimer limit(kJobWatchMs);
    quint32 last = ~0u;
    CupsPrinter::JobState state;
    for (;;) {
        state = CupsPrinter::jobState(jobId);
        if (!state.known) {
            qWarning().noquote() << "DravolinteApp::printPdf" << "job" << jobId << "cannot be asked:" << state.error;
            break;
        }
        if (state.status != last) {
            last = state.status;
            logStatus(state.status);
        }
        if (state.finished || limit.hasExpired() || stopped())
            break;
        QThread::msleep(kJobPollMs);
    }
    qInfo().noquote() << "DravolinteApp::printPdf" << "查询打印任务状态时间" << watched.elapsed() / 1000.0 << " s.";
    if (state.failed) {
        qCritical().noquote() << "DravolinteApp::printPdf" << "job" << jobId << "was not printed";
        return false;
    }
    if (state.known && !state.finished)
        qWarning().noquote() << "DravolinteApp::printPdf" << "job" << jobId << "still under way when the watch ended";
    return true;
}
