#include "app/task/ProductionRecords.h"

#include "configuration/Config.h"

#include <QDebug>
#include <QFileInfo>

ProductionRecords::ProductionRecords(QObject *parent) : QObject(parent)
{
    const QDateTime now = QDateTime::currentDateTime();
    m_work.timestamp = now;
    m_cutWork.timestamp = now;
    m_task.timestamp = now;
}

DRAVO_GUARDED_PROPERTY(ProductionRecords, int, int, cutTaskCopies, setCutTaskCopies, m_cutTaskCopies)
DRAVO_GUARDED_PROPERTY(ProductionRecords, int, int, cutCopies, setCutCopies, m_cutCopies)
DRAVO_GUARDED_PROPERTY(ProductionRecords, int, int, printTaskCopies, setPrintTaskCopies, m_printTaskCopies)
DRAVO_GUARDED_PROPERTY(ProductionRecords, int, int, printCopies, setPrintCopies, m_printCopies)

void ProductionRecords::reCount()
{
    setPrintCopies(0);
    setCutCopies(0);
    if (m_checkedCopies.set(0))
        emit checkedCopiesChanged();
}

int ProductionRecords::addCheckedCopy()
{
    int before = 0;
    m_checkedCopies.update([&](int &n) {
        before = n;
        ++n;
        return true;
    });
    emit checkedCopiesChanged();
    return before;
}

bool ProductionRecords::finishedOneCopies(double copyLengthMm, bool printing)
{
    Config *cfg = Config::instance();
    if (!cfg)
        return false;
    const int cutTask = cutTaskCopies();
    if (cfg->enableCut()) {
        if (cutTask != 0) {
            bool coded = false;
            {
                QMutexLocker lock(&m_lock);
                ++m_work.cut_cnt;
                coded = m_task.code != 0;
            }
            m_cutCopies.update([](int &n) {
                ++n;
                return true;
            });
            emit cutCopiesChanged();
            const double spacing = cfg->pageSpacing();
            m_run.update([&](RunLengths &run) {
                run.cut += copyLengthMm + spacing;
                return true;
            });
            const float metres = float(copyLengthMm * 0.001);
            cfg->addToCounter(Config::CPT_Today_Copies, 1);
            cfg->addToCounter(Config::CPT_Total_Copies, 1);
            cfg->addToCounter(Config::CPT_Today_Cut, metres);
            cfg->addToCounter(Config::CPT_Total_Cut, metres);
            if (coded)
                updateCutRecord();
        }
        if (cutTask >= 1 && cutCopies() >= cutTask)
            return false;
    }
    const int printTask = printTaskCopies();
    return !printing || printTask < 1 || printCopies() < printTask;
}

void ProductionRecords::updateCutRecord()
{
    Config *cfg = Config::instance();
    if (!cfg)
        return;
    WorkRecord work;
    TaskRecord task;
    {
        QMutexLocker lock(&m_lock);
        ++m_cutWork.cut_cnt;
        work = m_cutWork;
        ++m_task.cutCopies;
        m_task.cutTime = QDateTime::currentDateTime();
        m_task.work_record_timestamp = m_cutWork.timestamp;
        task = m_task;
    }
    quint32 kind = DbCutUpdate;
    cfg->db().updateWorkRecord(work, kind);
    kind = DbCutUpdate;
    cfg->db().updateTaskRecord(task, kind);
}

int ProductionRecords::updatePrintRecord(int printed, bool taskRunning, int dataIndex)
{
    Config *cfg = Config::instance();
    if (!cfg || cfg->getProperty(Config::CPT_Enable_Print_Marker_Type).toInt() == 0)
        return 0;
    const quint32 code = cfg->db().maxTaskCode();
    if (code == 0) {
        qCritical().noquote() << "DravolinteApp::updatePrintRecord" << "getCode Failed";
        return 0;
    }
    const QDateTime now = QDateTime::currentDateTime();
    WorkRecord work;
    {
        QMutexLocker lock(&m_lock);
        if (taskRunning) {
            m_work.print_cnt += quint32(printed);
            work = m_work;
        } else {
            // A batch printed outside a task is a job of its own.
            work.timestamp = now;
            work.dataSourceFile = m_work.dataSourceFile;
            work.cut_file = m_work.cut_file;
            work.print_file = m_work.print_file;
            work.print_cnt = quint32(printed);
        }
    }
    quint32 kind = DbPrintUpdate;
    cfg->db().updateWorkRecord(work, kind);
    TaskRecord task;
    task.timestamp = now;
    task.work_record_timestamp = work.timestamp;
    task.code = code;
    task.dataIndex = dataIndex;
    task.printCopies = quint32(printed);
    task.printTime = now;
    kind = DbPrintUpdate;
    cfg->db().updateTaskRecord(task, kind);
    return int(code);
}

WorkRecord ProductionRecords::currentWorkRecord() const
{
    QMutexLocker lock(&m_lock);
    return m_work;
}

WorkRecord ProductionRecords::cutWorkRecord() const
{
    QMutexLocker lock(&m_lock);
    return m_cutWork;
}

TaskRecord ProductionRecords::currentTaskRecord() const
{
    QMutexLocker lock(&m_lock);
    return m_task;
}

void ProductionRecords::setCurrentTaskRecord(const TaskRecord &record)
{
    QMutexLocker lock(&m_lock);
    m_task = record;
}

void ProductionRecords::startWork()
{
    QMutexLocker lock(&m_lock);
    m_work.timestamp = QDateTime::currentDateTime();
}

void ProductionRecords::setDataSourceFile(const QString &file)
{
    QMutexLocker lock(&m_lock);
    m_work.dataSourceFile = file;
}

void ProductionRecords::setPrintFile(const QString &file)
{
    QMutexLocker lock(&m_lock);
    m_work.print_file = file;
}

void ProductionRecords::setPrintCutFile(const QString &file)
{
    QMutexLocker lock(&m_lock);
    m_work.cut_file = file;
}

void ProductionRecords::startRun(double printRoller, double filmRoller)
{
    RunLengths run;
    run.printRollerAtStart = printRoller;
    run.filmRollerAtStart = filmRoller;
    m_run.set(run);
}

void ProductionRecords::addPrintedLength(double mm)
{
    m_run.update([mm](RunLengths &run) {
        run.printed += mm;
        return true;
    });
}

bool ProductionRecords::hasTaskCode() const
{
    QMutexLocker lock(&m_lock);
    return m_task.code > 0;
}

void ProductionRecords::forgetTaskCode()
{
    QMutexLocker lock(&m_lock);
    m_task.code = 0;
}

void ProductionRecords::takeTaskCode(int code)
{
    QMutexLocker lock(&m_lock);
    if (code > 0)
        m_task.code = quint32(code);
}

QString ProductionRecords::cutFileOfTaskCode()
{
    Config *cfg = Config::instance();
    quint32 code = 0;
    {
        QMutexLocker lock(&m_lock);
        code = m_task.code;
    }
    if (code == 0 || !cfg)
        return QString();
    TaskRecord task;
    WorkRecord work;
    const bool taskFound = cfg->db().selectTaskRecord(code, task);
    bool workFound = false;
    if (taskFound) {
        qInfo().noquote() << "DravolinteApp::setSwitchCutFile" << "识别切割内容" << code;
        workFound = cfg->db().selectWorkRecord(task.work_record_timestamp, work);
    }
    QString stale, file;
    {
        QMutexLocker lock(&m_lock);
        if (taskFound)
            m_task = task;
        if (workFound) {
            m_cutWork = work;
        } else {
            // The record of the label before names another cut: never cut that one.
            stale = m_cutWork.cut_file;
            m_cutWork.cut_file.clear();
        }
        if (m_cutWork.cut_file.isEmpty() || !QFileInfo::exists(m_cutWork.cut_file)) {
            const QString dir = cfg->getProperty(Config::CPT_Plt_Dir).toString();
            m_cutWork.cut_file = dir + QLatin1Char('/') + QString::number(code, 16) + QStringLiteral(".plt");
        }
        file = m_cutWork.cut_file;
    }
    if (taskFound && !workFound)
        qCritical().noquote() << "DravolinteApp::setSwitchCutFile" << stale << "is not exist";
    else if (!taskFound)
        qWarning().noquote() << "DravolinteApp::setSwitchCutFile" << "no task record for code" << code;
    qInfo().noquote() << "DravolinteApp::setSwitchCutFile" << "切割文件" << file;
    return file;
}
