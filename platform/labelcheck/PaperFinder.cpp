#include "PaperFinder.h"

#include <opencv2/imgproc.hpp>
#include <algorithm>
#include <cmath>
#include <vector>

namespace PaperFinder {

namespace {

// The coarsest level of the page search is about this wide.
constexpr int kCoarseWidth = 160;
// Rows searched around a position taken from the level above.
constexpr int kRefineRows = 2;

// Zero-mean normalised cross-correlation of two grey images of one size.
double similarity(const cv::Mat &a, const cv::Mat &b, double meanB, double devB)
{
    cv::Scalar meanA, devA;
    cv::meanStdDev(a, meanA, devA);
    if (devA[0] < 1e-6 || devB < 1e-6)
        return 0.0;
    const double n = double(a.total());
    const double cov = a.dot(b) / n - meanA[0] * meanB;
    return cov / (devA[0] * devB);
}

} // namespace

Edges findEdges(const cv::Mat &grey, double minContrast)
{
    Edges edges;
    if (grey.empty() || grey.type() != CV_8UC1 || grey.cols < 3)
        return edges;
    cv::Mat profile;
    cv::reduce(grey, profile, 0, cv::REDUCE_AVG, CV_32F);
    const float *p = profile.ptr<float>();
    const int n = profile.cols;
    const auto [lowIt, highIt] = std::minmax_element(p, p + n);
    const float low = *lowIt, high = *highIt;
    if (!(high - low >= minContrast))
        return edges;
    const float level = (low + high) / 2.0f;
    int a = 0;
    while (a < n && p[a] < level)
        ++a;
    int b = n - 1;
    while (b > a && p[b] < level)
        --b;
    // Paper up to a border: that edge lies outside the image.
    if (a == 0 || b == n - 1 || a >= b)
        return edges;
    // The crossings between the columns' centres (column i is centred on i + 0.5).
    const double left = a - 0.5 + (level - p[a - 1]) / std::max(1e-3f, p[a] - p[a - 1]);
    const double right = b + 0.5 + (p[b] - level) / std::max(1e-3f, p[b] - p[b + 1]);
    edges.first = int(std::lround(left));
    edges.last = int(std::lround(right));
    if (edges.last <= edges.first)
        edges = Edges();
    return edges;
}

Page findPage(const cv::Mat &paper, const cv::Mat &templ)
{
    Page page{0, -1.0};
    if (paper.empty() || templ.empty() || paper.type() != CV_8UC1 || templ.type() != CV_8UC1 ||
        templ.cols != paper.cols || templ.rows < 2 || paper.rows < 2)
        return page;
    // A page longer than the view is found by its first part.
    const cv::Mat part = templ.rows <= paper.rows ? templ : templ.rowRange(0, std::max(2, paper.rows / 2));

    std::vector<cv::Mat> papers{paper}, parts{part};
    while (papers.back().cols / 2 >= kCoarseWidth && parts.back().rows / 2 >= 8) {
        cv::Mat p, t;
        cv::pyrDown(papers.back(), p);
        cv::pyrDown(parts.back(), t);
        if (t.rows > p.rows || t.cols != p.cols)
            break;
        papers.push_back(p);
        parts.push_back(t);
    }

    const int top = int(papers.size()) - 1;
    cv::Mat scores;
    cv::matchTemplate(papers[top], parts[top], scores, cv::TM_CCOEFF_NORMED);
    cv::patchNaNs(scores, -1.0);
    double best = -1.0;
    cv::Point at;
    cv::minMaxLoc(scores, nullptr, &best, nullptr, &at);
    int row = at.y;

    for (int level = top - 1; level >= 0; --level) {
        const cv::Mat &p = papers[level];
        const cv::Mat &t = parts[level];
        cv::Scalar meanT, devT;
        cv::meanStdDev(t, meanT, devT);
        const int last = p.rows - t.rows;
        const int from = std::clamp(row * 2 - kRefineRows, 0, last);
        const int to = std::clamp(row * 2 + kRefineRows, 0, last);
        best = -2.0;
        for (int y = from; y <= to; ++y) {
            const double s = similarity(p.rowRange(y, y + t.rows), t, meanT[0], devT[0]);
            if (s > best) {
                best = s;
                row = y;
            }
        }
    }
    page.row = row;
    page.score = std::isfinite(best) ? best : -1.0;
    return page;
}

} // namespace PaperFinder
