#include "tools/simcontroller/machine/PenTrace.h"

#include <charconv>
#include <cstring>
#include <cmath>

namespace {

bool separator(char c)
{
    return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The numbers of one parameter list ("10,-20,30 40") into values; false when
// one of them is no number. Read in place: cut files run to megabytes.
bool numbers(const char *from, const char *to, QList<double> &values)
{
    values.clear();
    const char *p = from;
    while (p < to) {
        while (p < to && separator(*p))
            ++p;
        if (p == to)
            break;
        const char *start = *p == '+' ? p + 1 : p; // from_chars takes no plus sign
        double v = 0;
        const auto [end, error] = std::from_chars(start, to, v);
        if (error != std::errc() || !std::isfinite(v) || (end < to && !separator(*end)))
            return false;
        values.append(v);
        p = end;
    }
    return true;
}

} // namespace

PenTrace PenTrace::of(const QByteArray &hpgl, bool withCuts)
{
    PenTrace trace;
    QPointF pen;
    bool down = false;
    bool relative = false;
    QList<double> values;
    const char *data = hpgl.constData();
    const char *const end = data + hpgl.size();
    for (const char *at = data; at < end;) {
        const char *stop = static_cast<const char *>(memchr(at, ';', size_t(end - at)));
        if (!stop)
            stop = end;
        const char *p = at;
        at = stop + 1;
        while (p < stop && separator(*p))
            ++p;
        if (stop - p < 2)
            continue;
        const char a = char(p[0] & ~0x20), b = char(p[1] & ~0x20); // upper case
        if (a == 'I' && b == 'N') {
            down = false;
            relative = false;
            continue;
        }
        if (a != 'P')
            continue;
        if (b == 'U')
            down = false;
        else if (b == 'D')
            down = true;
        else if (b == 'A')
            relative = false;
        else if (b == 'R')
            relative = true;
        else
            continue;
        if (!numbers(p + 2, stop, values) || values.size() % 2 != 0)
            continue; // a damaged list moves nothing
        for (qsizetype i = 0; i + 1 < values.size(); i += 2) {
            const QPointF next = relative ? pen + QPointF(values[i], values[i + 1]) : QPointF(values[i], values[i + 1]);
            if (down && withCuts && next != pen)
                trace.cuts << QLineF(pen, next);
            pen = next;
        }
    }
    trace.end = pen;
    return trace;
}
