// Mark camera: the scan of one 1280 x 960 frame, and one read of the task
// code printed beside the mark (OCR) or coded in a QR code (ZBar).
#include "inspection/marks/CodeReader.h"
#include "platform/graphics/variabledata/GZint.h"
#include "inspection/marks/MarkScanner.h"
#include "OcrLite.h"

#include <QFont>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

// White paper with a 3.5 mm mark (140 pixels) off the centre, as the mark
// camera sees it after a move onto the mark.
QImage markFrame()
{
    QImage frame(1280, 960, QImage::Format_RGB32);
    frame.fill(Qt::white);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(610, 470), 70, 70);
    return frame;
}

void quietLog()
{
    QLoggingCategory::setFilterRules(QStringLiteral("dravo.markfinder.debug=false\ndefault.info=false"));
}

void BM_MarkScan(benchmark::State &state)
{
    quietLog();
    const QImage frame = markFrame();
    const MarkScanParams params;
    const MarkScanner scanner;
    for (auto _ : state) {
        const MarkScanResult result = scanner.scan(frame, params, nullptr);
        if (!result.found())
            state.SkipWithError("no mark found");
        benchmark::DoNotOptimize(result.point);
    }
}
BENCHMARK(BM_MarkScan)->Unit(benchmark::kMillisecond);

void BM_MarkScanBlank(benchmark::State &state)
{
    quietLog();
    QImage frame(1280, 960, QImage::Format_RGB32);
    frame.fill(Qt::white);
    const MarkScanParams params;
    const MarkScanner scanner;
    for (auto _ : state)
        benchmark::DoNotOptimize(scanner.scan(frame, params, nullptr).point);
}
BENCHMARK(BM_MarkScanBlank)->Unit(benchmark::kMillisecond);

void BM_OcrReadCode(benchmark::State &state)
{
    quietLog();
    OcrLite ocr;
    if (!ocr.initModels(QStringLiteral("./models/det.onnx"), QString(), QStringLiteral("./models/rec.onnx"), QString())) {
        state.SkipWithError("no OCR language file");
        return;
    }
    QImage frame = markFrame();
    QPainter painter(&frame);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(100);
    painter.setFont(font);
    painter.drawText(QPointF(720, 510), QStringLiteral("20240517"));
    painter.fillRect(QRectF(530, 390, 160, 160), Qt::white); // the scan paints the mark out
    painter.end();
    for (auto _ : state) {
        const CodeRead read = CodeReader::readText(&ocr, frame, 0.25);
        if (read.code != 20240517)
            state.SkipWithError("code not read");
        benchmark::DoNotOptimize(read.code);
    }
}
BENCHMARK(BM_OcrReadCode)->Unit(benchmark::kMillisecond);

void BM_QrReadCode(benchmark::State &state)
{
    quietLog();
    QImage frame = markFrame();
    GZint code;
    code.setText(QStringLiteral("1a"));
    QPainter painter(&frame);
    painter.drawImage(QPoint(760, 380), code.image(6));
    painter.end();
    for (auto _ : state) {
        const CodeRead read = CodeReader::readBarcode(frame, 0.25);
        if (read.code != 26)
            state.SkipWithError("code not read");
        benchmark::DoNotOptimize(read.code);
    }
}
BENCHMARK(BM_QrReadCode)->Unit(benchmark::kMillisecond);

} // namespace
