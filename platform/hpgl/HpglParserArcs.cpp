// Arcs and circles (AA, AR, CI) as chords: every chord stays within
// kTolerance plotter units of the true curve, a twentieth of a millimetre
// with room for rounding. An arc is computed in user units and mapped as the
// points are (a circle under unequal scaling becomes the ellipse a plotter
// would draw).
#include "HpglParser.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLimit = 2147483648.0; // 2^31, as for single points
constexpr double kTolerance = 1.9;      // plotter units; 0.05 mm is 2
constexpr double kPi = 3.14159265358979323846;

// Chords for a sweep (radians) on a curve of largest radius `reach`.
int chordCount(double reach, double sweep)
{
    double step = kPi / 4; // at least eight to a full turn, however small
    if (reach > kTolerance / 2)
        step = std::min(step, 2 * std::acos(1 - kTolerance / reach));
    return std::max(1, int(std::ceil(std::fabs(sweep) / step)));
}

} // namespace

// The numbers of an arc or circle; fewer than `least` are dropped (counted).
bool HpglParser::curveValues(double *v, int max, int least)
{
    const int n = values(v, max);
    if (n < least) {
        m_stats.skippedValues += qMax(n, 1);
        return false;
    }
    if (m_scaling.isBroken())
        unhonoured('S', 'C');
    return true;
}

// The whole curve lies within the coordinate limit, or it is not drawn at all:
// a curve out of range would otherwise cost its every chord for nothing.
bool HpglParser::arcFits(double cx, double cy, double r) const
{
    const double reach = r * std::max(std::fabs(m_scaling.ax()), std::fabs(m_scaling.ay()));
    return std::fabs(cx) + reach <= kLimit && std::fabs(cy) + reach <= kLimit;
}

void HpglParser::arcTo(double cx, double cy, double r, double phi0, double sweep, double startX, double startY)
{
    const double ax = m_scaling.ax(), ay = m_scaling.ay();
    const bool fullTurn = std::fabs(sweep) >= 2 * kPi;
    // With the pen up only where it ends matters.
    const int chords = m_penDown ? chordCount(r * std::max(std::fabs(ax), std::fabs(ay)), sweep) : 1;
    for (int i = 1; i <= chords && !m_stopped; ++i) {
        if (i == chords && fullTurn) {
            plotTo(startX, startY); // closed exactly
        } else {
            const double phi = phi0 + sweep * i / chords;
            plotTo(cx + ax * r * std::cos(phi), cy + ay * r * std::sin(phi));
        }
    }
}

// AA x,y,angle[,chord] and AR dx,dy,angle[,chord]: from the pen's place about
// the centre, counter-clockwise for a positive angle (degrees). The file's
// chord angle is not used: the tolerance above is finer than any in use.
void HpglParser::arc(bool relative)
{
    double v[4];
    if (!curveValues(v, 4, 3))
        return;
    const double ax = m_scaling.ax(), ay = m_scaling.ay();
    const double cx = relative ? m_x + ax * v[0] : m_scaling.x(v[0]);
    const double cy = relative ? m_y + ay * v[1] : m_scaling.y(v[1]);
    // Where the pen is, in user units about the centre.
    const double ux = (m_x - cx) / ax, uy = (m_y - cy) / ay;
    const double r = std::hypot(ux, uy);
    const double sweep = std::clamp(v[2], -360.0, 360.0) * kPi / 180;
    if (r == 0 || sweep == 0)
        return; // a dot: the pen stays
    if (m_lifted || !std::isfinite(r) || (m_penDown && !arcFits(cx, cy, r))) {
        // No known start, or a curve beyond the limit: the pen travels up past it.
        ++m_stats.skippedValues;
        endPath();
        m_lifted = true;
        return;
    }
    arcTo(cx, cy, r, std::atan2(uy, ux), sweep, m_x, m_y);
}

// CI radius[,chord]: a whole circle about the pen's place, drawn whatever the
// pen's state, as a path of its own; the pen then stands at the centre again,
// up or down as before. A negative radius starts at 180 degrees.
void HpglParser::circle()
{
    double v[2];
    if (!curveValues(v, 2, 1))
        return;
    const double r = std::fabs(v[0]);
    if (r == 0)
        return;
    const double cx = m_x, cy = m_y;
    if (m_lifted || !arcFits(cx, cy, r)) {
        ++m_stats.skippedValues;
        return;
    }
    const double phi0 = v[0] < 0 ? kPi : 0;
    const double startX = cx + m_scaling.ax() * r * std::cos(phi0);
    const double startY = cy + m_scaling.ay() * r * std::sin(phi0);
    const bool down = m_penDown;
    endPath();
    m_penDown = false;
    plotTo(startX, startY);
    m_penDown = true;
    arcTo(cx, cy, r, phi0, 2 * kPi, startX, startY);
    if (m_stopped)
        return;
    endPath();
    m_penDown = down;
    m_lifted = false;
    m_x = cx;
    m_y = cy;
}
