// Opening and writing the files of a GScene.
#include "platform/graphics/GScene.h"

#include "platform/graphics/GMarkItem.h"
#include "platform/graphics/GPage.h"
#include "platform/graphics/GPathItem.h"
#include "platform/graphics/GSp.h"
#include "platform/graphics/scenefiles/SceneReader.h"
#include "platform/graphics/scenefiles/SceneWriter.h"

#include <QDebug>
#include <QElapsedTimer>

bool GScene::openFile(const QString &file, bool selectAll)
{
    QElapsedTimer timer;
    timer.start();
    gClear();
    SceneData data;
    if (!SceneReader::readFile(file, data)) {
        qWarning().noquote() << "GScene::openFile" << "cannot read" << file;
        return false;
    }
    apply(data);
    m_fileName = file;
    if (selectAll && !testGSceneFlag(GSF_Locked)) {
        for (GItem *item : std::as_const(m_items)) {
            if (item != m_mark)
                item->setSelected(true);
        }
    }
    qInfo().noquote() << "GScene::openFile" << file
                      << QStringLiteral("%1 paths, %2%3, %4 ms")
                             .arg(data.paths.size())
                             .arg(m_mark ? QStringLiteral("mark type %1").arg(m_mark->markType()) : QStringLiteral("no mark"))
                             .arg(m_explicitOrder ? QStringLiteral(", own cut order") : QString())
                             .arg(timer.elapsed());
    if (!m_page)
        qWarning().noquote() << "GScene::openFile" << file << "holds no page and no paths: the scene is empty";
    return m_page != nullptr;
}

SceneData GScene::sceneData() const
{
    SceneData data;
    if (m_page) {
        data.hasPage = true;
        data.pageMm = m_page->sizeMm();
    }
    if (m_mark) {
        data.hasMark = true;
        data.markType = m_mark->markType();
        data.markSizeMm = m_mark->markSize();
        data.markAreaMm = m_mark->areaMm();
        data.lanesPt = m_mark->multiOffset();
    }
    QList<GItem *> cut;
    exportCutItems(cut);
    for (GPathItem *item : sortCutItems(cut))
        data.paths << ScenePath{item->scenePath(), item->tool()};
    data.explicitOrder = m_explicitOrder || m_sort;
    for (const GSp *tool : tools())
        data.tools << tool->setting();
    data.hasSegments = true;
    data.rows = m_rows;
    data.cols = m_cols;
    data.background = m_background;
    data.fields = m_fields;
    return data;
}

bool GScene::exportFile(const QString &file, const QList<GItem *> &items) const
{
    SceneData data = sceneData();
    if (!items.isEmpty()) {
        data.paths.clear();
        for (GItem *item : items) {
            if (auto *path = qgraphicsitem_cast<GPathItem *>(item))
                data.paths << ScenePath{path->scenePath(), path->tool()};
        }
    }
    const bool scene = file.endsWith(QLatin1String(".tqc"), Qt::CaseInsensitive);
    const bool ok = SceneWriter::writeFile(file, scene ? SceneWriter::tqc(data) : SceneWriter::plt(data));
    qInfo().noquote() << "GScene::exportFile" << file << data.paths.size() << "paths" << (ok ? "written" : "failed");
    return ok;
}

bool GScene::saveSceneFile(const QString &file) const
{
    const bool ok = SceneWriter::writeFile(file, SceneWriter::tqc(sceneData()));
    qInfo().noquote() << "GScene::saveSceneFile" << file << (ok ? "written" : "failed");
    return ok;
}
