// The cut-file preview: a 10 MB plotter file loaded and painted in a
// 1280 x 720 item, both on the GUI thread as the task page does it.
#include "CutFiles.h"
#include "views/cutpreview/PltQuickView.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString writeTemp(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

const QByteArray &fileOf(int which)
{
    return which == 0 ? tenMegabytes() : denseSheet();
}

void BM_PreviewLoad(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeTemp(dir, "cut.plt", fileOf(int(state.range(0))));
    PltQuickView view;
    view.setSize(QSizeF(1280, 720));
    for (auto _ : state)
        view.setFile(path);
    state.counters["paths"] = double(view.paths().size());
    state.SetBytesProcessed(qint64(state.iterations()) * fileOf(int(state.range(0))).size());
}
BENCHMARK(BM_PreviewLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PreviewPaint(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeTemp(dir, "cut.plt", fileOf(int(state.range(0))));
    PltQuickView view;
    view.setSize(QSizeF(1280, 720));
    view.setFile(path);
    QImage image(1280, 720, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        view.paint(&painter);
    }
}
BENCHMARK(BM_PreviewPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The baseline of the paint: every point of every path stroked, per lane, in
// the same turned page (what the preview draws without thinning).
void BM_PreviewPaintEveryPoint(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeTemp(dir, "cut.plt", fileOf(int(state.range(0))));
    PltQuickView view;
    view.setSize(QSizeF(1280, 720));
    view.setFile(path);
    const PltLayout layout = view.layout();
    const double scale = std::min(716 / layout.page.width(), 1276 / layout.page.height());
    const QList<double> lanes = layout.lanes.isEmpty() ? QList<double>{0.0} : layout.lanes;
    QImage image(1280, 720, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate((1280 - layout.page.height() * scale) / 2, (720 + layout.page.width() * scale) / 2);
        painter.rotate(-90);
        painter.scale(scale, scale);
        QPen pen(Qt::blue, 0);
        pen.setCosmetic(true);
        painter.setPen(pen);
        for (double lane : lanes) {
            painter.save();
            painter.translate(layout.area.left() + lane, layout.area.top());
            for (const QPolygonF &p : view.paths())
                painter.drawPolyline(p);
            painter.restore();
        }
    }
}
BENCHMARK(BM_PreviewPaintEveryPoint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
