// Feeds arbitrary bytes to the cut-file / .tqc scene-file reader and checks
// that what it makes of them is sound and writes out and reads back alike.
#include "platform/graphics/scenefiles/SceneReader.h"
#include "platform/graphics/scenefiles/SceneWriter.h"

#include <QtGlobal>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *condition, int line)
{
    std::fprintf(stderr, "check failed, line %d: %s\n", line, condition);
    std::abort();
}
#define check(condition) ((condition) ? void() : fail(#condition, __LINE__))

bool finite(const QRectF &r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

void checkScene(const SceneData &s)
{
    check(!s.hasMark || s.hasPage);
    check(s.hasPage || s.paths.isEmpty());
    if (s.hasPage)
        check(s.pageMm.width() > 0 && s.pageMm.height() > 0 && std::isfinite(s.pageMm.width()));
    check(finite(s.markAreaMm));
    check(s.paths.size() <= SceneReader::kMaxPaths);
    for (const ScenePath &p : s.paths)
        check(finite(p.path.controlPointRect()) && p.tool >= 1);
    for (const VariableField &f : s.fields)
        check(finite(f.rectMm) && !f.rectMm.isEmpty());
    if (!s.background.isNull())
        check(s.background.format() == QImage::Format_RGB888);
}

} // namespace

// The readers log what they leave out; at thousands of inputs a second that is noise.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const SceneData scene = SceneReader::read(bytes);
    checkScene(scene);
    if (!scene.hasPage)
        return 0;
    const SceneData again = SceneReader::read(SceneWriter::tqc(scene));
    checkScene(again);
    check(again.hasPage && again.pageMm == scene.pageMm);
    check(again.hasMark == scene.hasMark && again.fields.size() == scene.fields.size());
    check(again.paths.size() <= scene.paths.size());
    return 0;
}
