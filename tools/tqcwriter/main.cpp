// tqcwriter: builds a .tqc scene file (see platform/graphics/scenefiles/TqcFormat.h) for
// tests and operators from
//   - a cut file (plotter file, with or without the layout header),
//   - optionally the printed page as an image (the label check's template and
//     the background of the record PDFs), covering the whole page,
//   - optionally a JSON list of variable fields, each as in the scene file:
//     {"kind": "text"|"qr"|"barcode", "column": "...", "text": "...",
//      "rect": [x, y, w, h] (mm, x across the web), "symbology": n, "font": pt}.
// The paths keep the cut file's order; --keep-order makes that the order to
// cut in, --sort sorts them (start points, inside first) and keeps that.
#include "platform/graphics/paths/CutOrder.h"
#include "platform/graphics/scenefiles/SceneReader.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "platform/graphics/scenefiles/TqcFormat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

int fail(const QString &message, int code)
{
    std::fprintf(stderr, "tqcwriter: %s\n", qPrintable(message));
    return code;
}

bool readFields(const QString &path, SceneData &scene, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!doc.isArray()) {
        error = doc.isNull() ? parse.errorString() : QStringLiteral("a JSON array of fields is expected");
        return false;
    }
    SceneData fields;
    TqcFormat::fromJson(QJsonObject{{QStringLiteral("fields"), doc.array()}}, fields);
    if (!fields.problems.isEmpty()) {
        error = fields.problems.join(QStringLiteral("; "));
        return false;
    }
    scene.fields = fields.fields;
    return true;
}

void sortPaths(SceneData &scene)
{
    std::vector<CutOrder::Piece> pieces;
    for (const ScenePath &p : std::as_const(scene.paths)) {
        CutOrder::Piece piece;
        piece.bounds = p.path.controlPointRect();
        const QList<QPolygonF> parts = p.path.toSubpathPolygons();
        piece.outline = parts.value(0);
        piece.start = piece.outline.value(0);
        piece.end = parts.isEmpty() ? QPointF() : parts.back().value(parts.back().size() - 1);
        pieces.push_back(piece);
    }
    QList<ScenePath> sorted;
    for (int i : CutOrder::sort(pieces, {true, true}))
        sorted << scene.paths[i];
    scene.paths = sorted;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a .tqc scene file from a cut file, an image and fields."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("cut-file"), QStringLiteral("The plotter (.plt) file."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The .tqc file."),
                                    QStringLiteral("file"));
    const QCommandLineOption image(QStringLiteral("image"), QStringLiteral("The printed page as an image."),
                                   QStringLiteral("file"));
    const QCommandLineOption fields(QStringLiteral("fields"), QStringLiteral("JSON list of variable fields."),
                                    QStringLiteral("file"));
    const QCommandLineOption keepOrder(QStringLiteral("keep-order"), QStringLiteral("Cut in the file's order."));
    const QCommandLineOption sort(QStringLiteral("sort"), QStringLiteral("Sort the paths and keep that order."));
    parser.addOptions({output, image, fields, keepOrder, sort});
    parser.process(app);
    if (parser.positionalArguments().size() != 1 || !parser.isSet(output))
        return fail(QStringLiteral("usage: tqcwriter CUT.plt -o OUT.tqc [--image PAGE.png] [--fields FIELDS.json] "
                                   "[--keep-order | --sort]"),
                    1);

    SceneData scene;
    if (!SceneReader::readFile(parser.positionalArguments().front(), scene))
        return fail(QStringLiteral("cannot read %1").arg(parser.positionalArguments().front()), 2);
    if (!scene.hasPage)
        return fail(QStringLiteral("%1 holds no page and no paths").arg(parser.positionalArguments().front()), 2);
    if (parser.isSet(image)) {
        QImageReader reader(parser.value(image));
        const QImage page = reader.read();
        if (page.isNull())
            return fail(QStringLiteral("cannot read %1: %2").arg(parser.value(image), reader.errorString()), 2);
        scene.background = page.convertToFormat(QImage::Format_RGB888);
    }
    QString error;
    if (parser.isSet(fields) && !readFields(parser.value(fields), scene, error))
        return fail(QStringLiteral("fields in %1: %2").arg(parser.value(fields), error), 2);
    if (parser.isSet(sort))
        sortPaths(scene);
    scene.explicitOrder = parser.isSet(sort) || parser.isSet(keepOrder);
    if (!SceneWriter::writeFile(parser.value(output), SceneWriter::tqc(scene)))
        return fail(QStringLiteral("cannot write %1").arg(parser.value(output)), 3);
    std::printf("%s: %lld paths, page %g x %g mm, mark type %d, image %dx%d, %lld fields\n",
                qPrintable(parser.value(output)), qlonglong(scene.paths.size()), scene.pageMm.width(),
                scene.pageMm.height(), scene.hasMark ? scene.markType : -1, scene.background.width(),
                scene.background.height(), qlonglong(scene.fields.size()));
    return 0;
}
