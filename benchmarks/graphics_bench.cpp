// Cut files: reading a 10 MB plotter file, then sorting and compensating its paths.
#include "CutOrder.h"
#include "GSp.h"
#include "SceneReader.h"
#include "hpgl.h"

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

// A page of rounded labels, each with a round hole, until the file holds 10 MB.
const QByteArray &tenMegabytes()
{
    static const QByteArray text = [] {
        QByteArray t = "IN;PS400000,8000,200,200,1,120,0,3200;MD1,120,399600,7600,2;SP1;\n";
        t.reserve(10 * 1024 * 1024 + 4096);
        auto arc = [&](double cx, double cy, double r, double from, int steps) {
            for (int i = 0; i <= steps; ++i) {
                const double a = from + (M_PI / 2) * i / steps;
                t += QByteArray::number(qint64(std::lround(cx + r * std::cos(a)))) + ',' +
                     QByteArray::number(qint64(std::lround(cy + r * std::sin(a)))) + ',';
            }
        };
        for (int label = 0; t.size() < 10 * 1024 * 1024; ++label) {
            const double x = 100 + (label / 8) * 1300;
            const double y = 100 + (label % 8) * 950;
            t += "PU" + QByteArray::number(qint64(x + 100)) + ',' + QByteArray::number(qint64(y)) + ";PD";
            arc(x + 1100, y + 100, 100, -M_PI / 2, 16);
            arc(x + 1100, y + 800, 100, 0, 16);
            arc(x + 100, y + 800, 100, M_PI / 2, 16);
            arc(x + 100, y + 100, 100, M_PI, 16);
            t += QByteArray::number(qint64(x + 100)) + ',' + QByteArray::number(qint64(y)) + ";\n";
            t += "PU" + QByteArray::number(qint64(x + 700)) + ',' + QByteArray::number(qint64(y + 450)) + ";PD";
            for (int i = 1; i <= 48; ++i) {
                const double a = 2 * M_PI * i / 48;
                t += QByteArray::number(qint64(std::lround(x + 600 + 100 * std::cos(a)))) + ',' +
                     QByteArray::number(qint64(std::lround(y + 450 + 100 * std::sin(a)))) + (i < 48 ? "," : ";\n");
            }
        }
        return t;
    }();
    return text;
}

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
