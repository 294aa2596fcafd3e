// Opening a cut file into the cut scene (main thread), and switching the cut
// file to the one of a task code read at the marks (work thread), which
// waits, bounded, for the main thread's open.
#include "app/task/CutScene.h"

#include "configuration/Config.h"
#include "configuration/FilePaths.h"
#include "platform/graphics/GItem.h"
#include "platform/graphics/GMarkItem.h"
#include "platform/graphics/GPage.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/GScene.h"
#include "configuration/records/Log.h"
#include "app/task/ProductionRecords.h"
#include "device/Varnok120X.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <cmath>

CutScene::CutScene(ProductionRecords &records, const TaskHost &task, QObject *parent)
    : QObject(parent), m_records(records), m_task(task), m_scene(std::make_unique<GScene>())
{
    m_scene->setGSceneFlag(2, true);
    m_scene->setGSceneFlag(1, true);
    m_scene->setGSceneFlag(4, true);
}

CutScene::~CutScene() = default;

DRAVO_GUARDED_PROPERTY(CutScene, QString, const QString &, cutFile, setCutFile, m_cutFile)
DRAVO_GUARDED_PROPERTY(CutScene, QString, const QString &, cutShowFile, setCutShowFile, m_cutShowFile)

QString CutScene::sceneFile() const
{
    return m_sceneFile.get();
}

QSizeF CutScene::pageSize() const
{
    return m_pageSize.get();
}

QSizeF CutScene::pageDefSize() const
{
    return m_pageDefSize.get();
}

void CutScene::setPageSizes(const QSizeF &page, const QSizeF &definition)
{
    m_pageSize.set(page);
    m_pageDefSize.set(definition);
}

void CutScene::close()
{
    m_closing.store(true);
    QMutexLocker lock(&m_openLock);
    m_opened.wakeAll();
}

void CutScene::open(const QString &file)
{
    qInfo().noquote() << "DravolinteApp::onOpenScene" << file;
    m_sceneFile.set(file);
    Config *cfg = Config::instance();
    bool fileOrder = false;
    QSizeF page, definition;
    {
        // The work thread reads the scene between two opens, never during one.
        QWriteLocker lock(&m_sceneLock);
        m_scene->openFile(file, false);
        fileOrder = m_scene->containSX();
        const GPage *scenePage = m_scene->page();
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
            m_scene->exportCutItems(items, false, false, false);
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

    // The preview reads a copy beside the program's files. The working file
    // may be that copy itself (an opened scene file): copying it onto itself
    // would empty it.
    const QString dir = programFilesFolder();
    const QString show = dir + QStringLiteral("/showplt.plt");
    const QFileInfo source(file), target(show);
    if (source.exists() && target.exists() && source.canonicalFilePath() == target.canonicalFilePath())
        qInfo().noquote() << "DravolinteApp::onOpenScene" << "the file is the preview copy, not copied";
    else if (!copyFile(file, show))
        qCritical().noquote() << "DravolinteApp::onOpenScene" << "Failed to copy file.";
    // Signalled also when only the copy's content changed: the preview reloads.
    m_cutShowFile.set(show);
    emit cutShowFileChanged();

    // Without a page picture the labels cannot be checked: the operator is
    // told once for the file, not at every image the check leaves alone.
    if (!loadTemplate() && m_templateLoader)
        tellNoTemplate();

    QMutexLocker lock(&m_openLock);
    m_openedFile = file;
    m_opened.wakeAll();
}

bool CutScene::loadTemplate()
{
    if (m_templateLoader && m_templateLoader()) {
        emit templateLoaded();
        return true;
    }
    if (!m_templateLoader)
        qInfo().noquote() << "DravolinteApp::loadTemplate" << "no label check to load the template";
    return false;
}

void CutScene::tellNoTemplate()
{
    const Config *cfg = Config::instance();
    Varnok120X *driver = m_driver.load();
    if (driver && cfg && cfg->getProperty(Config::CPT_Enable_Detection).toBool())
        driver->setErrorMessage(QCoreApplication::translate("CutScene", "切割文件没有页面图像，标签检测未进行"));
}

QImage CutScene::background(QList<SceneSegment> *rows, QList<SceneSegment> *cols) const
{
    QReadLocker lock(&m_sceneLock);
    if (rows)
        *rows = m_scene->rowSegments();
    if (cols)
        *cols = m_scene->colSegments();
    return m_scene->bkImage();
}

bool CutScene::setSwitchCutFile(bool b)
{
    m_switching.store(b);
    if (b) {
        m_records.forgetTaskCode(); // the next scanned code fills it
        return true;
    }
    QString target = cutFile();
    const QString coded = m_records.cutFileOfTaskCode();
    if (!coded.isEmpty() && target != coded && QFileInfo::exists(coded)) {
        qInfo().noquote() << "DravolinteApp::setSwitchCutFile" << coded;
        target = coded;
    }
    if (target.isEmpty())
        return false;
    if (sceneFile() == target)
        return true;

    // Opened on the main thread, which owns the scene. From the main thread
    // itself there is nobody to wait for.
    if (QThread::currentThread() == thread()) {
        open(target);
        return true;
    }
    const int startStatus = m_task.taskStatus();
    QElapsedTimer waited;
    waited.start();
    {
        // An open of this file that finished before this request does not answer it.
        QMutexLocker lock(&m_openLock);
        m_openedFile.clear();
    }
    emit openScene(target);
    QMutexLocker lock(&m_openLock);
    // Until the open of this very file has finished; not for ever: the main
    // thread may be waiting for this job (shutdown), or the task may stop.
    while (m_openedFile != target) {
        const bool closing = m_closing.load();
        const bool stopped = startStatus != 2 && m_task.taskStatus() == 2;
        if (stopped || closing || waited.elapsed() > kSceneOpenWaitMs) {
            qCritical().noquote() << "DravolinteApp::setSwitchCutFile" << "gave up waiting for" << target << "after"
                                  << waited.elapsed() << "ms" << (stopped ? "(task stopped)" : closing ? "(closing)" : "");
            return false;
        }
        m_opened.wait(&m_openLock, 50);
    }
    return true;
}
