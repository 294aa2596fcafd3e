#include "HpglParser.h"

#include <cmath>

namespace {

// Coordinates beyond this are no drawing any plotter can make.
constexpr double kLimit = 2147483648.0; // 2^31

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

HpglParser::HpglParser(HPGL_Callback callback, void *context, qint64 maxPoints, qint64 maxPathPoints)
    : m_callback(callback), m_context(context), m_maxPoints(maxPoints), m_maxPathPoints(qMax<qint64>(2, maxPathPoints))
{
}

HPGL_Stats HpglParser::run(const char *data, qsizetype size)
{
    m_stats = HPGL_Stats();
    m_at = data;
    m_end = data + (data ? size : 0);
    reset();
    m_pen = 1;
    m_labelEnd = 0x03;
    m_stopped = false;
    m_unhonoured.clear();
    while (!atEnd() && !m_stopped) {
        const char c = *m_at;
        if (isLetter(c) && m_at + 1 < m_end && isLetter(m_at[1])) {
            const char a = upper(c), b = upper(m_at[1]);
            m_at += 2;
            command(lookup(a, b), a, b);
        } else if (isBlank(c) || c == ';') {
            ++m_at;
        } else {
            // A stray byte: binary junk, a lone letter, a number without command.
            ++m_stats.skippedCommands;
            ++m_at;
        }
    }
    if (!m_stopped)
        endPath();
    m_stats.bytes = m_at - data;
    m_stats.unhonoured = m_unhonoured;
    return m_stats;
}

HpglParser::Command HpglParser::lookup(char a, char b)
{
    switch (a) {
    case 'A':
        return b == 'A' ? Command::ArcAbsolute : b == 'R' ? Command::ArcRelative : b == 'T' ? Command::Unhonoured
                                                                                           : Command::Skip;
    case 'B':
        return b == 'R' || b == 'Z' ? Command::Unhonoured : Command::Skip;
    case 'C':
        return b == 'O' ? Command::Comment : b == 'I' ? Command::Circle : Command::Skip;
    case 'D':
        return b == 'T' ? Command::LabelEnd : b == 'F' ? Command::Defaults : Command::Skip;
    case 'E':
        return b == 'A' || b == 'R' || b == 'W' ? Command::Unhonoured : Command::Skip;
    case 'I':
        return b == 'N' ? Command::Init : b == 'P' ? Command::Points : b == 'R' || b == 'W' ? Command::Unhonoured
                                                                                              : Command::Skip;
    case 'L':
        return b == 'B' ? Command::Label : Command::Skip;
    case 'P':
        switch (b) {
        case 'A':
            return Command::Absolute;
        case 'R':
            return Command::Relative;
        case 'U':
            return Command::PenUp;
        case 'D':
            return Command::PenDown;
        case 'G':
            return Command::Page;
        case 'E':
            return Command::Unhonoured;
        default:
            return Command::Skip;
        }
    case 'R':
        return b == 'A' || b == 'R' || b == 'O' || b == 'T' ? Command::Unhonoured : Command::Skip;
    case 'S':
        return b == 'P' ? Command::SelectPen : b == 'C' ? Command::Scale : Command::Skip;
    case 'W':
        return b == 'G' ? Command::Unhonoured : Command::Skip;
    default:
        return Command::Skip;
    }
}

void HpglParser::command(Command cmd, char a, char b)
{
    double v[7];
    switch (cmd) {
    case Command::Init:
        endPath();
        reset();
        m_scaling.reset();
        skipParameters();
        break;
    case Command::Points:
        if (!m_scaling.setPoints(v, qMin(values(v, 4), 4)))
            unhonoured(a, b);
        break;
    case Command::Scale: {
        const int n = values(v, 7);
        if (n < 0 || !m_scaling.setScale(v, qMin(n, 7)))
            unhonoured(a, b);
        break;
    }
    case Command::Defaults:
        m_scaling.off();
        skipParameters();
        break;
    case Command::ArcAbsolute:
    case Command::ArcRelative:
        arc(cmd == Command::ArcRelative);
        break;
    case Command::Circle:
        circle();
        break;
    case Command::Unhonoured:
        ++m_stats.skippedCommands;
        if (a == 'P') {
            // Encoded polylines run to ";" and their digits are letters: none of it is a command.
            unhonoured(a, b);
            while (!atEnd() && *m_at != ';')
                ++m_at;
        } else if ((a == 'R' && b == 'O') || (a == 'I' && b == 'W')) {
            // No turn, or the whole page as the window, changes nothing.
            const int n = values(v, 1);
            if (n != 0 && !(a == 'R' && n == 1 && v[0] == 0))
                unhonoured(a, b);
        } else {
            unhonoured(a, b);
            skipParameters();
        }
        break;
    case Command::Absolute:
        m_absolute = true;
        coordinates();
        break;
    case Command::Relative:
        m_absolute = false;
        coordinates();
        break;
    case Command::PenUp:
        endPath();
        m_penDown = false;
        coordinates();
        break;
    case Command::PenDown:
        m_penDown = true;
        coordinates();
        break;
    case Command::SelectPen:
        endPath();
        selectPen();
        break;
    case Command::Page:
        endPath();
        skipParameters();
        break;
    case Command::Comment:
        comment();
        break;
    case Command::Label:
        unhonoured(a, b);
        label();
        break;
    case Command::LabelEnd:
        labelTerminator();
        break;
    case Command::Skip:
        ++m_stats.skippedCommands;
        skipParameters();
        break;
    }
}

void HpglParser::reset()
{
    m_absolute = true;
    m_penDown = false;
    m_lifted = false;
    m_x = 0;
    m_y = 0;
    m_path.clear();
}

// Pairs of numbers up to the end of the command; an unpaired last number is dropped.
void HpglParser::coordinates()
{
    for (;;) {
        double x = 0;
        double y = 0;
        if (!skipNumberSeparators() || !number(x))
            return;
        if (!skipNumberSeparators() || !number(y)) {
            ++m_stats.skippedValues;
            return;
        }
        moveTo(x, y);
        if (m_stopped)
            return;
    }
}

// Skips blanks and commas; true when a number may follow.
bool HpglParser::skipNumberSeparators()
{
    while (!atEnd() && (isBlank(*m_at) || *m_at == ','))
        ++m_at;
    if (atEnd())
        return false;
    const char c = *m_at;
    return isDigit(c) || c == '-' || c == '+' || c == '.';
}

int HpglParser::values(double *out, int max)
{
    int count = 0;
    bool bad = false;
    while (skipNumberSeparators()) {
        double v = 0;
        number(v);
        bad = bad || !std::isfinite(v);
        if (count < max)
            out[count] = v;
        ++count;
    }
    skipParameters();
    return bad ? -1 : count;
}

void HpglParser::unhonoured(char a, char b)
{
    const QString name = QString(QLatin1Char(a)) + QLatin1Char(b);
    if (!m_unhonoured.contains(name))
        m_unhonoured << name;
}

// Reads [+-]digits[.digits]. Returns false (consuming nothing) when no digit follows.
// A number that is not finite or beyond the coordinate limit reads as NaN.
bool HpglParser::number(double &value)
{
    const char *start = m_at;
    const char *p = m_at;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    quint64 mantissa = 0;
    int digits = 0;      // significant digits kept in the mantissa
    int exponent = 0;    // power of ten to apply
    bool any = false;
    while (p < m_end && isDigit(*p)) {
        any = true;
        if (digits < 18) {
            if (mantissa != 0 || *p != '0') {
                mantissa = mantissa * 10 + quint64(*p - '0');
                ++digits;
            }
        } else {
            ++exponent;
        }
        ++p;
    }
    if (p < m_end && *p == '.') {
        ++p;
        while (p < m_end && isDigit(*p)) {
            any = true;
            if (digits < 18) {
                mantissa = mantissa * 10 + quint64(*p - '0');
                if (mantissa != 0)
                    ++digits;
                --exponent;
            }
            ++p;
        }
    }
    if (!any) {
        m_at = start + 1; // a lone sign or dot: not a number, step over it
        value = std::nan("");
        return true;
    }
    m_at = p;
    double v = double(mantissa);
    if (exponent > 0)
        v = exponent > 22 ? HUGE_VAL : v * kPow10[exponent];
    else if (exponent < 0)
        v = exponent < -22 ? 0.0 : v / kPow10[-exponent];
    if (negative)
        v = -v;
    value = v;
    return true;
}

void HpglParser::moveTo(double x, double y)
{
    if (m_scaling.isOn()) {
        plotTo(m_absolute ? m_scaling.x(x) : m_x + m_scaling.ax() * x,
               m_absolute ? m_scaling.y(y) : m_y + m_scaling.ay() * y);
        return;
    }
    if (m_scaling.isBroken())
        unhonoured('S', 'C');
    plotTo(m_absolute ? x : m_x + x, m_absolute ? y : m_y + y);
}

void HpglParser::plotTo(double tx, double ty)
{
    if (!(std::fabs(tx) <= kLimit && std::fabs(ty) <= kLimit)) { // NaN too
        ++m_stats.skippedValues;
        endPath();
        // Joining the points either side would cut a line the file never had.
        m_lifted = true;
        return;
    }
    if (m_penDown && !m_lifted) {
        if (m_path.empty())
            m_path.push_back({m_x, m_y, nullptr});
        const HPGL_Point &last = m_path.back();
        if (last.x != tx || last.y != ty) {
            m_path.push_back({tx, ty, nullptr});
            if (qint64(m_path.size()) >= m_maxPathPoints) {
                emitPath();
                if (m_stopped)
                    return;
                m_path.push_back({tx, ty, nullptr});
            }
        }
    } else {
        endPath();
    }
    m_lifted = false;
    m_x = tx;
    m_y = ty;
}

void HpglParser::endPath()
{
    if (m_path.size() >= 2)
        emitPath();
    m_path.clear();
}

void HpglParser::emitPath()
{
    const qint64 count = qint64(m_path.size());
    if (m_stats.points + count > m_maxPoints) {
        m_stats.truncated = true;
        m_stopped = true;
        m_path.clear();
        return;
    }
    for (size_t i = 0; i + 1 < m_path.size(); ++i)
        m_path[i].next = &m_path[i + 1];
    m_path.back().next = nullptr;
    HPGL_Info info{HPGL_KIND_PATH, m_pen, int32_t(count), m_path.data(), nullptr, 0};
    m_stats.points += count;
    ++m_stats.paths;
    if (m_callback)
        m_callback(m_context, info);
    m_path.clear();
}

// Skips the parameters of a command: up to ";" or the next letter; quoted text is skipped whole.
void HpglParser::skipParameters()
{
    while (!atEnd()) {
        const char c = *m_at;
        if (c == ';') {
            ++m_at;
            return;
        }
        if (isLetter(c))
            return;
        if (c == '"') {
            ++m_at;
            while (!atEnd() && *m_at != '"')
                ++m_at;
            if (!atEnd())
                ++m_at;
            continue;
        }
        ++m_at;
    }
}

void HpglParser::selectPen()
{
    double pen = 0;
    if (skipNumberSeparators() && number(pen) && std::isfinite(pen) && pen >= 0 && pen < 1e6)
        m_pen = int(pen);
    else
        m_pen = 0;
    skipParameters();
}

void HpglParser::comment()
{
    while (!atEnd() && isBlank(*m_at))
        ++m_at;
    if (atEnd() || *m_at != '"') {
        skipParameters();
        return;
    }
    const char *text = ++m_at;
    while (!atEnd() && *m_at != '"')
        ++m_at;
    const qsizetype length = m_at - text;
    if (!atEnd())
        ++m_at;
    if (m_callback && length <= 0x7fffffff) {
        HPGL_Info info{HPGL_KIND_COMMENT, m_pen, 0, nullptr, text, int32_t(length)};
        m_callback(m_context, info);
    }
    skipParameters();
}

// LB: the label text runs to the label terminator; its letters are no commands.
void HpglParser::label()
{
    while (!atEnd() && *m_at != m_labelEnd)
        ++m_at;
    if (!atEnd())
        ++m_at;
}

// DT: the next byte becomes the label terminator ("DT;" restores ETX).
void HpglParser::labelTerminator()
{
    if (!atEnd() && *m_at != ';' && *m_at != 0)
        m_labelEnd = *m_at++;
    else
        m_labelEnd = 0x03;
    skipParameters();
}
