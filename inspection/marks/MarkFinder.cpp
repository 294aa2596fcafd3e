// The search of the round-mark finder: blobs of the thresholded image, taken
// from the centre outwards, tested for size and roundness.
#include "inspection/marks/MarkFinder.h"

#include "inspection/marks/MarkTrace.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kFirstLabel = 5;
constexpr int kLastLabel = 105;
constexpr int kMargin = 10;

} // namespace

int fillBlob(uchar *image, int width, int height, int seedX, int seedY, int label, int box[4])
{
    if (label < kFirstLabel || label > kLastLabel || !box || !image || seedX < 0 || seedY < 0 || seedX >= width ||
        seedY >= height)
        return 0;
    static const int dx[8] = {1, 1, 0, -1, -1, -1, 0, 1};
    static const int dy[8] = {0, -1, -1, -1, 0, 1, 1, 1};
    std::vector<int> queue; // x and y, interleaved
    queue.reserve(1024);
    image[size_t(seedY) * width + seedX] = uchar(label);
    queue.push_back(seedX);
    queue.push_back(seedY);
    int minX = seedX, maxX = seedX, minY = seedY, maxY = seedY;
    int area = 1;
    for (size_t head = 0; head < queue.size(); head += 2) {
        const int x = queue[head];
        const int y = queue[head + 1];
        for (int n = 0; n < 8; ++n) {
            const int nx = x + dx[n];
            const int ny = y + dy[n];
            if (nx < 0 || ny < 0 || nx >= width || ny >= height)
                continue;
            uchar &pixel = image[size_t(ny) * width + nx];
            if (pixel != 255)
                continue;
            pixel = uchar(label);
            queue.push_back(nx);
            queue.push_back(ny);
            ++area;
            minX = std::min(minX, nx);
            maxX = std::max(maxX, nx);
            minY = std::min(minY, ny);
            maxY = std::max(maxY, ny);
        }
    }
    box[0] = minX;
    box[1] = minY;
    box[2] = maxX - minX + 1;
    box[3] = maxY - minY + 1;
    return area;
}

int checkCircle(const uchar *image, int width, int height, int area, int label, const int box[4], MarkCircle *record)
{
    if (!record || !box || !image)
        return -1;
    record->x = record->y = record->diameter = 0;
    record->area = 0.0;
    record->centreX = record->centreY = 0.0;
    const int dmin = record->minDiameter;
    const int dmax = record->maxDiameter;
    if (dmin >= dmax)
        return -1;
    if (area < int(dmin * M_PI * dmin * 0.25) || area > int(dmax * M_PI * dmax * 0.25))
        return -1;
    const int minX = box[0], minY = box[1], bw = box[2], bh = box[3];
    if (std::abs(bw - bh) > (dmin + dmax) / 10)
        return -1;
    const int cx = minX + (bw + 1) / 2;
    const int cy = minY + (bh + 1) / 2;
    const int d = (bw + bh + 1) / 2;
    const int tolerance = std::max(d / 5, 1);

    // Extreme points: least and most x, y, x + y and x - y; the first pixel
    // met in row order wins a tie.
    int px[8] = {}, py[8] = {}, key[8] = {};
    bool seen = false;
    for (int y = minY; y < minY + bh && y < height; ++y) {
        const uchar *row = image + size_t(y) * width;
        for (int x = minX; x < minX + bw && x < width; ++x) {
            if (row[x] != label)
                continue;
            const int keys[8] = {x, -x, y, -y, x + y, -(x + y), x - y, -(x - y)};
            for (int k = 0; k < 8; ++k) {
                if (!seen || keys[k] < key[k]) {
                    key[k] = keys[k];
                    px[k] = x;
                    py[k] = y;
                }
            }
            seen = true;
        }
    }
    if (!seen)
        return -1;
    for (int k = 0; k < 8; ++k) {
        const int distance = int(std::sqrt(double((px[k] - cx) * (px[k] - cx) + (py[k] - cy) * (py[k] - cy))));
        if (std::abs(distance - d / 2) > tolerance)
            return -1;
    }
    const double ratio = double(bw) * bh / area;
    markTrace(QString::asprintf("DIAM:%d   RATIO: %lf", d, ratio));
    if ((d < 30 && ratio < 1.05) || (d >= 30 && ratio < 1.15) || ratio > 1.35)
        return -1;
    if (cx < kMargin || cx > width - kMargin || cy < kMargin || cy > height - kMargin)
        return -1;
    record->x = cx;
    record->y = cy;
    record->diameter = d;
    record->area = area;
    record->centreX = cx;
    record->centreY = cy;
    return 0;
}

double areaDiameter(const MarkCircle &circle)
{
    return circle.area > 0.0 ? 2.0 * std::sqrt(circle.area / M_PI) : 0.0;
}

int outsideCheck(const uchar *image, int width, int height, int x, int y, int diameter, int label)
{
    const int r = diameter / 2;
    const int s = int((int(r * M_SQRT2) - r) / M_SQRT2);
    const int corners[4][2] = {{x - r, y - r}, {x + r - s, y - r}, {x - r, y + r - s}, {x + r - s, y + r - s}};
    const int limit = diameter < 35 ? s * s : s * s / 4;
    for (const auto &corner : corners) {
        int count = 0;
        const int x0 = std::max(corner[0], 0), x1 = std::min(corner[0] + s, width);
        const int y0 = std::max(corner[1], 0), y1 = std::min(corner[1] + s, height);
        for (int row = y0; row < y1; ++row) {
            for (int col = x0; col < x1; ++col)
                count += image[size_t(row) * width + col] == label;
        }
        if (count > limit) {
            markTrace(QStringLiteral("OutsideCheck Failed!"));
            return -1;
        }
    }
    markTrace(QString::asprintf("<---OK---> X: %d Y: %d D: %d", x, y, diameter));
    return 0;
}

namespace {

enum class Spiral { Continue, Stop };

// Visits every pixel of ring r (the outline of the 2r x 2r square around the
// centre) clockwise from its top-left corner; `visit` may stop the walk.
template <typename Visit>
Spiral walkRing(int cx, int cy, int r, int width, int height, Visit visit)
{
    auto at = [&](int x, int y) {
        return (x >= 0 && y >= 0 && x < width && y < height) ? visit(x, y) : Spiral::Continue;
    };
    if (cy - r >= 0 && cy - r < height) {
        for (int x = cx - r; x <= cx + r - 2; ++x)
            if (at(x, cy - r) == Spiral::Stop)
                return Spiral::Stop;
    }
    if (cx + r - 1 >= 0 && cx + r - 1 < width) {
        for (int y = cy - r; y <= cy + r - 2; ++y)
            if (at(cx + r - 1, y) == Spiral::Stop)
                return Spiral::Stop;
    }
    if (cy + r - 1 >= 0 && cy + r - 1 < height) {
        for (int x = cx + r - 1; x >= cx - r + 1; --x)
            if (at(x, cy + r - 1) == Spiral::Stop)
                return Spiral::Stop;
    }
    if (cx - r >= 0 && cx - r < width) {
        for (int y = cy + r - 1; y >= cy - r + 1; --y)
            if (at(cx - r, y) == Spiral::Stop)
                return Spiral::Stop;
    }
    return Spiral::Continue;
}

} // namespace

int findMarkCircles(const uchar *grey, uchar *work1, uchar *work2, uchar *work3, int width, int height,
                    MarkCircle *results, int maxCount)
{
    if (!results || maxCount < 1 || !grey || !work1 || !work2 || !work3 || width < 1 || height < 1)
        return 0;
    for (int i = 1; i < maxCount; ++i) {
        results[i].minDiameter = results[0].minDiameter;
        results[i].maxDiameter = results[0].maxDiameter;
    }
    int s2 = width >> 8;
    for (int k = 1; k <= 8; ++k) {
        s2 = width >> k;
        if (s2 < results[0].maxDiameter)
            break;
    }
    markTrace(QString::asprintf("s2: %d", s2));
    smoothImage(grey, work1, width, height, 5);

    const int cx = width / 2, cy = height / 2;
    const int rings = std::max(width, height) / 2;
    int count = 0;
    for (int T = 5; T < 15; T += 5) {
        markTrace(QString::asprintf("T: %d", T));
        binarizeAdaptive(work1, work3, width, height, s2, T, 1);
        morphErode(work3, work2, width, height);
        morphErode(work2, work3, width, height);
        morphErode(work3, work2, width, height);
        morphDilate(work2, work3, width, height);
        morphDilate(work3, work2, width, height);
        morphDilate(work2, work3, width, height);

        int label = kFirstLabel;
        bool ended = false; // too many blobs, or enough circles
        auto visit = [&](int x, int y) {
            if (work3[size_t(y) * width + x] != 255)
                return Spiral::Continue;
            if (label > kLastLabel) {
                ended = true;
                return Spiral::Stop;
            }
            int box[4] = {};
            const int area = fillBlob(work3, width, height, x, y, label, box);
            if (area > 0 && checkCircle(work3, width, height, area, label, box, &results[count]) == 0 &&
                outsideCheck(work3, width, height, results[count].x, results[count].y, results[count].diameter,
                             label) == 0) {
                if (++count == maxCount) {
                    ended = true;
                    return Spiral::Stop;
                }
            }
            ++label;
            return Spiral::Continue;
        };
        for (int r = 1; r <= rings && !ended; ++r)
            walkRing(cx, cy, r, width, height, visit);
        if (ended || count > 0)
            return count;
    }
    return count;
}

namespace {

// The disc's area and centre to the sub-pixel, from the frame's brightness
// around a found circle: each pixel counts by how far it lies from the
// background towards the disc's inside, so the smoothed or antialiased rim
// counts in part where the threshold takes it whole, a pixel too wide. The
// area is 0 when there is too little contrast to measure.
struct Coverage
{
    double area = 0.0;
    double x = 0.0, y = 0.0; // pixel edges, as the circle's own centre
};

Coverage coverage(const uchar *rgb, int width, int height, const MarkCircle &c)
{
    const double r = c.diameter / 2.0;
    const double rim = std::max(3.0, r * 0.15);
    const double inner2 = 0.36 * r * r, edge2 = (r + rim) * (r + rim), outer2 = (r + 2 * rim) * (r + 2 * rim);
    const int reach = int(std::ceil(r + 2 * rim));
    const int x0 = std::max(0, c.x - reach), x1 = std::min(width - 1, c.x + reach);
    const int y0 = std::max(0, c.y - reach), y1 = std::min(height - 1, c.y + reach);
    auto level = [&](int x, int y) {
        const uchar *p = rgb + (size_t(y) * width + x) * 3;
        return double(p[0]) + p[1] + p[2];
    };
    auto distance2 = [&](int x, int y) { return double(x - c.x) * (x - c.x) + double(y - c.y) * (y - c.y); };
    double inside = 0.0, outside = 0.0;
    int insideCount = 0, outsideCount = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double d2 = distance2(x, y);
            if (d2 < inner2) {
                inside += level(x, y);
                ++insideCount;
            } else if (d2 >= edge2 && d2 <= outer2) {
                outside += level(x, y);
                ++outsideCount;
            }
        }
    }
    Coverage out;
    if (insideCount == 0 || outsideCount == 0)
        return out;
    const double dark = inside / insideCount, light = outside / outsideCount;
    if (light - dark < 30.0) // ten grey levels
        return out;
    double area = 0.0, sumX = 0.0, sumY = 0.0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (distance2(x, y) >= edge2)
                continue;
            const double w = std::clamp((light - level(x, y)) / (light - dark), 0.0, 1.0);
            area += w;
            sumX += w * (x + 0.5);
            sumY += w * (y + 0.5);
        }
    }
    if (area > 0.0) {
        out.area = area;
        out.x = sumX / area;
        out.y = sumY / area;
    }
    return out;
}

} // namespace

int scanCircle(int diameter, const QImage &image, MarkCircle *results, int maxCount, double tolerance)
{
    if (!results || maxCount < 1 || image.isNull())
        return 0;
    const int w = image.width(), h = image.height();
    if (qint64(w) * h > kMaxFinderPixels)
        return 0;
    const QImage rgb = image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return 0;
    // QImage rows are padded to 4 bytes; the finder reads packed rows.
    const size_t pixels = size_t(w) * size_t(h);
    std::vector<uchar> packed(pixels * 3);
    for (int y = 0; y < h; ++y)
        std::copy_n(rgb.constScanLine(y), size_t(w) * 3, packed.data() + size_t(y) * w * 3);
    std::vector<uchar> buffers(pixels * 4);
    uchar *grey = buffers.data();
    rgbToGray(packed.data(), grey, w, h);
    results[0].minDiameter = int((1.0 - tolerance) * diameter);
    results[0].maxDiameter = int((1.0 + tolerance) * diameter);
    const int found = findMarkCircles(grey, grey + pixels, grey + 2 * pixels, grey + 3 * pixels, w, h, results, maxCount);
    for (int i = 0; i < found; ++i) {
        results[i].centreX = results[i].x;
        results[i].centreY = results[i].y;
        // A measure far from the blob's own is something else in the rim: keep the blob's.
        const Coverage c = coverage(packed.data(), w, h, results[i]);
        if (c.area > 0.8 * results[i].area && c.area < 1.2 * results[i].area && std::abs(c.x - results[i].x) < 2.0 &&
            std::abs(c.y - results[i].y) < 2.0) {
            results[i].area = c.area;
            results[i].centreX = c.x;
            results[i].centreY = c.y;
        }
    }
    return found;
}
