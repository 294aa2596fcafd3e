#include "platform/graphics/scenefiles/SceneReader.h"

#include "platform/graphics/paths/GPathProcess.h"
#include "PltHeader.h"
#include "platform/graphics/scenefiles/TqcFormat.h"
#include "hpgl.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <vector>

namespace {

struct Record
{
    int pen;
    QPolygonF points; // plotter units
};

struct Collector
{
    std::vector<Record> records;
    qint64 dropped = 0;
    bool tqc = false;
    bool sawComment = false;
    QByteArray scene;
    QByteArray image;
};

void collect(void *context, HPGL_Info info)
{
    auto *c = static_cast<Collector *>(context);
    if (info.kind == HPGL_KIND_PATH) {
        if (c->records.size() >= size_t(SceneReader::kMaxPaths)) {
            ++c->dropped;
            return;
        }
        Record r{info.pen, QPolygonF()};
        r.points.reserve(info.count);
        for (const HPGL_Point *p = info.points; p; p = p->next)
            r.points << QPointF(p->x, p->y);
        c->records.push_back(std::move(r));
    } else if (info.kind == HPGL_KIND_COMMENT) {
        const QByteArray text = QByteArray::fromRawData(info.text, info.textLength);
        if (!c->sawComment) {
            c->sawComment = true;
            c->tqc = text == TqcFormat::kMagic;
        } else if (c->tqc && text.startsWith(TqcFormat::kSceneTag) && c->scene.isEmpty()) {
            const int skip = int(qstrlen(TqcFormat::kSceneTag));
            c->scene = QByteArray(info.text + skip, info.textLength - skip);
        } else if (c->tqc && text.startsWith(TqcFormat::kImageTag) && c->image.isEmpty()) {
            const int skip = int(qstrlen(TqcFormat::kImageTag));
            c->image = QByteArray(info.text + skip, info.textLength - skip);
        }
    }
}

void applyHeader(const PltHeader &h, SceneData &scene)
{
    if (!h.valid) {
        if (!h.problem.isEmpty())
            scene.problems << QStringLiteral("layout header: ") + h.problem;
        return;
    }
    scene.hasPage = true;
    scene.pageMm = QSizeF(GPathProcess::hpgl2Mm(h.pageWidth), GPathProcess::hpgl2Mm(h.pageLength));
    scene.hasMark = true;
    scene.markType = h.markType;
    // Without a size the mark is 5 points across, as the preview draws it.
    scene.markSizeMm = h.hasMarkSize ? GPathProcess::hpgl2Mm(h.markSize) : GPathProcess::point2Mm(5.0);
    scene.markAreaMm = QRectF(GPathProcess::hpgl2Mm(h.areaOffsetWidth), GPathProcess::hpgl2Mm(h.areaOffsetLength),
                              GPathProcess::hpgl2Mm(h.areaWidth), GPathProcess::hpgl2Mm(h.areaLength));
    for (double lane : h.lanes)
        scene.lanesPt << GPathProcess::hpgl2Point(lane);
}

// A plain plotter file: the page reaches from the origin to the farthest point
// (an A4 sheet when that is less than a millimetre), with an unmarked area covering it.
void plainPage(const std::vector<Record> &records, SceneData &scene)
{
    double along = 0;
    double across = 0;
    for (const Record &r : records) {
        for (const QPointF &p : r.points) {
            along = std::max(along, p.x());
            across = std::max(across, p.y());
        }
    }
    const double length = GPathProcess::hpgl2Mm(along);
    const double width = GPathProcess::hpgl2Mm(across);
    scene.hasPage = true;
    scene.pageMm = (length >= 1 && width >= 1) ? QSizeF(width, length) : QSizeF(210, 297);
    scene.hasMark = true;
    scene.markType = 0;
    scene.markSizeMm = GPathProcess::point2Mm(5.0);
    scene.markAreaMm = QRectF(QPointF(0, 0), scene.pageMm);
}

QImage decodeImage(const QByteArray &base64, QStringList &problems)
{
    const auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        problems << QStringLiteral("the background image is damaged");
        return QImage();
    }
    QBuffer buffer;
    buffer.setData(*decoded);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(256);
    QImage image = reader.read();
    if (image.isNull()) {
        problems << QStringLiteral("the background image cannot be read: ") + reader.errorString();
        return QImage();
    }
    return image.convertToFormat(QImage::Format_RGB888);
}

QList<int> applyTqc(const Collector &c, SceneData &scene)
{
    const auto decoded = QByteArray::fromBase64Encoding(c.scene, QByteArray::AbortOnBase64DecodingErrors);
    QJsonParseError error{};
    const QJsonDocument doc = decoded ? QJsonDocument::fromJson(*decoded, &error) : QJsonDocument();
    QList<int> items;
    if (!doc.isObject()) {
        scene.problems << QStringLiteral("the scene description is damaged; header and paths only");
    } else {
        scene.hasMark = false;
        scene.lanesPt.clear();
        items = TqcFormat::fromJson(doc.object(), scene);
    }
    if (!c.image.isEmpty())
        scene.background = decodeImage(c.image, scene.problems);
    return items;
}

} // namespace

SceneData SceneReader::read(const QByteArray &bytes)
{
    SceneData scene;
    applyHeader(PltHeader::parse(bytes), scene);

    Collector c;
    HPGL_Reader *reader = init_HPGL();
    read_HPGL_data(reader, bytes.constData(), bytes.size(), collect, &c);
    const HPGL_Stats stats = stats_HPGL(reader);
    exit_HPGL(reader);
    if (stats.truncated)
        scene.problems << QStringLiteral("too many points, the file is read in part");
    if (c.dropped > 0)
        scene.problems << QStringLiteral("%1 paths beyond %2 left out").arg(c.dropped).arg(kMaxPaths);

    QList<int> items;
    if (c.tqc)
        items = applyTqc(c, scene);
    if (!scene.hasPage && !c.records.empty())
        plainPage(c.records, scene);

    qsizetype total = 0;
    for (int n : items)
        total += n;
    if (!items.isEmpty() && total != qsizetype(c.records.size())) {
        scene.problems << QStringLiteral("the item grouping does not match the paths");
        items.clear();
    }

    const QPointF origin = scene.hasMark ? scene.markAreaScene().topLeft() : QPointF(0, 0);
    scene.paths.reserve(items.isEmpty() ? qsizetype(c.records.size()) : items.size());
    size_t next = 0;
    const qsizetype groups = items.isEmpty() ? qsizetype(c.records.size()) : items.size();
    for (qsizetype g = 0; g < groups; ++g) {
        const int count = items.isEmpty() ? 1 : items[g];
        ScenePath sp;
        // Plotters number their pens from 1; no pen or an absurd number means the first tool.
        const int pen = c.records[next].pen;
        sp.tool = pen >= 1 && pen <= 255 ? pen : 1;
        for (int k = 0; k < count; ++k, ++next) {
            const QPolygonF &points = c.records[next].points;
            sp.path.moveTo(origin + GPathProcess::hpgl2Point(points.front()));
            for (qsizetype i = 1; i < points.size(); ++i)
                sp.path.lineTo(origin + GPathProcess::hpgl2Point(points[i]));
        }
        scene.paths << std::move(sp);
    }
    if (!scene.hasSegments)
        scene.computeSegments();
    return scene;
}

bool SceneReader::readFile(const QString &path, SceneData &scene)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "SceneReader::readFile" << "cannot open" << path << file.errorString();
        scene = SceneData();
        return false;
    }
    const qint64 size = file.size();
    if (uchar *mapped = size > 0 ? file.map(0, size) : nullptr) {
        scene = read(QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(size)));
        file.unmap(mapped);
    } else {
        scene = read(file.readAll());
    }
    for (const QString &problem : std::as_const(scene.problems))
        qWarning().noquote() << "SceneReader::readFile" << path << problem;
    if (scene.paths.isEmpty())
        qInfo().noquote() << "SceneReader::readFile" << path << "holds no cut paths";
    return true;
}
