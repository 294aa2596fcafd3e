#pragma once

#include <atomic>

// The paper edge seen by the check camera: the camera's scale from the known
// width of the cut page, and how far the paper's centre has moved since the
// reference taken after the last web-guide reset. The check thread tracks;
// the collect worker reads the offset and the driver resets the reference
// from their own threads: every value is atomic.
class PaperEdge
{
public:
    // Largest change of the paper's width between two checks (mm) that is
    // still the same paper; a bigger one is a misread edge.
    static constexpr double kMaxWidthJumpMm = 4.0;

    struct Outcome
    {
        enum Kind {
            Ignored,        // no paper, or narrower than the least width
            NoPageSize,     // no cut page to take the scale from
            ReferenceTaken, // the first check after a reset
            WidthJump,      // the width jumped: the check is not used
            TooFar,         // the paper drifted beyond the greatest offset
            Accepted,       // the offset was stored
        };
        Kind kind = Ignored;
        double width = 0.0;    // pixels
        double centre = 0.0;   // pixels
        double reference = 0.0;
        double previousWidth = 0.0;
        double offset = 0.0;   // mm
        double scale = 0.0;    // mm per pixel
        bool scaleChanged = false;
    };

    // One check's edges (pixel columns), with the cut page's width (mm),
    // the least paper width (pixels) and the greatest offset (mm).
    Outcome track(int firstEdge, int lastEdge, double pageWidthMm, double minWidth, double maxOffset);

    double scale() const { return m_scale.load(); }
    double offset() const { return m_offset.load(); }
    double reference() const { return m_center.load(); }
    // After a web-guide reset: the next check takes the reference anew.
    void resetCenter() { m_center.store(0.0); }

private:
    std::atomic<double> m_scale{0.0};
    std::atomic<double> m_center{0.0};
    std::atomic<double> m_width{0.0};
    std::atomic<double> m_offset{0.0};
};
