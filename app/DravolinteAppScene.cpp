// Opening a cut file into the cut scene (main thread), and switching the cut
// file to the one of a task code read at the marks (work thread), which
// waits, bounded, for the main thread's open.
#include "DravolinteApp.h"

#include "GItem.h"
#include "GMarkItem.h"
#include "GPage.h"
#include "GPathProcess.h"
#include "GScene.h"
#include "Log.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <cmath>

QString DravolinteApp::sceneFile() const
{
    QMutexLocker lock(&m_stateLock);
    return m_sceneFile;
}

void DravolinteApp::onOpenScene(const QString &cutFile)
{
    qInfo().noquote() << "DravolinteApp::onOpenScene" << cutFile;
    {
        QMutexLocker lock(&m_stateLock);
        m_sceneFile = cutFile;
    }
    Config *cfg = config();
    bool fileOrder = false;
    QSizeF page, definition;
    {
        // The work thread reads the scene between two opens, never during one.
        QWriteLocker lock(&m_sceneLock);
        m_cutScene->openFile(cutFile, false);
        fileOrder = m_cutScene->containSX();
        const GPage *scenePage = m_cutScene->page();
        const GMarkItem *mark = scenePage ? scenePage->markItem() : nullptr;
        // A page cut turned round: about the page's centre, after the marked
        // area is moved by its margins. Not with several knife lanes.
        if (cfg && cfg->getProperty(Config::CPT_Cut_Inverse).toBool() && mark && mark->multiOffset().size() <= 1) {
            const QMarginsF margins = GPathProcess::mm2Point(mark->margins());
            const QPointF centre = mark->srcRect().center();
            QTransform turn;
            turn.translate(centre.x(), centre.y());
            turn.rotateRadians(M_PI, Qt::ZAxis);
            turn.translate(-centre.x(), -centre.y());
            turn.translate(-(margins.left() + margins.right()), -(margins.top() + margins.bottom()));
            QList<GItem *> items;
            m_cutScene->exportCutItems(items, false, false, false);
            for (GItem *item : std::as_const(items))
                item->setTransform(turn, true);
        }
        if (scenePage) {
            const QPageLayout layout = scenePage->layout();
            page = layout.fullRect(QPageLayout::Millimeter).size();
            definition = layout.pageSize().definitionSize();
        }
    }
    // A file that brings its own cutting order is not sorted again.
    if (cfg && cfg->getProperty(Config::CPT_Enable_Sort).toBool() != !fileOrder)
        cfg->setProperty(Config::CPT_Enable_Sort, !fileOrder);
    emit refreshView();
    setPageSizes(page, definition);

    // The preview reads a copy beside the program. The working file may be
    // that copy itself (an opened scene file): copying it onto itself would
    // empty it.
    const QString show = filesDir() + QStringLiteral("/showplt.plt");
    const QFileInfo source(cutFile), target(show);
    if (source.exists() && target.exists() && source.canonicalFilePath() == target.canonicalFilePath())
        qInfo().noquote() << "DravolinteApp::onOpenScene" << "the file is the preview copy, not copied";
    else if (!copyFile(cutFile, show))
        qCritical().noquote() << "DravolinteApp::onOpenScene" << "Failed to copy file.";
    // Signalled also when only the copy's content changed: the preview reloads.
    if (cutShowFile() == show)
        emit cutShowFileChanged();
    else
        setCutShowFile(show);

    loadTemplate();

    QMutexLocker lock(&m_sceneMutex);
    m_openedFile = cutFile;
    m_sceneOpened.wakeAll();
}

bool DravolinteApp::setSwitchCutFile(bool b)
{
    m_switchingCutFile.store(b);
    if (b) {
        // The next scanned code fills it.
        QMutexLocker lock(&m_stateLock);
        m_taskRecord.code = 0;
        return true;
    }
    Config *cfg = config();
    quint32 code = 0;
    {
        QMutexLocker lock(&m_stateLock);
        code = m_taskRecord.code;
    }
    QString target = cutFile();
    if (code != 0 && cfg) {
        TaskRecord task;
        WorkRecord work;
        const bool taskFound = cfg->db().selectTaskRecord(code, task);
        bool workFound = false;
        QString stale;
        if (taskFound) {
            qInfo().noquote() << "DravolinteApp::setSwitchCutFile" << "识别切割内容" << code;
            workFound = cfg->db().selectWorkRecord(task.work_record_timestamp, work);
        }
        QString file;
        {
            QMutexLocker lock(&m_stateLock);
            if (taskFound)
                m_taskRecord = task;
            if (workFound) {
                m_cutWorkRecord = work;
            } else {
                // The record of the label before names another cut: never cut that one.
                stale = m_cutWorkRecord.cut_file;
                m_cutWorkRecord.cut_file.clear();
            }
            if (m_cutWorkRecord.cut_file.isEmpty() || !QFileInfo::exists(m_cutWorkRecord.cut_file)) {
                const QString dir = cfg->getProperty(Config::CPT_Plt_Dir).toString();
                m_cutWorkRecord.cut_file = dir + QLatin1Char('/') + QString::number(code, 16) + QStringLiteral(".plt");
            }
            file = m_cutWorkRecord.cut_file;
        }
        if (taskFound && !workFound)
            qCritical().noquote() << "DravolinteApp::setSwitchCutFile" << stale << "is not exist";
        else if (!taskFound)
            qWarning().noquote() << "DravolinteApp::setSwitchCutFile" << "no task record for code" << code;
        qInfo().noquote() << "DravolinteApp::setSwitchCutFile" << "切割文件" << file;
        if (target != file && QFileInfo::exists(file)) {
            qInfo().noquote() << "DravolinteApp::setSwitchCutFile" << file;
            target = file;
        }
    }
    if (target.isEmpty())
        return false;
    if (sceneFile() == target)
        return true;

    // Opened on the main thread, which owns the scene. From the main thread
    // itself there is nobody to wait for.
    if (QThread::currentThread() == thread()) {
        onOpenScene(target);
        return true;
    }
    const int startStatus = taskStatus();
    QElapsedTimer waited;
    waited.start();
    QMutexLocker lock(&m_sceneMutex);
    // An open of this file that finished before this request does not answer it.
    m_openedFile.clear();
    emit openScene(target);
    // Until the open of this very file has finished; not for ever: the main
    // thread may be waiting for this job (shutdown), or the task may stop.
    while (m_openedFile != target) {
        bool closing = false;
        {
            QMutexLocker state(&m_stateLock);
            closing = m_closing;
        }
        const bool stopped = startStatus != 2 && taskStatus() == 2;
        if (stopped || closing || waited.elapsed() > kSceneOpenWaitMs) {
            qCritical().noquote() << "DravolinteApp::setSwitchCutFile" << "gave up waiting for" << target << "after"
                                  << waited.elapsed() << "ms" << (stopped ? "(task stopped)" : closing ? "(closing)" : "");
            return false;
        }
        m_sceneOpened.wait(&m_sceneMutex, 50);
    }
    return true;
}
