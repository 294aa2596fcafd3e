#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QStringList>

// The printers of this computer through CUPS (libcups): what a queue can do,
// a PDF job sent to it, and the state of a job as the spooler's status bits.
//
// Every call talks to the CUPS server of the environment (CUPS_SERVER, or
// the local scheduler) on the calling thread's own connection, and may block
// that thread for a few seconds. Safe from any thread.
class CupsPrinter
{
public:
    // The spooler's status bits of a job.
    enum JobStatusBit : quint32 {
        JobPaused = 0x1,
        JobError = 0x2,
        JobDeleting = 0x4,
        JobSpooling = 0x8,
        JobPrinting = 0x10,
        JobOffline = 0x20,
        JobPaperOut = 0x40,
        JobPrinted = 0x80,
        JobDeleted = 0x100,
        JobBlockedDevq = 0x200,
        JobUserIntervention = 0x400,
        JobRestart = 0x800,
    };

    struct Capabilities
    {
        bool found = false;
        int dpi = 300;            // the default resolution, else 300
        int maxCopies = 1;        // the largest copies the printer makes itself
        bool customMedia = false; // takes any paper size in a range
        QString error;            // why not found
    };
    // A raw queue passes jobs untouched: when it knows no resolution and its
    // device is an IPP printer, the printer's own answer counts.
    static Capabilities capabilities(const QString &queue);

    struct Submission
    {
        int jobId = 0; // 0: not sent
        QString error;
    };
    // Sends pdf as one job titled title. copies above 1 asks the printer for
    // them; a valid mediaMm asks for that paper size.
    static Submission submit(const QString &queue, const QString &title, const QByteArray &pdf, int copies,
                             const QSizeF &mediaMm);

    struct JobState
    {
        bool known = false; // false: the server could not be asked
        quint32 status = 0; // JobStatusBit values
        bool finished = false;
        bool failed = false; // aborted or canceled
        QString error;
    };
    static JobState jobState(int jobId);

    // "host:port" of the CUPS server; "localhost:631" when it is a socket.
    static QString serverAddress();
};
