// Label check: one 2048 x 2048 frame with six labels (codes read, then texts
// too, and without either as the baseline), one report row, and one paint of
// the lost-label overlay with 100 labels.
#include "LabelDetect.h"
#include "LabelPage.h"
#include "LabelReport.h"
#include "LostLabelView.h"
#include "OverlayFixture.h"

#include <QLoggingCategory>
#include <benchmark/benchmark.h>

namespace {

struct CheckScene
{
    cv::Mat frame;
    cv::Mat templ;
    PageLabels page;

    CheckScene()
    {
        const LabelPage labels = LabelPage::sixLabels();
        CheckView view;
        view.frame = QSize(2048, 2048);
        view.paperLeft = 124;
        view.paperRight = 1924; // 18 pixels per mm
        view.pageRow = 300;
        frame = matOf(view.render(labels));
        templ = matOf(labels.render(8.0));
        for (const QRect &r : labels.cells(8.0))
            page.cells.push_back(cv::Rect(r.x(), r.y(), r.width(), r.height()));
    }
    static cv::Mat matOf(const QImage &image)
    {
        const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
        return cv::Mat(bgr.height(), bgr.width(), CV_8UC3, const_cast<uchar *>(bgr.constBits()),
                       size_t(bgr.bytesPerLine()))
            .clone();
    }
};

const CheckScene &scene()
{
    static const CheckScene s;
    return s;
}

void check(benchmark::State &state, bool codes, bool ocr)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
    const CheckScene &s = scene();
    for (auto _ : state) {
        const ReadData r = process_frame(s.frame, s.templ, ocr, codes, codes, "none.json", s.page);
        if (r.labels.size() != 6 || (codes && r.labels[0].qrCodes.empty()) || (ocr && r.labels[2].texts.empty()))
            state.SkipWithError("the frame was not read");
        benchmark::DoNotOptimize(r.segmentX);
    }
}

void BM_LabelCheckWithoutCodes(benchmark::State &state) { check(state, false, false); }
BENCHMARK(BM_LabelCheckWithoutCodes)->Unit(benchmark::kMillisecond);

void BM_LabelCheck(benchmark::State &state) { check(state, true, false); }
BENCHMARK(BM_LabelCheck)->Unit(benchmark::kMillisecond);

void BM_LabelCheckWithOcr(benchmark::State &state) { check(state, true, true); }
BENCHMARK(BM_LabelCheckWithOcr)->Unit(benchmark::kMillisecond);

// A page of six labels, two missing, the others with a code or a text each.
ReadData reportPage()
{
    ReadData r;
    r.first_edge = 124;
    r.last_edge = 1924;
    r.segmentX = 300;
    for (int i = 0; i < 6; ++i) {
        LabelRecord l;
        l.status = i < 2 ? 0 : 1;
        l.x = 124 + 36 * 18 * (i % 3);
        l.y = 300 + 28 * 18 * (i / 3);
        l.width = 500;
        l.height = 430;
        LabelCode c;
        c.type = "QR-Code";
        c.code = "LBL-000" + std::to_string(i);
        c.corners = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
        l.qrCodes.push_back(c);
        LabelText t;
        t.text = "LOT 42";
        t.confidence = 0.93;
        t.box = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
        l.texts.push_back(t);
        r.labels.push_back(l);
    }
    return r;
}

void BM_ReportRow(benchmark::State &state)
{
    const ReadData r = reportPage();
    LabelReport::Page page;
    page.time = QDateTime::currentDateTime();
    page.segmentX = 300;
    page.scale = 100.0 / 1800;
    page.rows = {{4, 28}, {32, 56}};
    page.cols = {{4, 32}, {36, 64}, {68, 96}};
    page.qrCodes = page.texts = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(LabelReport::encode(LabelReport::row(r, page)).size());
}
BENCHMARK(BM_ReportRow)->Unit(benchmark::kMicrosecond);

void BM_LostLabelViewPaint100(benchmark::State &state)
{
    OverlayFixture source;
    auto result = std::make_shared<ReadData>();
    result->first_edge = 124;
    result->last_edge = 1924;
    result->segmentX = 300;
    for (int i = 0; i < 100; ++i) {
        LabelRecord l = reportPage().labels[size_t(i % 6)];
        l.x = 124 + 170 * (i % 10);
        l.y = 100 + 190 * (i / 10);
        l.width = 150;
        l.height = 170;
        result->labels.push_back(l);
    }
    source.result = result;
    LostLabelView view;
    view.setSize(QSizeF(1024, 1024));
    view.setImageH(2048);
    QImage canvas(1024, 1024, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        view.paint(&painter);
    }
}
BENCHMARK(BM_LostLabelViewPaint100)->Unit(benchmark::kMillisecond);

} // namespace
