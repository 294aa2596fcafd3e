#include "LabelDetect.h"

#include "DetectSettings.h"
#include "LabelReaders.h"
#include "LabelCompare.h"
#include "PaperFinder.h"

#include <QDebug>
#include <opencv2/imgproc.hpp>
#include <algorithm>
#include <cmath>

namespace {

// Smallest image or template side worth looking at.
constexpr int kMinSide = 8;
// Most labels one page may have.
constexpr size_t kMaxLabels = 20000;

cv::Mat greyOf(const cv::Mat &m)
{
    cv::Mat grey;
    if (m.empty() || m.depth() != CV_8U || m.dims != 2)
        return grey;
    switch (m.channels()) {
    case 1:
        grey = m;
        break;
    case 3:
        cv::cvtColor(m, grey, cv::COLOR_BGR2GRAY);
        break;
    case 4:
        cv::cvtColor(m, grey, cv::COLOR_BGRA2GRAY);
        break;
    default:
        break;
    }
    return grey;
}

// A label's place in the image: its cell of the template scaled by f and set
// at the page's corner, drawn in a little so that the cut line around it
// stays out and the corner lies inside its bands.
cv::Rect placeOf(const cv::Rect &cell, double f, cv::Point corner)
{
    const double x = corner.x + cell.x * f, y = corner.y + cell.y * f;
    const double w = cell.width * f, h = cell.height * f;
    const double inset = std::max(2.0, 0.02 * std::min(w, h));
    return cv::Rect(int(std::lround(x + inset)), int(std::lround(y + inset)), int(std::lround(w - 2 * inset)),
                    int(std::lround(h - 2 * inset)));
}

// The labels of a page: judged one after the other on this thread, their
// codes and texts read side by side on the readers' workers (a job per label
// and kind, each writing its own fields of its own label). With more than
// one worker the reading starts with the judging, and what was read in a
// label found missing is dropped: the page is read in the time it takes to
// judge it. One worker reads only what is judged present.
struct PageWork
{
    const cv::Mat &grey;
    const cv::Mat &scaled;
    cv::Point corner;
    const DetectSettings &settings;
    double threshold;
    bool qr, bar, ocr;
    std::vector<LabelRecord> &labels;

    static cv::Rect placeOf(const LabelRecord &l) { return cv::Rect(l.x, l.y, l.width, l.height); }

    void judge(size_t i)
    {
        const cv::Rect place = placeOf(labels[i]);
        labels[i].status = LabelCompare::status(grey(place), scaled(place - corner), threshold,
                                                settings.blankDeviation, settings.searchMargin);
    }
    void readTexts(size_t i, LabelReaders &readers, LabelReaders::Batch &batch)
    {
        if (!ocr)
            return;
        batch.add([this, i, &readers](LabelReader &reader) {
            const cv::Rect place = placeOf(labels[i]);
            if (readers.engineFor(reader, settings.ocrModel))
                labels[i].texts = reader.readTexts(grey(place), place.tl(), settings.ocrMinScore);
        });
    }
    void readCodes(size_t i, LabelReaders::Batch &batch)
    {
        if (!qr && !bar)
            return;
        batch.add([this, i](LabelReader &reader) {
            const cv::Rect place = placeOf(labels[i]);
            reader.readCodes(grey(place), place.tl(), qr, bar, labels[i].qrCodes, labels[i].barCodes);
        });
    }
    void run(LabelReaders &readers)
    {
        if (ocr && !readers.engineSettled(settings.ocrModel)) {
            qInfo().noquote() << "process_frame" << "the text engines are still loading: this page waits for them";
            readers.warmUp(settings.ocrModel);
        }
        LabelReaders::Batch batch(readers);
        const bool ahead = readers.workers() > 1;
        if (ahead) {
            // The longest first.
            for (size_t i = 0; i < labels.size(); ++i)
                readTexts(i, readers, batch);
            for (size_t i = 0; i < labels.size(); ++i)
                readCodes(i, batch);
        }
        for (size_t i = 0; i < labels.size(); ++i) {
            judge(i);
            if (!ahead && labels[i].status != 0) {
                readTexts(i, readers, batch);
                readCodes(i, batch);
            }
        }
        batch.wait();
        // Nothing is read in a missing label.
        for (LabelRecord &label : labels) {
            if (label.status == 0) {
                label.texts.clear();
                label.qrCodes.clear();
                label.barCodes.clear();
            }
        }
    }
};

} // namespace

ReadData process_frame(const cv::Mat &input, const cv::Mat &templ, bool enableOCR, bool enableQRCode,
                       bool enableBARCode, const std::string &modelPath, const PageLabels &page)
{
    ReadData result;
    const DetectSettings settings = DetectSettings::load(modelPath);
    const cv::Mat grey = greyOf(input);
    const cv::Mat templGrey = greyOf(templ);
    if (grey.cols < kMinSide || grey.rows < kMinSide || templGrey.cols < kMinSide || templGrey.rows < kMinSide)
        return result;

    const PaperFinder::Edges edges = PaperFinder::findEdges(grey, settings.minContrast);
    if (!edges.found())
        return result;
    result.first_edge = edges.first;
    result.last_edge = edges.last;

    // The template at the paper's scale.
    const int width = edges.last - edges.first;
    const double f = double(width) / templGrey.cols;
    const int height = int(std::lround(templGrey.rows * f));
    if (height < 2)
        return result;
    cv::Mat scaled;
    cv::resize(templGrey, scaled, cv::Size(width, height), 0, 0, f < 1.0 ? cv::INTER_AREA : cv::INTER_LINEAR);
    const cv::Mat paper = grey.colRange(edges.first, edges.last);
    const PaperFinder::Page found = PaperFinder::findPage(paper, scaled);
    if (found.score < settings.pageMatch || found.row < 1)
        return result;
    result.segmentX = found.row;

    std::vector<cv::Rect> cells = page.cells;
    if (cells.empty())
        cells = LabelCompare::printedRegions(templGrey, kMaxLabels);
    if (cells.size() > kMaxLabels)
        cells.resize(kMaxLabels);
    const cv::Rect frame(0, 0, grey.cols, grey.rows);
    const cv::Point corner(edges.first, found.row);
    for (const cv::Rect &cell : cells) {
        const cv::Rect place = placeOf(cell, f, corner);
        // Only labels wholly in view can be judged.
        if (place.width < 2 || place.height < 2 || (place & frame) != place)
            continue;
        const cv::Rect inTemplate = place - corner;
        if ((inTemplate & cv::Rect(0, 0, scaled.cols, scaled.rows)) != inTemplate)
            continue;
        LabelRecord label;
        label.x = place.x;
        label.y = place.y;
        label.width = place.width;
        label.height = place.height;
        result.labels.push_back(std::move(label));
    }
    PageWork work{grey, scaled, corner, settings, page.threshold, enableQRCode, enableBARCode, enableOCR, result.labels};
    work.run(page.readers ? *page.readers : LabelReaders::shared());
    return result;
}
