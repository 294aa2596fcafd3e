#pragma once

#include "device/DriverHost.h"
#include "configuration/Guarded.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class CutScene;
class ProductionRecords;
class TaskThreads;
class Varnok120X;

// Task control: the task status, the checks before a start and the start
// itself, pause, resume and stop on short-lived threads (one request at a
// time: the busy flag), the label-check parameters and the trial run. The
// driver's task host. Any thread.
class TaskControl : public QObject, public TaskHost
{
    Q_OBJECT

public:
    // Label-check parameters, reloaded from Config by loadCheckParams.
    struct CheckParams
    {
        bool enablePrint = false;
        bool enableOCR = false;
        bool enableQRCode = false;
        bool enableBARCode = false;
        double threshold = 0.0;
        double iouThreshold = 0.0;
        QString modelPath;
    };
    // How long a job's own stop waits for a pause or resume on its way.
    static constexpr int kJobStopPatienceMs = 10000;

    // records counts the copies, cut checks the mark type and gives the
    // copy length, threads runs pause, resume and stop. All must outlive this.
    TaskControl(ProductionRecords &records, CutScene &cut, TaskThreads &threads, QObject *parent = nullptr);

    void setDriver(Varnok120X *driver) { m_driver.store(driver); }
    // Whether a print file is open, for the start checks; none by default.
    void setPrintFileOpen(std::function<bool()> open) { m_printFileOpen = std::move(open); }

    // The reasons against a start go to the driver's error message.
    bool isAllowedStart();
    // Refused, changing nothing, while a job or a request is under way.
    void startTask(bool recount, bool execOnce);
    void pauseTask(bool wait);
    void resumeTask(bool wait);
    void stopTask(bool wait) override;
    bool finishedOneCopies() override;
    int cutTaskCopies() const override;
    void print() override { emit printRequested(); }
    void loadCheckParams() override;
    QString messageText() const override { return m_messageText.get(); }

    CheckParams checkParams() const;
    bool isExecOnce() const { return m_execOnce.load(); }
    bool isTaskThreadBusy() const { return m_busy.load(); }
    int segmentX() const { return m_segmentX.get(); }
    // The label check's page row (segmentXChanged when it changed).
    void setSegmentX(int row)
    {
        if (m_segmentX.set(row))
            emit segmentXChanged();
    }

signals:
    void taskStatusChanged();
    void segmentXChanged();
    void printRequested();

protected:
    void taskStatusStored(int old, int status) override;

private:
    // Runs body (which releases the busy flag) on a thread; when the program
    // is closing the body does not run and the flag is released here.
    void runBusy(const char *origin, void (TaskControl::*body)(), bool wait);
    void refuseBusy(const char *origin);
    void pauseBody();
    void resumeBody();
    void moveJob(const char *origin, int fromMotor, const char *actName, const std::function<bool(Varnok120X *)> &act,
                 int status);
    void stopBody();

    ProductionRecords &m_records;
    CutScene &m_cut;
    TaskThreads &m_threads;
    std::atomic<Varnok120X *> m_driver{nullptr};
    std::function<bool()> m_printFileOpen;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_execOnce{false};
    mutable QMutex m_checkLock;
    CheckParams m_check;
    Guarded<int> m_segmentX{-1};
    Guarded<QString> m_messageText;
};
