// A print job of 20 copies of a 100 x 50 mm label at 600 dpi, from the print
// file to the PDF that goes to the printer: the page drawn once and given as
// 20 pages (a printer that makes no copies), once as one page (a printer
// that makes them), and drawn again for each page (a data source, a record a
// page). Peak memory: the rise of the resident set over the job.
#include "platform/graphics/variabledata/GZint.h"
#include "app/printing/PrintJob.h"
#include "app/printing/PrintPage.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QSizeF kPage(100, 50);
constexpr int kDpi = 600;
constexpr int kCopies = 20;

// A label: a photo-like band, text, a bar code, a frame.
QString labelPdf(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("label.pdf"));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(kPage, QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF());
    writer.setResolution(300);
    QPainter painter(&writer);
    QImage photo(400, 200, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    painter.drawImage(QRect(50, 50, 500, 250), photo);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
    painter.drawText(QRect(600, 60, 500, 120), QStringLiteral("Label 标签 0042"));
    GZint code(GZint::Code128);
    code.setText(QStringLiteral("DRAVO-0042"));
    code.render(&painter, QRectF(600, 300, 500, 200));
    painter.drawRect(QRect(20, 20, writer.width() - 40, writer.height() - 40));
    painter.end();
    return path;
}

long kibOf(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Peak resident set from now on starts at the current one (Linux).
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void runJob(benchmark::State &state, int pages, bool drawEachPage)
{
    QTemporaryDir dir;
    const QString file = labelPdf(dir);
    const QRectF marker = PrintJob::markSizeFromPlt({true, QMarginsF(5, 5, 5, 5), 2.0}, PrintJob::QrMarker);
    double peakMiB = 0.0, pdfMiB = 0.0;
    for (auto _ : state) {
        const long before = kibOf("VmRSS:");
        resetPeak();
        PrintJob job(kPage, kDpi);
        QString error;
        QImage drawn;
        for (int page = 0; page < pages; ++page) {
            if (drawn.isNull() || drawEachPage)
                drawn = PrintPage::render(file, job.pixelSize(), &error);
            job.addPage(drawn, quint32(0x1000 + page), PrintJob::QrMarker, marker, true);
        }
        const QByteArray pdf = job.finish();
        benchmark::DoNotOptimize(pdf.constData());
        if (pdf.isEmpty() || drawn.isNull()) {
            state.SkipWithError("no job");
            return;
        }
        pdfMiB = pdf.size() / 1048576.0;
        peakMiB = qMax(peakMiB, (kibOf("VmHWM:") - before) / 1024.0);
    }
    state.counters["peak_MiB"] = peakMiB;
    state.counters["pdf_MiB"] = pdfMiB;
}

void BM_PrintJob20PagesDrawnOnce(benchmark::State &state)
{
    runJob(state, kCopies, false);
}
BENCHMARK(BM_PrintJob20PagesDrawnOnce)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PrintJobOnePagePrinterCopies(benchmark::State &state)
{
    runJob(state, 1, false);
}
BENCHMARK(BM_PrintJobOnePagePrinterCopies)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PrintJob20RecordPages(benchmark::State &state)
{
    runJob(state, kCopies, true);
}
BENCHMARK(BM_PrintJob20RecordPages)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
