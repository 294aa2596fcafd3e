// Cut files: reading a 10 MB plotter file, then sorting and compensating its paths.
#include "CutFiles.h"
#include "platform/graphics/paths/CutOrder.h"
#include "platform/graphics/GSp.h"
#include "platform/graphics/scenefiles/SceneReader.h"
#include "hpgl.h"

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

void countPoints(void *context, HPGL_Info info)
{
    *static_cast<qint64 *>(context) += info.count;
}

void BM_ReadHpgl(benchmark::State &state)
{
    const QByteArray &text = tenMegabytes();
    HPGL_Reader *reader = init_HPGL();
    qint64 points = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(read_HPGL_data(reader, text.constData(), text.size(), countPoints, &points));
    exit_HPGL(reader);
    state.SetBytesProcessed(qint64(state.iterations()) * text.size());
}
BENCHMARK(BM_ReadHpgl)->Unit(benchmark::kMillisecond);

// The whole read of a cut file into scene data: header, paths in scene points, label bands.
void BM_ReadCutFile(benchmark::State &state)
{
    const QByteArray &text = tenMegabytes();
    qsizetype paths = 0;
    for (auto _ : state)
        paths = SceneReader::read(text).paths.size();
    state.SetBytesProcessed(qint64(state.iterations()) * text.size());
    state.counters["paths"] = double(paths);
}
BENCHMARK(BM_ReadCutFile)->Unit(benchmark::kMillisecond);

std::vector<CutOrder::Piece> pieces(const SceneData &scene)
{
    std::vector<CutOrder::Piece> out;
    for (const ScenePath &p : scene.paths) {
        CutOrder::Piece piece;
        piece.bounds = p.path.controlPointRect();
        piece.outline = p.path.toSubpathPolygons().value(0);
        piece.start = piece.outline.value(0);
        piece.end = piece.outline.value(piece.outline.size() - 1);
        out.push_back(piece);
    }
    return out;
}

// Automatic order: start points and inside first, as the operator's sorting switch asks.
void BM_SortPaths(benchmark::State &state)
{
    const SceneData scene = SceneReader::read(tenMegabytes());
    const std::vector<CutOrder::Piece> all = pieces(scene);
    for (auto _ : state)
        benchmark::DoNotOptimize(CutOrder::sort(all, {true, true}));
    state.SetItemsProcessed(qint64(state.iterations()) * qint64(all.size()));
}
BENCHMARK(BM_SortPaths)->Unit(benchmark::kMillisecond);

// Close and knife compensation of every path, as the cut data takes them.
void BM_CompensatePaths(benchmark::State &state)
{
    const SceneData scene = SceneReader::read(tenMegabytes());
    ToolSetting setting = ToolSetting::defaults(1);
    setting.flags = GSp::CloseCompensation | GSp::KnifeCompensation;
    const GSp tool(setting);
    for (auto _ : state) {
        for (const ScenePath &p : scene.paths)
            benchmark::DoNotOptimize(tool.compensate(p.path));
    }
    state.SetItemsProcessed(qint64(state.iterations()) * qint64(scene.paths.size()));
}
BENCHMARK(BM_CompensatePaths)->Unit(benchmark::kMillisecond);

} // namespace
