// Label check: one 2048 x 2048 frame with six labels (codes read, then texts
// too, and without either as the baseline), their ratio in one run, a page
// as the program checks it, one report row, and one paint of the lost-label
// overlay with 100 labels.
#include "configuration/Config.h"
#include "LabelDetect.h"
#include "tests/support/cameras/LabelPage.h"
#include "LabelReaders.h"
#include "inspection/labelcheck/LabelReport.h"
#include "views/overlays/LostLabelView.h"
#include "tests/views/OverlayFixture.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "app/task/CutScene.h"
#include "app/task/ProductionRecords.h"
#include "app/task/TaskControl.h"
#include "app/task/TaskThreads.h"
#include "app/vision/LabelInspection.h"
#include "app/vision/MarkVision.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMutex>
#include <QTemporaryDir>
#include <algorithm>
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

// The engines load before the first timed page, as the program starts them
// loading when a cut file opens.
ReadData checkOnce(const CheckScene &s, bool codes, bool ocr)
{
    return process_frame(s.frame, s.templ, ocr, codes, codes, "none.json", s.page);
}

bool readAsPrinted(const ReadData &r, bool codes, bool ocr)
{
    return r.labels.size() == 6 && (!codes || !r.labels[0].qrCodes.empty()) && (!ocr || !r.labels[2].texts.empty());
}

void check(benchmark::State &state, bool codes, bool ocr)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
    const CheckScene &s = scene();
    LabelReaders::shared().waitForEngines(std::string());
    for (auto _ : state) {
        const ReadData r = checkOnce(s, codes, ocr);
        if (!readAsPrinted(r, codes, ocr))
            state.SkipWithError("the frame was not read");
        benchmark::DoNotOptimize(r.segmentX);
    }
    state.counters["readers"] = LabelReaders::shared().workers();
}

void BM_LabelCheckWithoutCodes(benchmark::State &state) { check(state, false, false); }
BENCHMARK(BM_LabelCheckWithoutCodes)->Unit(benchmark::kMillisecond);

void BM_LabelCheck(benchmark::State &state) { check(state, true, false); }
BENCHMARK(BM_LabelCheck)->Unit(benchmark::kMillisecond);

void BM_LabelCheckWithOcr(benchmark::State &state) { check(state, true, true); }
BENCHMARK(BM_LabelCheckWithOcr)->Unit(benchmark::kMillisecond);

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The full check (codes and texts) against the outline check alone, taken in
// turn in the same run: "ratio" is the median full check over the median
// outline check, on "cores" cores.
void BM_LabelCheckRatio(benchmark::State &state)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
    const CheckScene &s = scene();
    LabelReaders::shared().waitForEngines(std::string());
    std::vector<double> outline, full;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const bool outlined = readAsPrinted(checkOnce(s, false, false), false, false);
        outline.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        const bool read = readAsPrinted(checkOnce(s, true, true), true, true);
        full.push_back(clock.nsecsElapsed() / 1e6);
        if (!outlined || !read)
            state.SkipWithError("the frame was not read");
        state.SetIterationTime(full.back() / 1e3);
    }
    state.counters["outline_ms"] = median(outline);
    state.counters["full_ms"] = median(full);
    state.counters["ratio"] = median(full) / std::max(median(outline), 1e-9);
    state.counters["cores"] = LabelReaders::cores();
}
BENCHMARK(BM_LabelCheckRatio)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// The "recognition:" seconds of the check's log lines.
struct RecognitionLog
{
    static inline QMutex lock;
    static inline std::vector<double> ms;
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
        const int at = text.indexOf(QLatin1String("recognition: "));
        if (at < 0)
            return;
        QMutexLocker l(&lock);
        ms.push_back(text.mid(at + 13).section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toDouble() * 1e3);
    });
    RecognitionLog() { ms.clear(); }
    ~RecognitionLog() { qInstallMessageHandler(previous); }
};

// The application's parts of a check, wired as the application wires them.
struct CheckParts
{
    TaskThreads threads;
    ProductionRecords records;
    TaskControl task{records, cut, threads};
    CutScene cut{records, task};
    MarkVision vision{cut, records, threads, task};
    LabelInspection labels{cut, records, task, vision};
    CheckParts() { cut.setTemplateLoader([this] { return labels.loadTemplate(); }); }
    ~CheckParts()
    {
        vision.cancelCaptures();
        cut.close();
        labels.close();
        threads.joinAll();
    }
};

// A page as the program checks it, codes and texts read: the camera's frame
// (turned, as the camera is mounted) converted and turned upright, checked
// against the template of the opened cut file, the result's steps and the
// page's report row. "recognition_ms": the mean of what the check's log said
// of the same pages, "log_ratio" that over the page's time.
void BM_LabelCheckPage(benchmark::State &state)
{
    QTemporaryDir dir;
    Config config(dir.path());
    config.setProperty(Config::CPT_Enable_Detection, true);
    config.setProperty(Config::CPT_Enable_OCR, true);
    config.setProperty(Config::CPT_Enable_QRCode, true);
    config.setProperty(Config::CPT_Enable_BARCode, true);
    config.setProperty(Config::CPT_Wait_Capture, 0); // the open's first capture request finds no camera
    CheckParts parts;
    TaskControl &task = parts.task;
    CutScene &cut = parts.cut;
    LabelInspection &labels = parts.labels;
    ProductionRecords &records = parts.records;
    task.loadCheckParams();
    const LabelPage page = LabelPage::sixLabels();
    const QString file = dir.filePath(QStringLiteral("page.tqc"));
    if (SceneWriter::writeFile(file, SceneWriter::tqc(page.scene(8.0))))
        cut.open(file);
    if (!labels.hasTemplate()) {
        state.SkipWithError("the cut file did not open");
        return;
    }
    CheckView view;
    view.frame = QSize(2048, 2048);
    view.paperLeft = 124;
    view.paperRight = 1924;
    view.pageRow = 300;
    const QImage frame = view.camera(page, config.checkCameraRotation());
    // The first page waits for the engines: not timed.
    labels.checkLabelCapture(frame);
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=true\ndefault.debug=false"));
    RecognitionLog log;
    double pageMs = 0.0;
    for (auto _ : state) {
        task.setSegmentX(0); // each frame a new page, as the rewind brings them
        QElapsedTimer clock;
        clock.start();
        labels.checkLabelCapture(frame);
        pageMs += clock.nsecsElapsed() / 1e6;
        const auto result = labels.checkResult();
        if (!result || !readAsPrinted(*result, true, true))
            state.SkipWithError("the page was not read");
    }
    parts.threads.joinAll();
    double logged = 0.0;
    {
        QMutexLocker l(&RecognitionLog::lock);
        for (double ms : RecognitionLog::ms)
            logged += ms;
        logged /= std::max<size_t>(RecognitionLog::ms.size(), 1);
    }
    pageMs /= std::max<benchmark::IterationCount>(state.iterations(), 1);
    state.counters["recognition_ms"] = logged;
    state.counters["log_ratio"] = logged / std::max(pageMs, 1e-9);
    state.counters["report_rows"] = records.checkedCopies();
}
BENCHMARK(BM_LabelCheckPage)->Unit(benchmark::kMillisecond);

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
