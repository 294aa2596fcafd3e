#pragma once

#include <opencv2/core.hpp>

// Where the paper and the page lie in a check camera image (grey, 8-bit).
namespace PaperFinder {

struct Edges
{
    int first = 0; // first paper column
    int last = 0;  // first belt column after the paper
    bool found() const { return last > first; }
};

// The paper between the dark belt on both sides, from the columns' mean
// brightness: the columns brighter than halfway between belt and paper.
// None when belt and paper differ by less than minContrast, or when the
// paper reaches an image border (its edge is then not seen).
Edges findEdges(const cv::Mat &grey, double minContrast);

struct Page
{
    int row = 0;        // where the page starts
    double score = 0.0; // its similarity with the template
};

// The row where the page (templ, already scaled to the paper's width and
// as wide as paper) starts: matched coarse to fine along the paper. A score
// of -1 when the template does not fit the image.
Page findPage(const cv::Mat &paper, const cv::Mat &templ);

} // namespace PaperFinder
