#pragma once

#include <QCoreApplication>
#include <QString>
#include <atomic>

// What the machine pages may write to the controller: the values each write
// takes, the operator's texts for a write that was refused or not accepted,
// and the web-guide reset that runs off the GUI thread (its reply may take
// seconds), one at a time. The driver's page-write slots ask it before they
// send and tell it how the write ended.
class PageWrites
{
    Q_DECLARE_TR_FUNCTIONS(PageWrites)

public:
    enum Write { CutModel, CutOffOffset, Speed, Pressure, CameraOffset, FactoryReset, SaveFactorySettings, RectifyReset, TrimReset };

    // Whether the arguments can be meant: finite numbers, a cutting mode of
    // 0 to 2, a speed or pressure not below 0. Writes without arguments take any.
    static bool acceptable(Write write, double a = 0.0, double b = 0.0);
    // The write's name in the log ("wSpeed").
    static const char *logName(Write write);
    // The text for a write that the controller did not accept (or never got).
    static QString notAccepted(Write write);
    // The text for a write refused while a task exists.
    static QString refusedMidTask();

    // The background web-guide reset: begin is false while one runs.
    bool beginRectifyReset() { return !m_rectifyResetBusy.exchange(true); }
    void endRectifyReset() { m_rectifyResetBusy.store(false); }
    bool rectifyResetBusy() const { return m_rectifyResetBusy.load(); }

private:
    std::atomic<bool> m_rectifyResetBusy{false};
};
