#pragma once

#include "configuration/records/DbRecords.h"
#include "configuration/Guarded.h"

#include <QMutex>
#include <QObject>

// The copies of the task and the production records: the counters the pages
// show, the bookkeeping of each finished copy (counters in "config.ini",
// records in "config.db") and the task code read at the marks with the
// records it names. Any thread.
class ProductionRecords : public QObject
{
    Q_OBJECT

public:
    explicit ProductionRecords(QObject *parent = nullptr);

    int cutTaskCopies() const;
    void setCutTaskCopies(int v);
    int cutCopies() const;
    void setCutCopies(int v);
    int printTaskCopies() const;
    void setPrintTaskCopies(int v);
    int printCopies() const;
    void setPrintCopies(int v);
    int checkedCopies() const { return m_checkedCopies.get(); }
    // Counts a checked page; returns the count before it (0: the first page
    // after a recount, which only starts the count).
    int addCheckedCopy();
    void reCount();

    // Books one finished copy of copyLengthMm; false when the task has all
    // its copies (cut copies, or print copies while printing).
    bool finishedOneCopies(double copyLengthMm, bool printing);
    void updateCutRecord();
    // Records a printed batch under the newest task code; returns that code,
    // 0 when print records are off or no code exists. dataIndex -1: no data source.
    int updatePrintRecord(int printed, bool taskRunning, int dataIndex);

    WorkRecord currentWorkRecord() const;
    WorkRecord cutWorkRecord() const;
    TaskRecord currentTaskRecord() const;
    void setCurrentTaskRecord(const TaskRecord &record);
    // A task starts: its work record counts from now.
    void startWork();
    // The files of the print job, as the pages choose them.
    void setDataSourceFile(const QString &file);
    void setPrintFile(const QString &file);
    void setPrintCutFile(const QString &file);

    // The web the task has used so far: millimetres printed and cut since
    // the start, and the print and film roller readings at the start.
    struct RunLengths
    {
        double printed = 0.0;
        double cut = 0.0;
        double printRollerAtStart = 0.0;
        double filmRollerAtStart = 0.0;
        bool operator==(const RunLengths &o) const
        {
            return printed == o.printed && cut == o.cut && printRollerAtStart == o.printRollerAtStart
                   && filmRollerAtStart == o.filmRollerAtStart;
        }
    };
    RunLengths runLengths() const { return m_run.get(); }
    void startRun(double printRoller, double filmRoller);
    void addPrintedLength(double mm);

    bool hasTaskCode() const;
    // Before a first-mark search: the next code read fills it.
    void forgetTaskCode();
    // A code read at the first mark; 0 or below is no code.
    void takeTaskCode(int code);
    // The cut file of the task code read: its work record's, else
    // "<plt dir>/<code in hex>.plt". Empty without a code.
    QString cutFileOfTaskCode();

signals:
    void cutTaskCopiesChanged();
    void cutCopiesChanged();
    void printTaskCopiesChanged();
    void printCopiesChanged();
    void checkedCopiesChanged();

private:
    Guarded<RunLengths> m_run;
    Guarded<int> m_cutTaskCopies{100}, m_cutCopies{0}, m_printTaskCopies{100}, m_printCopies{0}, m_checkedCopies{0};
    mutable QMutex m_lock;
    WorkRecord m_work;
    WorkRecord m_cutWork;
    TaskRecord m_task;
};
