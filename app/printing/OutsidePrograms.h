#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class Varnok120X;

// The programs the machine works beside. On machine version VT_7x4 the RIP
// (CPT_RIIN_Path) and the printer program (CPT_Printer_Soft_Path) are
// started, kept minimised by a watch timer each, and started again when they
// end (once a second at most); a copy started by somebody else is left
// alone. The inspection report opens in a spreadsheet program. GUI thread.
class OutsidePrograms : public QObject
{
    Q_OBJECT

public:
    static constexpr int kWatchMs = 1000;
    static constexpr int kPathChangedWatchMs = 100;
    static constexpr int kStartWaitMs = 30000;
    static constexpr int kRestartGapMs = 1000;
    // The RIP's window must have stayed minimised this long.
    static constexpr int kRipSteadyMs = 5000;
    static constexpr int kCloseWaitMs = 5000;

    explicit OutsidePrograms(QObject *parent = nullptr);
    ~OutsidePrograms() override;

    // Sets the printer name from printers when none is chosen, and on
    // VT_7x4 sets up and watches both programs.
    void init(const QStringList &printers);
    // The program ends with the application: no restart, both closed.
    void close();
    // A program path parameter (87 RIP, 90 printer program) changed.
    void pathChanged(int key, const QString &path);

    // Whether process runs (started now, unless another copy runs already).
    bool openProcess(QProcess &process);
    // Whether process's window is minimised already; asks for it when shown.
    bool closeWndByPid(QProcess &process);
    bool closeProcess(QProcess &process);
    // A program ended: started again, once a second at most.
    void finished(QProcess *process, int exitCode, QProcess::ExitStatus exitStatus);

    // Opens the inspection report: LibreOffice Calc, else WPS; false when
    // neither is there (the driver's message says so).
    bool openLabelExcel(Varnok120X *driver);

    QProcess &rip() { return m_rip; }
    QProcess &printerSoft() { return m_printerSoft; }
    bool isWatching(const QProcess &process) const { return timerOf(process) != 0; }

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    int &timerOf(QProcess &process) { return &process == &m_rip ? m_ripTimer : m_printerSoftTimer; }
    int timerOf(const QProcess &process) const { return &process == &m_rip ? m_ripTimer : m_printerSoftTimer; }
    QElapsedTimer &lastStartOf(QProcess &process) { return &process == &m_rip ? m_ripStarted : m_printerSoftStarted; }
    void watch(QProcess &process, int intervalMs);
    void stopWatching(QProcess &process);

    QProcess m_rip;
    QProcess m_printerSoft;
    int m_ripTimer = 0;
    int m_printerSoftTimer = 0;
    QElapsedTimer m_ripStarted, m_printerSoftStarted;
    QElapsedTimer m_lastMinimised; // invalid: never had to
    QProcess *m_replacing = nullptr; // killed for a new program
    bool m_enabled = false;        // VT_7x4
    bool m_closing = false;
    bool m_noDisplayLogged = false;
};
