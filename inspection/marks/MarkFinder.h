#pragma once

// The round-mark finder: dark, filled, round registration marks of a known
// diameter in an 8-bit image. Plain functions on packed byte buffers (row r
// starts at r x width), searched from the image centre outwards.

#include <QtGlobal>

class QImage;

struct MarkCircle
{
    int minDiameter = 0; // in: smallest accepted diameter, pixels
    int maxDiameter = 0; // in: largest accepted diameter, pixels
    int x = 0;           // out: centre column
    int y = 0;           // out: centre row
    int diameter = 0;    // out: measured diameter (bounding square, whole pixels)
    // out, to the sub-pixel where scanCircle could measure the frame's shading
    // (else the blob's own): the mark's area in pixels, and its centre.
    double area = 0.0;
    double centreX = 0.0;
    double centreY = 0.0;
};

// The diameter of the disc of a record's area: the mark's scale to the
// sub-pixel rather than its bounding square in whole pixels.
double areaDiameter(const MarkCircle &circle);

// Up to maxCount circles whose diameter lies within results[0]'s range (the
// range is copied to every record first). work1..3 are scratch buffers of
// width x height bytes. Returns the number of records filled, nearest the
// centre first.
int findMarkCircles(const uchar *grey, uchar *work1, uchar *work2, uchar *work3, int width, int height,
                    MarkCircle *results, int maxCount);

// Packed 3-byte RGB (red first) to grey through a 2.2 gamma, weighted per channel.
void rgbToGray(const uchar *rgb, uchar *grey, int width, int height);
// Gaussian (sigma 1) smoothing with an odd square kernel; the border band of
// size/2 pixels keeps the source. -1 for an even size (dst is then a copy).
int smoothImage(const uchar *src, uchar *dst, int width, int height, int size);
// Local threshold over a (2s+1)-square window through an integral image: a
// pixel no brighter than (100 - T) percent of its local mean is foreground;
// with inverse >= 1 foreground is 255, else 0.
int binarizeAdaptive(const uchar *src, uchar *dst, int width, int height, int s, int T, int inverse);
// 3 x 3 erosion and dilation of a 0/255 image, the window clipped at the border.
void morphErode(const uchar *src, uchar *dst, int width, int height);
void morphDilate(const uchar *src, uchar *dst, int width, int height);
// Eight-connected fill of the 255-blob at the seed with label (5 to 105);
// box receives minX, minY, width, height. Returns the area, 0 when refused.
int fillBlob(uchar *image, int width, int height, int seedX, int seedY, int label, int box[4]);
// Shape tests of a labelled blob against the record's diameter range: area,
// aspect, eight extreme points on the circle, fill ratio, margin of 10 pixels.
// 0 and the record filled when accepted, -1 when rejected.
int checkCircle(const uchar *image, int width, int height, int area, int label, const int box[4], MarkCircle *record);
// The blob must leave the four corners of its bounding square empty: 0 passed, -1 failed.
int outsideCheck(const uchar *image, int width, int height, int x, int y, int diameter, int label);

// The finder on a QImage of any format: expected diameter d, tolerance tol
// (relative), up to maxCount results. Rows are repacked, so any width works.
// 0 for a null image, an image too large to search, or bad arguments.
int scanCircle(int diameter, const QImage &image, MarkCircle *results, int maxCount, double tolerance);

// Largest image scanCircle searches (pixels); a mark camera frame is far smaller.
constexpr qint64 kMaxFinderPixels = qint64(64) * 1024 * 1024;
