#include "LabelCompare.h"

#include <opencv2/imgproc.hpp>
#include <algorithm>
#include <cmath>

namespace LabelCompare {

namespace {
// Printed regions are looked for at about this width.
constexpr int kRegionWidth = 400;
// Grey levels below this count as print.
constexpr int kInkLevel = 200;
} // namespace

std::vector<cv::Rect> printedRegions(const cv::Mat &templ, size_t maxRegions)
{
    std::vector<cv::Rect> regions;
    if (templ.empty() || templ.type() != CV_8UC1 || templ.cols < 4 || templ.rows < 4)
        return regions;
    const double f = std::min(1.0, double(kRegionWidth) / templ.cols);
    cv::Mat small;
    cv::resize(templ, small, cv::Size(), f, f, cv::INTER_AREA);
    cv::Mat ink;
    cv::threshold(small, ink, kInkLevel, 255, cv::THRESH_BINARY_INV);
    // Print closer than about 1 % of the page's width belongs to one label.
    const int reach = std::max(3, small.cols / 100) | 1;
    cv::morphologyEx(ink, ink, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(reach, reach)));
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(ink, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    const double least = 0.001 * small.total();
    for (const auto &c : contours) {
        const cv::Rect r = cv::boundingRect(c);
        if (r.area() < least)
            continue;
        const cv::Rect full(int(std::floor(r.x / f)), int(std::floor(r.y / f)), int(std::ceil(r.width / f)),
                            int(std::ceil(r.height / f)));
        regions.push_back(full & cv::Rect(0, 0, templ.cols, templ.rows));
    }
    // Reading order: a region starting above the middle of a row's first one
    // belongs to that row (print one pixel higher is not a row of its own).
    std::sort(regions.begin(), regions.end(), [](const cv::Rect &a, const cv::Rect &b) { return a.y < b.y; });
    for (size_t row = 0; row < regions.size();) {
        const int middle = regions[row].y + regions[row].height / 2;
        size_t end = row + 1;
        while (end < regions.size() && regions[end].y < middle)
            ++end;
        std::sort(regions.begin() + long(row), regions.begin() + long(end),
                  [](const cv::Rect &a, const cv::Rect &b) { return a.x < b.x; });
        row = end;
    }
    if (regions.size() > maxRegions)
        regions.resize(maxRegions);
    return regions;
}

int status(const cv::Mat &place, const cv::Mat &templatePlace, double threshold, double blankDeviation,
           int searchMargin)
{
    if (place.empty() || place.size() != templatePlace.size())
        return 2;
    cv::Scalar mean, dev, tMean, tDev;
    cv::meanStdDev(place, mean, dev);
    cv::meanStdDev(templatePlace, tMean, tDev);
    const bool blankHere = dev[0] < blankDeviation;
    const bool blankThere = tDev[0] < blankDeviation;
    if (blankHere && !blankThere)
        return 0;
    if (blankHere && blankThere)
        return std::fabs(mean[0] - tMean[0]) <= 4.0 * std::max(1.0, blankDeviation) ? 1 : 2;
    if (blankThere)
        return 2; // print where the page has none
    const int m = std::clamp(searchMargin, 0, std::min(place.cols, place.rows) / 4);
    const cv::Mat inner = templatePlace(cv::Rect(m, m, place.cols - 2 * m, place.rows - 2 * m));
    cv::Mat scores;
    cv::matchTemplate(place, inner, scores, cv::TM_CCOEFF_NORMED);
    cv::patchNaNs(scores, -1.0);
    double best = -1.0;
    cv::minMaxLoc(scores, nullptr, &best);
    return best >= threshold ? 1 : 2;
}

} // namespace LabelCompare
