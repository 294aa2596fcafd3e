#include "LabelDetect.h"

#include "DetectSettings.h"
#include "LabelCodes.h"
#include "LabelCompare.h"
#include "PaperFinder.h"

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

cv::Mat colourOf(const cv::Mat &m)
{
    cv::Mat bgr;
    if (m.channels() == 3)
        bgr = m;
    else if (m.channels() == 1)
        cv::cvtColor(m, bgr, cv::COLOR_GRAY2BGR);
    else if (m.channels() == 4)
        cv::cvtColor(m, bgr, cv::COLOR_BGRA2BGR);
    return bgr;
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
    const cv::Mat colour = enableOCR ? colourOf(input) : cv::Mat();
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
        label.status = LabelCompare::status(grey(place), scaled(inTemplate), page.threshold, settings.blankDeviation,
                                            settings.searchMargin);
        if (label.status != 0) {
            LabelCodes::readCodes(grey(place), place.tl(), enableQRCode, enableBARCode, label.qrCodes, label.barCodes);
            if (enableOCR)
                label.texts = LabelCodes::readTexts(colour(place), place.tl(), settings.ocrModel, settings.ocrMinScore);
        }
        result.labels.push_back(std::move(label));
    }
    return result;
}
