#include "platform/graphics/scenefiles/SceneWriter.h"

#include "platform/graphics/paths/GPathProcess.h"
#include "PltHeader.h"
#include "platform/graphics/scenefiles/TqcFormat.h"

#include <QBuffer>
#include <QDebug>
#include <QJsonDocument>
#include <QSaveFile>
#include <cmath>

namespace {

void appendNumber(QByteArray &out, double v)
{
    const double whole = std::round(v);
    if (std::fabs(v - whole) < 5e-5) {
        out += QByteArray::number(qint64(whole));
        return;
    }
    QByteArray s = QByteArray::number(v, 'f', 4);
    while (s.endsWith('0'))
        s.chop(1);
    out += s;
}

PltHeader headerOf(const SceneData &scene)
{
    PltHeader h;
    if (!scene.hasPage || !scene.hasMark)
        return h;
    h.valid = true;
    h.pageLength = GPathProcess::mm2Hpgl(scene.pageMm.height());
    h.pageWidth = GPathProcess::mm2Hpgl(scene.pageMm.width());
    h.areaOffsetLength = GPathProcess::mm2Hpgl(scene.markAreaMm.y());
    h.areaOffsetWidth = GPathProcess::mm2Hpgl(scene.markAreaMm.x());
    h.areaLength = GPathProcess::mm2Hpgl(scene.markAreaMm.height());
    h.areaWidth = GPathProcess::mm2Hpgl(scene.markAreaMm.width());
    h.hasArea = true;
    h.markType = scene.markType;
    h.hasMarkSize = true;
    h.markSize = GPathProcess::mm2Hpgl(scene.markSizeMm);
    for (double lane : scene.lanesPt)
        h.lanes << GPathProcess::point2Hpgl(lane);
    return h;
}

// Returns the subpaths per item.
QList<int> appendPaths(QByteArray &out, const SceneData &scene)
{
    const QPointF origin = scene.hasMark ? scene.markAreaScene().topLeft() : QPointF(0, 0);
    QList<int> items;
    items.reserve(scene.paths.size());
    int tool = -1;
    for (const ScenePath &sp : scene.paths) {
        if (sp.tool != tool) {
            tool = sp.tool;
            out += "SP" + QByteArray::number(tool) + ";\n";
        }
        int subpaths = 0;
        for (const QPolygonF &polygon : sp.path.toSubpathPolygons()) {
            // Points that print alike are one point to a reader: keep them once.
            QByteArray previous;
            QByteArray line;
            int points = 0;
            for (const QPointF &point : polygon) {
                const QPointF p = GPathProcess::point2Hpgl(point - origin);
                if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                    continue;
                QByteArray xy;
                appendNumber(xy, p.x());
                xy += ',';
                appendNumber(xy, p.y());
                if (xy == previous)
                    continue;
                line += points == 0 ? "PU" : points == 1 ? ";PD" : ",";
                line += xy;
                previous = xy;
                ++points;
            }
            if (points < 2)
                continue;
            ++subpaths;
            out += line;
            out += ";\n";
        }
        if (subpaths > 0)
            items << subpaths;
    }
    out += "PU0,0;\n";
    return items;
}

} // namespace

QByteArray SceneWriter::plt(const SceneData &scene)
{
    QByteArray out = headerOf(scene).toHpgl();
    if (out.isEmpty())
        out = "IN;";
    out += '\n';
    appendPaths(out, scene);
    return out;
}

QByteArray SceneWriter::tqc(const SceneData &scene)
{
    QByteArray out = headerOf(scene).toHpgl();
    if (out.isEmpty())
        out = "IN;";
    out += "\nCO\"" + QByteArray(TqcFormat::kMagic) + "\";\n";
    QByteArray paths;
    const QList<int> items = appendPaths(paths, scene);
    const QByteArray json = QJsonDocument(TqcFormat::toJson(scene, items)).toJson(QJsonDocument::Compact);
    out += "CO\"" + QByteArray(TqcFormat::kSceneTag) + json.toBase64() + "\";\n";
    if (!scene.background.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        scene.background.save(&buffer, "PNG");
        out += "CO\"" + QByteArray(TqcFormat::kImageTag) + png.toBase64() + "\";\n";
    }
    out += paths;
    return out;
}

bool SceneWriter::writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qWarning().noquote() << "SceneWriter::writeFile" << "cannot write" << path << file.errorString();
        return false;
    }
    return true;
}
