#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// A CUPS server of the test's own on loopback: a system bus for the IPP
// printers (ippeveprinter), the printers with their spool folders, and
// cupsd with a raw queue in front of each. start() points the process at it
// (CUPS_SERVER). Everything it started ends with it.
class PrintServer
{
public:
    PrintServer();
    ~PrintServer();
    PrintServer(const PrintServer &) = delete;
    PrintServer &operator=(const PrintServer &) = delete;

    // The bus and the scheduler; false with error() when either fails.
    bool start();
    // A printer and its queue. attributes: lines of an ippeveprinter
    // attributes file (copies, media), PDF is always taken; each job takes
    // the printer printSeconds. Each job leaves "<id>-<name>.pdf" and
    // "<id>-<name>.pdf.env" with the job's IPP attributes.
    bool addQueue(const QString &queue, const QStringList &attributes = {}, int printSeconds = 0);
    // Cancels the newest job of queue that has not ended; false without one.
    bool cancelLastJob(const QString &queue) const;
    QString error() const { return m_error; }
    QString address() const; // "127.0.0.1:<port>" of the scheduler
    QString spoolDir(const QString &queue) const;
    // The PDFs the printer of queue received, oldest first.
    QStringList spooled(const QString &queue) const;
    // Waits until queue's printer holds count PDFs.
    bool waitForSpooled(const QString &queue, int count, int timeoutMs = 30000) const;
    // Waits until the scheduler has no job left that has not ended.
    bool waitIdle(int timeoutMs = 30000) const;

    // A job's IPP attributes as its printer saw them ("IPP_COPIES=3", ...).
    static QStringList jobAttributes(const QString &spooledPdf);

private:
    struct Printer
    {
        QString queue;
        QString spool;
        std::unique_ptr<QProcess> process;
    };
    bool startProcess(QProcess &process, const QString &program, const QStringList &arguments, const QString &name);
    static int freePort();
    const Printer *printer(const QString &queue) const;

    QTemporaryDir m_dir;
    QString m_error;
    int m_port = 0;
    QProcess m_bus;
    QProcess m_cupsd;
    std::vector<Printer> m_printers;
};
