#include "inspection/labelcheck/PaperEdge.h"

#include <QtGlobal>
#include <cmath>

PaperEdge::Outcome PaperEdge::track(int firstEdge, int lastEdge, double pageWidthMm, double minWidth, double maxOffset)
{
    Outcome out;
    out.width = double(qint64(lastEdge) - firstEdge);
    // No paper at all, whatever the least width says (a least width of 0
    // would let a width of 0 through to a division by it).
    if (out.width < 1.0 || minWidth > out.width)
        return out;
    if (!(pageWidthMm > 0.0) || !std::isfinite(pageWidthMm)) {
        out.kind = Outcome::NoPageSize;
        return out;
    }
    out.scale = pageWidthMm / out.width;
    const double previousScale = m_scale.load();
    if (!qFuzzyCompare(out.scale, previousScale)) {
        m_scale.store(out.scale);
        out.scaleChanged = true;
    }
    out.centre = double(qint64(firstEdge) + lastEdge) * 0.5;
    out.reference = m_center.load();
    out.previousWidth = m_width.load();
    if (qFuzzyIsNull(out.reference)) {
        if (out.width > minWidth) {
            m_center.store(out.centre);
            m_width.store(out.width);
            out.reference = out.centre;
            out.kind = Outcome::ReferenceTaken;
        }
        return out;
    }
    if (std::fabs(out.previousWidth - out.width) * out.scale > kMaxWidthJumpMm) {
        out.kind = Outcome::WidthJump;
        return out;
    }
    out.offset = (out.centre - out.reference) * out.scale;
    if (std::fabs(out.offset) > maxOffset) {
        out.kind = Outcome::TooFar;
        return out;
    }
    m_offset.store(out.offset);
    m_width.store(out.width);
    out.kind = Outcome::Accepted;
    return out;
}
