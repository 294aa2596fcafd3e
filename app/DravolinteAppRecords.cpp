// Copies, production counters and records, and the values the task's
// workers read: check parameters, rewind length, film results.
#include "DravolinteApp.h"

#include <QDebug>
#include <QRect>

void DravolinteApp::loadCheckParams()
{
    m_execOnce.store(false);
    Config *cfg = config();
    if (!cfg)
        return;
    CheckParams params;
    params.enablePrint = cfg->getProperty(Config::CPT_Enable_Print).toBool();
    params.enableOCR = cfg->getProperty(Config::CPT_Enable_OCR).toBool();
    params.enableQRCode = cfg->getProperty(Config::CPT_Enable_QRCode).toBool();
    params.enableBARCode = cfg->getProperty(Config::CPT_Enable_BARCode).toBool();
    params.threshold = cfg->getProperty(Config::CPT_Threshold).toDouble();
    params.iouThreshold = cfg->getProperty(Config::CPT_iou_Threshold).toDouble();
    params.modelPath = cfg->getProperty(Config::CPT_MODEL_Path).toString();
    QMutexLocker lock(&m_stateLock);
    m_check = params;
}

bool DravolinteApp::finishedOneCopies()
{
    // A trial run ends after its one copy and books nothing.
    if (m_execOnce.exchange(false)) {
        loadCheckParams();
        return false;
    }
    Config *cfg = config();
    if (!cfg)
        return false;
    const int cutTask = cutTaskCopies();
    if (cfg->enableCut()) {
        if (cutTask != 0) {
            double copyLength = 0.0;
            bool coded = false;
            {
                QMutexLocker lock(&m_stateLock);
                ++m_workRecord.cut_cnt;
                copyLength = m_pageDefSize.height();
                m_copyRunLength += copyLength + cfg->pageSpacing();
                coded = m_taskRecord.code != 0;
            }
            m_cutCopies.fetch_add(1);
            emit cutCopiesChanged();
            const float metres = float(copyLength * 0.001);
            cfg->setTodayCopies(cfg->todayCopies() + 1);
            cfg->setTotalCopies(cfg->totalCopies() + 1);
            cfg->setTodayCut(cfg->todayCut() + metres);
            cfg->setTotalCut(cfg->totalCut() + metres);
            if (coded)
                updateCutRecord();
        }
        if (cutTask >= 1 && cutCopies() >= cutTask)
            return false;
    }
    if (!checkParams().enablePrint)
        return true;
    const int printTask = printTaskCopies();
    if (printTask < 1)
        return true;
    return printCopies() < printTask;
}

void DravolinteApp::updateCutRecord()
{
    Config *cfg = config();
    if (!cfg)
        return;
    WorkRecord work;
    TaskRecord task;
    {
        QMutexLocker lock(&m_stateLock);
        ++m_cutWorkRecord.cut_cnt;
        work = m_cutWorkRecord;
        ++m_taskRecord.cutCopies;
        m_taskRecord.cutTime = QDateTime::currentDateTime();
        m_taskRecord.work_record_timestamp = m_cutWorkRecord.timestamp;
        task = m_taskRecord;
    }
    quint32 kind = DbCutUpdate;
    cfg->db().updateWorkRecord(work, kind);
    kind = DbCutUpdate;
    cfg->db().updateTaskRecord(task, kind);
}

int DravolinteApp::updatePrintRecord(int printed)
{
    Config *cfg = config();
    if (!cfg || cfg->getProperty(Config::CPT_Enable_Print_Marker_Type).toInt() == 0)
        return 0;
    const quint32 code = cfg->db().maxTaskCode();
    if (code == 0) {
        qCritical().noquote() << "DravolinteApp::updatePrintRecord" << "getCode Failed";
        return 0;
    }
    const QDateTime now = QDateTime::currentDateTime();
    TaskRecord task;
    task.timestamp = now;
    WorkRecord work;
    {
        QMutexLocker lock(&m_stateLock);
        if (taskStatus() != 2) {
            m_workRecord.print_cnt += quint32(printed);
            work = m_workRecord;
        } else {
            // A batch printed outside a task is a job of its own.
            work.timestamp = now;
            work.dataSourceFile = m_workRecord.dataSourceFile;
            work.cut_file = m_workRecord.cut_file;
            work.print_file = m_workRecord.print_file;
            work.print_cnt = quint32(printed);
        }
    }
    task.work_record_timestamp = work.timestamp;
    quint32 kind = DbPrintUpdate;
    cfg->db().updateWorkRecord(work, kind);
    task.code = code;
    task.dataIndex = enabledDataSource() ? dataIndex() : -1;
    task.printCopies = quint32(printed);
    task.printTime = now;
    kind = DbPrintUpdate;
    cfg->db().updateTaskRecord(task, kind);
    return int(code);
}

double DravolinteApp::collectLen() const
{
    QMutexLocker lock(&m_stateLock);
    return m_collectLen;
}

void DravolinteApp::setCollectLen(double len)
{
    double old = 0.0;
    {
        QMutexLocker lock(&m_stateLock);
        if (qFuzzyCompare(m_collectLen, len))
            return;
        old = m_collectLen;
        m_collectLen = len;
    }
    qInfo().noquote() << "DravolinteApp::setCollectLen" << old << "->" << len;
    emit collectLenChanged();
}

void DravolinteApp::resetPaperCenter()
{
    QMutexLocker lock(&m_stateLock);
    m_paperCenter = 0.0;
}

void DravolinteApp::clearFilm(int index)
{
    if (m_films.clear(index))
        emit filmViewUpdate(QRect());
}
