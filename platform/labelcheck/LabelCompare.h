#pragma once

#include <opencv2/core.hpp>
#include <vector>

// The labels of a page and how each compares with the template.
namespace LabelCompare {

// The template's printed regions (grey, 8-bit): each group of print that
// stands apart from the rest, as a rectangle in template pixels, top to
// bottom, then left to right. At most maxRegions.
std::vector<cv::Rect> printedRegions(const cv::Mat &templ, size_t maxRegions);

// A label's place in the image (grey) against the same place of the scaled
// template (grey, the same size): 0 when the place is blank (deviation below
// blankDeviation) while the template has print there, 1 when the template
// matches within searchMargin pixels at least threshold, else 2.
int status(const cv::Mat &place, const cv::Mat &templatePlace, double threshold, double blankDeviation,
           int searchMargin);

} // namespace LabelCompare
