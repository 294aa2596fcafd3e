#include "HpglScaling.h"

#include <algorithm>
#include <cmath>

namespace {

bool finite(const double *values, int count)
{
    return std::all_of(values, values + count, [](double v) { return std::isfinite(v); });
}

// One axis of isotropic scaling: the user range lo..hi at the common factor s,
// placed inside the span p1..p2 with `percent` of the room left over on its
// low side (HP-GL's "left" and "bottom"). The direction of each axis stays as
// P1, P2 and the range give it.
void isotropicAxis(double p1, double p2, double lo, double hi, double s, double percent, double &a, double &b)
{
    const double span = p2 - p1;
    const double range = hi - lo;
    a = (span < 0) != (range < 0) ? -s : s;
    const double start = std::min(p1, p2) + (std::fabs(span) - s * std::fabs(range)) * percent / 100.0;
    const double userAtStart = a > 0 ? std::min(lo, hi) : std::max(lo, hi);
    b = start - a * userAtStart;
}

} // namespace

void HpglScaling::reset()
{
    m_p1x = m_p1y = m_p2x = m_p2y = 0;
    m_p2Known = false;
    off();
}

void HpglScaling::off()
{
    m_wanted = false;
    m_scCount = 0;
    update();
}

bool HpglScaling::setPoints(const double *v, int count)
{
    if (!finite(v, count))
        return false;
    if (count == 0) {
        m_p1x = m_p1y = m_p2x = m_p2y = 0;
        m_p2Known = false;
    } else if (count == 2 || count == 3) {
        // P2 keeps its distance from P1.
        m_p2x += v[0] - m_p1x;
        m_p2y += v[1] - m_p1y;
        m_p1x = v[0];
        m_p1y = v[1];
    } else if (count >= 4) {
        m_p1x = v[0];
        m_p1y = v[1];
        m_p2x = v[2];
        m_p2y = v[3];
        m_p2Known = true;
    } else {
        return false;
    }
    update();
    return true;
}

bool HpglScaling::setScale(const double *v, int count)
{
    if (count == 0) {
        off();
        return true;
    }
    m_wanted = true;
    m_scCount = std::min(count, 7);
    std::copy(v, v + m_scCount, m_sc);
    update();
    return count >= 4;
}

void HpglScaling::update()
{
    m_on = false;
    m_ax = m_ay = 1;
    m_bx = m_by = 0;
    if (!m_wanted || m_scCount < 4 || !finite(m_sc, m_scCount))
        return;
    const double *v = m_sc;
    const double kind = m_scCount >= 5 ? v[4] : 0;
    if (kind != 0 && kind != 1 && kind != 2)
        return;
    const int type = int(kind);
    double ax = 0, bx = 0, ay = 0, by = 0;
    if (type == 2) {
        // Point factor: plotter units per user unit, the minimum at P1.
        ax = v[1];
        ay = v[3];
        bx = m_p1x - ax * v[0];
        by = m_p1y - ay * v[2];
    } else {
        if (!m_p2Known || v[1] == v[0] || v[3] == v[2] || m_p2x == m_p1x || m_p2y == m_p1y)
            return;
        ax = (m_p2x - m_p1x) / (v[1] - v[0]);
        ay = (m_p2y - m_p1y) / (v[3] - v[2]);
        if (type == 1) {
            const double s = std::min(std::fabs(ax), std::fabs(ay));
            const double left = m_scCount >= 6 ? std::clamp(v[5], 0.0, 100.0) : 50.0;
            const double bottom = m_scCount >= 7 ? std::clamp(v[6], 0.0, 100.0) : 50.0;
            isotropicAxis(m_p1x, m_p2x, v[0], v[1], s, left, ax, bx);
            isotropicAxis(m_p1y, m_p2y, v[2], v[3], s, bottom, ay, by);
        } else {
            bx = m_p1x - ax * v[0];
            by = m_p1y - ay * v[2];
        }
    }
    if (ax == 0 || ay == 0 || !std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
        return;
    m_ax = ax;
    m_bx = bx;
    m_ay = ay;
    m_by = by;
    m_on = true;
}
