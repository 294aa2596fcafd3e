#include "platform/graphics/scenefiles/TqcFormat.h"

#include <QJsonArray>
#include <cmath>

namespace {

// Far beyond any page, so that whatever a cut file can describe (2^31 plotter
// units from an offset as large) is kept, while infinities and the like are not.
constexpr double kMaxMm = 1e9;
constexpr int kMaxEntries = 100000;

bool sane(double v, double limit = kMaxMm)
{
    return std::isfinite(v) && std::fabs(v) <= limit;
}

QJsonArray rectJson(const QRectF &r)
{
    return QJsonArray{r.x(), r.y(), r.width(), r.height()};
}

bool rectFrom(const QJsonValue &v, QRectF &r)
{
    const QJsonArray a = v.toArray();
    if (a.size() != 4)
        return false;
    for (const QJsonValue &e : a) {
        if (!e.isDouble() || !sane(e.toDouble()))
            return false;
    }
    r = QRectF(a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble());
    return r.width() >= 0 && r.height() >= 0;
}

QJsonArray segmentsJson(const QList<SceneSegment> &segments)
{
    QJsonArray a;
    for (const SceneSegment &s : segments)
        a.append(QJsonArray{s.start, s.end});
    return a;
}

QList<SceneSegment> segmentsFrom(const QJsonArray &a, QStringList &problems)
{
    QList<SceneSegment> out;
    for (const QJsonValue &v : a) {
        const QJsonArray pair = v.toArray();
        if (out.size() >= kMaxEntries || pair.size() != 2 || !sane(pair[0].toDouble(NAN)) ||
            !sane(pair[1].toDouble(NAN))) {
            problems << QStringLiteral("a label band was left out");
            continue;
        }
        out << SceneSegment{pair[0].toDouble(), pair[1].toDouble()};
    }
    return out;
}

QString kindName(VariableField::Kind kind)
{
    switch (kind) {
    case VariableField::QrCode:
        return QStringLiteral("qr");
    case VariableField::Barcode:
        return QStringLiteral("barcode");
    case VariableField::Text:
        break;
    }
    return QStringLiteral("text");
}

void toolsFrom(const QJsonArray &a, SceneData &scene)
{
    for (const QJsonValue &v : a) {
        const QJsonObject o = v.toObject();
        const int index = o.value(QLatin1String("index")).toInt(-1);
        if (index < 0 || index > 255 || scene.tools.size() >= 256) {
            scene.problems << QStringLiteral("a tool was left out");
            continue;
        }
        ToolSetting t = ToolSetting::defaults(index);
        t.name = o.value(QLatin1String("name")).toString(t.name);
        const QColor color(o.value(QLatin1String("color")).toString());
        if (color.isValid())
            t.color = color;
        t.flags = o.value(QLatin1String("flags")).toInt(0) & 3;
        const double close = o.value(QLatin1String("closeCompensate")).toDouble(t.closeCompensate);
        const double knife = o.value(QLatin1String("knifeCompensate")).toDouble(t.knifeCompensate);
        const double upAngle = o.value(QLatin1String("toolUpAngle")).toDouble(t.toolUpAngle);
        t.closeCompensate = sane(close, 1000) && close >= 0 ? close : t.closeCompensate;
        t.knifeCompensate = sane(knife, 1000) && knife >= 0 ? knife : t.knifeCompensate;
        t.toolUpAngle = sane(upAngle, 360) ? upAngle : t.toolUpAngle;
        t.repeat = qBound(1, o.value(QLatin1String("repeat")).toInt(1), 100);
        scene.tools << t;
    }
}

void fieldsFrom(const QJsonArray &a, SceneData &scene)
{
    for (const QJsonValue &v : a) {
        const QJsonObject o = v.toObject();
        VariableField f;
        const QString kind = o.value(QLatin1String("kind")).toString();
        f.kind = kind == QLatin1String("qr") ? VariableField::QrCode
                 : kind == QLatin1String("barcode") ? VariableField::Barcode
                                                     : VariableField::Text;
        f.column = o.value(QLatin1String("column")).toString();
        f.text = o.value(QLatin1String("text")).toString();
        f.symbology = qBound(0, o.value(QLatin1String("symbology")).toInt(0), 1000);
        const double font = o.value(QLatin1String("font")).toDouble(0);
        f.fontPt = sane(font, 1000) && font > 0 ? font : 0;
        if (scene.fields.size() >= kMaxEntries || !rectFrom(o.value(QLatin1String("rect")), f.rectMm) ||
            f.rectMm.isEmpty()) {
            scene.problems << QStringLiteral("a variable field was left out");
            continue;
        }
        scene.fields << f;
    }
}

} // namespace

namespace TqcFormat {

QJsonObject toJson(const SceneData &scene, const QList<int> &subpathsPerItem)
{
    QJsonObject json{{QStringLiteral("version"), 1}, {QStringLiteral("order"), scene.explicitOrder}};
    if (scene.hasPage)
        json.insert(QStringLiteral("page"),
                    QJsonObject{{QStringLiteral("width"), scene.pageMm.width()},
                                {QStringLiteral("length"), scene.pageMm.height()}});
    if (scene.hasMark) {
        QJsonArray lanes;
        for (double lane : scene.lanesPt)
            lanes.append(lane);
        json.insert(QStringLiteral("mark"), QJsonObject{{QStringLiteral("type"), scene.markType},
                                                        {QStringLiteral("size"), scene.markSizeMm},
                                                        {QStringLiteral("area"), rectJson(scene.markAreaMm)},
                                                        {QStringLiteral("lanes"), lanes}});
    }
    QJsonArray tools;
    for (const ToolSetting &t : scene.tools) {
        tools.append(QJsonObject{{QStringLiteral("index"), t.index},
                                 {QStringLiteral("name"), t.name},
                                 {QStringLiteral("color"), t.color.name()},
                                 {QStringLiteral("flags"), t.flags},
                                 {QStringLiteral("closeCompensate"), t.closeCompensate},
                                 {QStringLiteral("knifeCompensate"), t.knifeCompensate},
                                 {QStringLiteral("toolUpAngle"), t.toolUpAngle},
                                 {QStringLiteral("repeat"), t.repeat}});
    }
    json.insert(QStringLiteral("tools"), tools);
    if (scene.hasSegments) {
        json.insert(QStringLiteral("rows"), segmentsJson(scene.rows));
        json.insert(QStringLiteral("cols"), segmentsJson(scene.cols));
    }
    QJsonArray fields;
    for (const VariableField &f : scene.fields) {
        QJsonObject o{{QStringLiteral("kind"), kindName(f.kind)}, {QStringLiteral("rect"), rectJson(f.rectMm)}};
        if (!f.column.isEmpty())
            o.insert(QStringLiteral("column"), f.column);
        if (!f.text.isEmpty())
            o.insert(QStringLiteral("text"), f.text);
        if (f.kind == VariableField::Barcode && f.symbology)
            o.insert(QStringLiteral("symbology"), f.symbology);
        if (f.fontPt > 0)
            o.insert(QStringLiteral("font"), f.fontPt);
        fields.append(o);
    }
    if (!fields.isEmpty())
        json.insert(QStringLiteral("fields"), fields);
    bool grouped = false;
    for (int n : subpathsPerItem)
        grouped = grouped || n != 1;
    if (grouped) {
        QJsonArray items;
        for (int n : subpathsPerItem)
            items.append(n);
        json.insert(QStringLiteral("items"), items);
    }
    return json;
}

QList<int> fromJson(const QJsonObject &json, SceneData &scene)
{
    const QJsonObject page = json.value(QLatin1String("page")).toObject();
    const double width = page.value(QLatin1String("width")).toDouble(NAN);
    const double length = page.value(QLatin1String("length")).toDouble(NAN);
    if (sane(width) && sane(length) && width > 0 && length > 0) {
        scene.hasPage = true;
        scene.pageMm = QSizeF(width, length);
    } else if (json.contains(QLatin1String("page"))) {
        scene.problems << QStringLiteral("the page size is not usable");
    }

    if (json.contains(QLatin1String("mark"))) {
        const QJsonObject mark = json.value(QLatin1String("mark")).toObject();
        QRectF area;
        const double size = mark.value(QLatin1String("size")).toDouble(NAN);
        if (scene.hasPage && rectFrom(mark.value(QLatin1String("area")), area) && sane(size) && size >= 0) {
            scene.hasMark = true;
            scene.markType = mark.value(QLatin1String("type")).toInt(0);
            scene.markSizeMm = size;
            scene.markAreaMm = area;
            scene.lanesPt.clear();
            for (const QJsonValue &lane : mark.value(QLatin1String("lanes")).toArray()) {
                if (lane.isDouble() && sane(lane.toDouble(), 1e10) && scene.lanesPt.size() < 1000)
                    scene.lanesPt << lane.toDouble();
            }
        } else {
            scene.problems << QStringLiteral("the mark is not usable");
        }
    }

    scene.explicitOrder = json.value(QLatin1String("order")).toBool(false);
    toolsFrom(json.value(QLatin1String("tools")).toArray(), scene);
    if (json.contains(QLatin1String("rows")) || json.contains(QLatin1String("cols"))) {
        scene.hasSegments = true;
        scene.rows = segmentsFrom(json.value(QLatin1String("rows")).toArray(), scene.problems);
        scene.cols = segmentsFrom(json.value(QLatin1String("cols")).toArray(), scene.problems);
    }
    fieldsFrom(json.value(QLatin1String("fields")).toArray(), scene);

    QList<int> items;
    for (const QJsonValue &v : json.value(QLatin1String("items")).toArray()) {
        const int n = v.toInt(0);
        if (n < 1) {
            scene.problems << QStringLiteral("the item grouping is damaged");
            return QList<int>();
        }
        items << n;
    }
    return items;
}

} // namespace TqcFormat
