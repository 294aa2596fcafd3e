// The ways a print goes out, the task's print step and the operator's
// button; the CUPS route itself is in PrintQueue.cpp.
#include "app/printing/Printing.h"

#include "configuration/Config.h"
#include "CupsPrinter.h"
#include "configuration/FilePaths.h"
#include "configuration/LocalFile.h"
#include "configuration/Notifier.h"
#include "app/printing/PrintFiles.h"
#include "app/task/ProductionRecords.h"
#include "app/task/TaskControl.h"
#include "app/task/TaskThreads.h"
#include "device/Varnok120X.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QtEndian>
#include <cmath>
#include <cstdio>

Printing::Printing(PrintFiles &files, ProductionRecords &records, TaskControl &task, TaskThreads &threads,
                   QObject *parent)
    : QObject(parent), m_files(files), m_records(records), m_task(task), m_threads(threads)
{
}

bool Printing::stopped() const
{
    return m_closing.load() || (m_forTask.load() && m_task.taskStatus() == 2);
}

QStringList Printing::printersName() const
{
    QStringList names;
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    for (const QString &name : queues) {
        const QString lower = name.toLower();
        if (lower.contains(QLatin1String("canon")) || lower.contains(QLatin1String("epson"))
            || lower.contains(QLatin1String("hoson")))
            names << name;
    }
    names << QLatin1String(kPlugInPrinter);
    return names;
}

void Printing::printerPreference(const QString &printer)
{
    if (printer.isEmpty() || printer == QLatin1String(kPlugInPrinter)) {
        qInfo().noquote() << "DravolinteApp::printerPreference" << "no settings page for" << printer;
        return;
    }
    const QString url = QStringLiteral("http://") + CupsPrinter::serverAddress() + QStringLiteral("/printers/")
                        + QString::fromLatin1(QUrl::toPercentEncoding(printer));
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty() || !QProcess::startDetached(opener, {url}))
        qCritical().noquote() << "DravolinteApp::printerPreference" << "cannot open" << url;
}

void Printing::printPdfFile(const QString &name, const QString &printer)
{
    const Config *cfg = Config::instance();
    if (!cfg)
        return;
    if (!m_task.checkParams().enablePrint) {
        Notifier::information(tr("禁用打印"));
        return;
    }
    const QString file = LocalFile::pathFromVariant(name);
    if (file.isEmpty() && printer != QLatin1String(kPlugInPrinter)) {
        Notifier::information(tr("打印文件未打开 \n"));
        return;
    }
    if (cfg->getProperty(Config::CPT_Enable_Print_Marker_Type).toInt() != 0 && m_files.printCutSceneEmpty()) {
        Notifier::information(tr("切割文件未打开 \n"));
        return;
    }
    const int copies = cfg->getProperty(Config::CPT_printCopiesOnce).toInt();
    // Off the GUI thread: a job takes seconds, and the next record's page is
    // made on the GUI thread meanwhile.
    m_threads.run("DravolinteApp::printPdfFile", [this, file, printer, copies] {
        if (!m_printLock.tryLock()) {
            Notifier::information(tr("正在打印,请稍后重试"));
            return;
        }
        m_forTask.store(false);
        printLocked(file, printer, copies);
        m_printLock.unlock();
    }, false);
}

void Printing::print()
{
    const Config *cfg = Config::instance();
    Varnok120X *device = m_driver.load();
    if (!cfg || !m_task.checkParams().enablePrint || m_files.printFile().isEmpty() || cfg->printerName().isEmpty())
        return;
    int n = cfg->getProperty(Config::CPT_printCopiesOnce).toInt();
    const int wanted = m_records.printTaskCopies();
    if (wanted > 0) {
        const int left = wanted - m_records.printCopies();
        if (left <= 0)
            return; // the task has all its copies
        n = qMin(n, left);
    }
    const ProductionRecords::RunLengths run = m_records.runLengths();
    const double printRoller = device ? device->printRoller() : 0.0;
    const double filmRoller = device ? device->filmRoller() : 0.0;
    const double buffered = (run.printed - run.cut) / 10.0 - (run.printRollerAtStart - printRoller) * 4.0
                            - 2 * (run.filmRollerAtStart - filmRoller);
    if (qMax(buffered, 0.0) > (cfg->getProperty(Config::CPT_Print_Roller_Max).toDouble() - printRoller) * 4.0)
        return;
    const double height = m_files.printPageSize().height();
    if (!(height > 0.0) || !std::isfinite(height)) {
        qCritical().noquote() << "DravolinteApp::print" << "no page height, nothing printed" << m_files.printFile();
        return;
    }
    const double room = (cfg->getProperty(Config::CPT_Print_Roller_Trigger).toDouble() - printRoller) * 4.0;
    const int pages = int(qBound(-1e9, room * 10.0 / height, 1e9));
    qInfo().noquote() << "DravolinteApp::print" << room << pages;
    QMutexLocker lock(&m_printLock);
    m_forTask.store(true);
    printLocked(m_files.printFile(), cfg->printerName(), qMax(1, qMin(pages, n)));
    m_forTask.store(false);
}

bool Printing::printPdf(const QString &file, const QString &printer, int copies)
{
    QMutexLocker lock(&m_printLock);
    m_forTask.store(false);
    return printLocked(file, printer, copies);
}

bool Printing::printLocked(const QString &file, const QString &printer, int copies)
{
    QElapsedTimer started;
    started.start();
    const Config *cfg = Config::instance();
    if (!cfg)
        return false;
    const QString folder = cfg->getProperty(Config::CPT_RIIN_Input).toString();
    if (cfg->getProperty(Config::CPT_Version).toInt() == Config::VT_7x4
        && cfg->getProperty(Config::CPT_Enable_RIIN_Input).toBool() && !folder.isEmpty())
        return printToFolder(file, folder, copies);

    qDebug().noquote() << "DravolinteApp::printPdf" << printer << file << m_records.printCopies();
    const bool plugIn = printer == QLatin1String(kPlugInPrinter);
    if ((file.isEmpty() && !plugIn) || printer.isEmpty()) {
        qCritical().noquote() << "DravolinteApp::printPdf" << "printPdf failed, printerName is null or printFile is null";
        return false;
    }
    if (copies < 1)
        return false;
    const int batch = qMax(1, cfg->getProperty(Config::CPT_printPagesOnce).toInt());
    if (copies > batch && (m_files.enabledDataSource() || !cfg->getProperty(Config::CPT_Printer_Copies).toBool())) {
        while (copies > 0) {
            const int n = qMin(copies, batch);
            if (stopped() || !printLocked(file, printer, n))
                return false;
            // The plug-in takes a moment before it hears the next request.
            for (const QDeadlineTimer pause(plugIn ? 500 : 0); !pause.hasExpired() && !stopped();)
                QThread::msleep(20);
            copies -= n;
        }
        return true;
    }
    if (plugIn)
        return printToPlugIn();
    const bool ok = printToQueue(file, printer, copies);
    qInfo().noquote() << "DravolinteApp::printPdf" << "打印时长" << started.elapsed() / 1000.0 << " s.";
    return ok;
}

bool Printing::printToFolder(const QString &file, const QString &folder, int copies)
{
    const double height = qMax(0.0, m_files.printPageSize().height());
    const QString name = QFileInfo(file).fileName();
    bool ok = true;
    for (int i = 0; i < copies; ++i) {
        const int k = m_records.printCopies() + 1;
        const QString target = QStringLiteral("%1/%2_%3_%4")
                                   .arg(folder, QString::number(k),
                                        QString::number(QDeadlineTimer::current().deadline()), name);
        // The program watching the folder must never see a half-written copy.
        const QString partial = folder + QStringLiteral("/.") + QFileInfo(target).fileName() + QStringLiteral(".part");
        QFile::remove(partial);
        QFile source(file);
        const bool copied = source.copy(partial)
                            && std::rename(QFile::encodeName(partial).constData(),
                                           QFile::encodeName(target).constData()) == 0;
        if (!copied) {
            qCritical().noquote() << "DravolinteApp::printPdf" << "CopyFileA failed" << source.errorString() << file
                                  << "->" << target;
            QFile::remove(partial);
            ok = false;
            continue;
        }
        bookPrinted(1, 1, height);
        m_records.setPrintCopies(k);
    }
    return ok;
}

bool Printing::printToPlugIn()
{
    const Config *cfg = Config::instance();
    const int pages = cfg ? cfg->getProperty(Config::CPT_printPagesOnce).toInt() : 1;
    const QString error = m_link.open();
    if (!error.isEmpty()) {
        qCritical().noquote() << "DravolinteApp::createCDRHandle" << error;
        return false;
    }
    QByteArray request(84, '\0');
    const qint32 fields[] = {1, pages, 0, 8, 1};
    for (int i = 0; i < 5; ++i)
        qToLittleEndian<qint32>(fields[i], request.data() + 4 * i);
    QString detail;
    const PlugInLink::Result result = m_link.request(request, m_plugInWaitMs.load(), [this] { return stopped(); }, &detail);
    if (result != PlugInLink::Result::Done) {
        const char *why = result == PlugInLink::Result::TimedOut ? "timed out"
                          : result == PlugInLink::Result::Stopped ? "stopped"
                                                                   : "failed";
        qCritical().noquote() << "DravolinteApp::printPdf" << detail << why;
        // Opened afresh next time: the plug-in may have gone and come back.
        m_link.close();
        return false;
    }
    m_records.setPrintCopies(m_records.printCopies() + pages);
    return true;
}

void Printing::bookPrinted(int pages, int copies, double heightMm)
{
    const double mm = double(pages) * copies * heightMm;
    m_records.addPrintedLength(mm);
    if (Config *cfg = Config::instance()) {
        cfg->addToCounter(Config::CPT_Today_Print, mm * 0.001);
        cfg->addToCounter(Config::CPT_Total_Print, mm * 0.001);
    }
}

int Printing::updatePrintRecord(int printed)
{
    return m_records.updatePrintRecord(printed, m_task.taskStatus() != 2,
                                       m_files.enabledDataSource() ? m_files.dataIndex() : -1);
}
