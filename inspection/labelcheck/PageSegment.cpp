#include "inspection/labelcheck/PageSegment.h"

#include <algorithm>
#include <cmath>

namespace PageSegment {

Step next(const Inputs &in)
{
    Step out;
    out.segmentX = in.segmentX;
    if (in.found < 1) {
        // Without a scale the rewind length has no size in pixels: the row stays.
        if (in.segmentX != 0 && in.scale != 0.0 && std::isfinite(in.scale)) {
            const double moved = in.segmentX - in.collectLen / in.scale;
            if (std::isfinite(moved) && std::fabs(moved) < 2147483647.0)
                out.segmentX = int(moved);
        }
        out.setCollectLen = true;
        out.collectLen = in.collectLenSetting;
        return out;
    }
    out.newPage = in.found > in.segmentX && !in.pageChecked;
    out.segmentX = in.found;
    if (!(in.pageHeight > 0.0) || !std::isfinite(in.pageHeight) || !std::isfinite(in.scale))
        return out;
    const double p = (in.found - in.imageHeight * 0.5) * in.scale + in.centerX;
    // The nearest boundary below and above; floor keeps a position before
    // the first boundary measured from the one before it, not from zero.
    const double n = std::floor(p / in.pageHeight);
    const double distance = std::min(p - n * in.pageHeight, (n + 1) * in.pageHeight - p);
    out.setCollectLen = true;
    out.collectLen = std::min(distance, in.collectLenSetting);
    return out;
}

} // namespace PageSegment
