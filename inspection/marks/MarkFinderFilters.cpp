// Pixel filters of the round-mark finder: grey conversion, smoothing, local
// threshold and 3 x 3 morphology, all on packed 8-bit buffers.
#include "inspection/marks/MarkFinder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Gamma tables, built once; a function-local static is built exactly once
// even when two threads scan at the same time.
struct GammaTables
{
    float red[256];
    float green[256];
    float blue[256];
    // levels[k] is the smallest weighted sum that gives grey k or more, so
    // the per-pixel power becomes a search in a sorted table.
    float levels[256];
    // start[b]: the grey of the weighted sum b / kBuckets, where a pixel's
    // search through levels begins.
    static constexpr int kBuckets = 4096;
    uchar start[kBuckets + 1];

    GammaTables()
    {
        for (int v = 0; v < 256; ++v) {
            const float p = std::pow(float(v) / 255.0f, 2.2f);
            red[v] = p * 0.2973f;
            green[v] = p * 0.6274f;
            blue[v] = p * 0.0753f;
        }
        levels[0] = 0.0f;
        for (int k = 1; k < 256; ++k)
            levels[k] = firstSumGiving(k);
        for (int b = 0; b <= kBuckets; ++b)
            start[b] = uchar(std::upper_bound(levels + 1, levels + 256, float(b) / kBuckets) - (levels + 1));
    }

    // The number of levels 1..255 not above the sum: exactly grey(sum).
    int lookUp(float sum) const
    {
        int g = start[std::clamp(int(sum * kBuckets), 0, kBuckets)];
        while (g > 0 && levels[g] > sum)
            --g;
        while (g < 255 && levels[g + 1] <= sum)
            ++g;
        return g;
    }

    static int grey(float sum) { return int(255.0f * std::pow(sum, 0.45454544f)); }

    // Bisection over the bit patterns of non-negative floats, which order
    // like the floats themselves; grey() never falls as the sum grows.
    static float firstSumGiving(int k)
    {
        quint32 low = 0;
        float top = 2.0f;
        quint32 high;
        std::memcpy(&high, &top, sizeof high);
        while (low < high) {
            const quint32 mid = low + (high - low) / 2;
            float value;
            std::memcpy(&value, &mid, sizeof value);
            if (grey(value) >= k)
                high = mid;
            else
                low = mid + 1;
        }
        float found;
        std::memcpy(&found, &low, sizeof found);
        return found;
    }
};

const GammaTables &gammaTables()
{
    static const GammaTables tables;
    return tables;
}

} // namespace

void rgbToGray(const uchar *rgb, uchar *grey, int width, int height)
{
    const GammaTables &t = gammaTables();
    const qint64 count = qint64(width) * height;
    for (qint64 i = 0; i < count; ++i, rgb += 3)
        grey[i] = uchar(t.lookUp(t.green[rgb[1]] + t.red[rgb[0]] + t.blue[rgb[2]]));
}

int smoothImage(const uchar *src, uchar *dst, int width, int height, int size)
{
    const qint64 count = qint64(width) * height;
    std::memcpy(dst, src, size_t(count));
    if (size % 2 == 0 || size < 1)
        return -1;
    const int half = size / 2;
    std::vector<float> kernel(size_t(size) * size);
    float total = 0.0f;
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            const float v = std::exp(-float((i - half) * (i - half) + (j - half) * (j - half)) * 0.5f);
            kernel[size_t(i) * size + j] = v;
            total += v;
        }
    }
    for (float &v : kernel)
        v /= total;
    // A row of sums at a time, each pixel's terms added in kernel order: the
    // pixels of a row do not wait on one another.
    const int inner = width - 2 * half;
    if (inner < 1 || height - 2 * half < 1)
        return 0;
    std::vector<float> sums(size_t(inner), 0.0f);
    std::vector<float> values(src, src + count);
    for (int y = half; y < height - half; ++y) {
        float *__restrict acc = sums.data();
        std::fill(acc, acc + inner, 0.0f);
        for (int i = 0; i < size; ++i) {
            const float *row = values.data() + qint64(y - half + i) * width;
            for (int j = 0; j < size; ++j) {
                const float k = kernel[size_t(i) * size + j];
                const float *__restrict from = row + j;
                for (int x = 0; x < inner; ++x)
                    acc[x] += k * from[x];
            }
        }
        uchar *out = dst + qint64(y) * width + half;
        for (int x = 0; x < inner; ++x)
            out[x] = uchar(int(acc[x]));
    }
    return 0;
}

int binarizeAdaptive(const uchar *src, uchar *dst, int width, int height, int s, int T, int inverse)
{
    // 64-bit sums: a window over a large image overflows 32 bits.
    std::vector<quint64> integral;
    try {
        integral.resize(size_t(width) * size_t(height));
    } catch (const std::bad_alloc &) {
        return -1;
    }
    for (int y = 0; y < height; ++y) {
        quint64 rowSum = 0;
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * width + x;
            rowSum += src[i];
            integral[i] = rowSum + (y > 0 ? integral[i - width] : 0);
        }
    }
    const uchar light = inverse >= 1 ? 0 : 255;
    const uchar dark = inverse >= 1 ? 255 : 0;
    const quint64 keep = quint64(std::max(0, 100 - T));
    for (int y = 0; y < height; ++y) {
        const int y1 = std::max(y - s, 0);
        const int y2 = std::min(y + s, height - 1);
        const quint64 *row1 = integral.data() + size_t(y1) * width;
        const quint64 *row2 = integral.data() + size_t(y2) * width;
        for (int x = 0; x < width; ++x) {
            const int x1 = std::max(x - s, 0);
            const int x2 = std::min(x + s, width - 1);
            const quint64 count = quint64(x2 - x1) * quint64(y2 - y1);
            const quint64 sum = row2[x2] - row1[x2] - row2[x1] + row1[x1];
            const size_t i = size_t(y) * width + x;
            dst[i] = quint64(src[i]) * count > sum * keep / 100 ? light : dark;
        }
    }
    return 0;
}

namespace {

// A clipped 3 x 3 window is a clipped 1 x 3 pass along the rows followed by
// one along the columns; `pick` is min for erosion, max for dilation.
template <typename Pick>
void morph3x3(const uchar *src, uchar *dst, int width, int height, Pick pick)
{
    if (width < 1 || height < 1)
        return;
    for (int y = 0; y < height; ++y) {
        const uchar *s = src + size_t(y) * width;
        uchar *d = dst + size_t(y) * width;
        if (width == 1) {
            d[0] = s[0];
            continue;
        }
        d[0] = pick(s[0], s[1]);
        for (int x = 1; x < width - 1; ++x)
            d[x] = pick(pick(s[x - 1], s[x]), s[x + 1]);
        d[width - 1] = pick(s[width - 2], s[width - 1]);
    }
    std::vector<uchar> above(dst, dst + width);
    std::vector<uchar> current(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        uchar *d = dst + size_t(y) * width;
        std::copy(d, d + width, current.begin());
        const uchar *below = y + 1 < height ? d + width : nullptr;
        for (int x = 0; x < width; ++x) {
            uchar v = current[size_t(x)];
            if (y > 0)
                v = pick(v, above[size_t(x)]);
            if (below)
                v = pick(v, below[x]);
            d[x] = v;
        }
        above.swap(current);
    }
}

} // namespace

void morphErode(const uchar *src, uchar *dst, int width, int height)
{
    morph3x3(src, dst, width, height, [](uchar a, uchar b) { return a < b ? a : b; });
}

void morphDilate(const uchar *src, uchar *dst, int width, int height)
{
    morph3x3(src, dst, width, height, [](uchar a, uchar b) { return a > b ? a : b; });
}
