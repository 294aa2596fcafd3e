#pragma once

#include "PlugInLink.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>

class PrintFiles;
class ProductionRecords;
class TaskControl;
class TaskThreads;
class Varnok120X;

// Printing the print file, in one of three ways: copies into the input
// folder of the outside printing program (machine version VT_7x4), a
// request to the drawing program's plug-in (printer "CorelDRAW"), or a job
// on a CUPS queue: the page at the printer's resolution with the task code
// as a marker, a page per copy unless the printer makes the copies, watched
// until it is done when asked. Books the printed copies and lengths.
//
// One print at a time (the counters have one writer): the task's print step
// on the work thread, the operator's button on a short thread of its own.
class Printing : public QObject
{
    Q_OBJECT

public:
    // The name that sends prints to the drawing program's plug-in.
    static constexpr const char *kPlugInPrinter = "CorelDRAW";
    // How long the plug-in may take to give the link free and to answer.
    static constexpr int kPlugInWaitMs = 30000;
    // A job is watched every kJobPollMs, at most kJobWatchMs.
    static constexpr int kJobPollMs = 200;
    static constexpr int kJobWatchMs = 300000;
    // The GUI thread makes the next record's page within this.
    static constexpr int kRecordWaitMs = 30000;

    // All must outlive this object.
    Printing(PrintFiles &files, ProductionRecords &records, TaskControl &task, TaskThreads &threads,
             QObject *parent = nullptr);

    void setDriver(Varnok120X *driver) { m_driver.store(driver); }
    // The program closes: waits give up, nothing new starts.
    void close() { m_closing.store(true); }
    void setPlugInWaitMs(int ms) { m_plugInWaitMs.store(ms); }

    // The queues whose name names a label printer make, then "CorelDRAW".
    QStringList printersName() const;
    // Opens the queue's page of the CUPS server in the browser.
    void printerPreference(const QString &printer);
    // The operator's button: refusals are told; the print runs on a thread.
    void printPdfFile(const QString &file, const QString &printer);
    // The task's print step (work thread): the copies that fit on the web.
    void print();
    // Prints copies of file; true when every one went out.
    bool printPdf(const QString &file, const QString &printer, int copies);
    // Books a printed batch; the task code it was given, 0 when none.
    int updatePrintRecord(int printed);

private:
    bool printLocked(const QString &file, const QString &printer, int copies);
    bool printToFolder(const QString &file, const QString &folder, int copies);
    bool printToPlugIn();
    bool printToQueue(const QString &file, const QString &printer, int copies);
    // Follows the job until it is done; false when it was aborted or canceled.
    bool watchJob(int jobId);
    // Books pages printed of a page height heightMm, each of copies.
    void bookPrinted(int pages, int copies, double heightMm);
    bool stopped() const;

    PrintFiles &m_files;
    ProductionRecords &m_records;
    TaskControl &m_task;
    TaskThreads &m_threads;
    std::atomic<Varnok120X *> m_driver{nullptr};
    std::atomic<bool> m_closing{false};
    std::atomic<int> m_plugInWaitMs{kPlugInWaitMs};
    // Whether the print under way is the task's (its stop ends the waits).
    std::atomic<bool> m_forTask{false};
    QMutex m_printLock; // one print at a time; guards m_link
    PlugInLink m_link;
};
