#pragma once

#include "HpglScaling.h"
#include "hpgl.h"

#include <vector>

// The state machine behind read_HPGL: one pass over the bytes, no allocation
// per point beyond the growing point buffer of the current path.
class HpglParser
{
public:
    HpglParser(HPGL_Callback callback, void *context, qint64 maxPoints, qint64 maxPathPoints);
    // Parses everything; returns the statistics of this run.
    HPGL_Stats run(const char *data, qsizetype size);

private:
    enum class Command {
        Skip, Init, Absolute, Relative, PenUp, PenDown, SelectPen, Page, Comment, Label, LabelEnd,
        Points, Scale, Defaults, ArcAbsolute, ArcRelative, Circle, Unhonoured
    };

    bool atEnd() const { return m_at >= m_end; }
    static Command lookup(char a, char b);
    void command(Command command, char a, char b);
    void coordinates();
    // The numbers of a command, up to its end: how many there were (at most max
    // are stored), -1 when one of them is not a number.
    int values(double *out, int max);
    bool number(double &value);
    bool skipNumberSeparators();
    void skipParameters();
    void comment();
    void label();
    void labelTerminator();
    void selectPen();
    void moveTo(double x, double y);
    // To a point in plotter units: drawn with the pen down, dropped beyond the limit.
    void plotTo(double x, double y);
    // Arcs and circles (HpglParserArcs.cpp), drawn as chords.
    void arc(bool relative);
    void circle();
    bool curveValues(double *v, int max, int least);
    bool arcFits(double cx, double cy, double r) const;
    void arcTo(double cx, double cy, double r, double phi0, double sweep, double startX, double startY);
    // An instruction this reader cannot carry out: named once in the statistics.
    void unhonoured(char a, char b);
    void endPath();
    void emitPath();
    void reset();

    HPGL_Callback m_callback;
    void *m_context;
    qint64 m_maxPoints;
    qint64 m_maxPathPoints;

    const char *m_at = nullptr;
    const char *m_end = nullptr;
    bool m_absolute = true;
    bool m_penDown = false;
    bool m_stopped = false;
    bool m_lifted = false; // a dropped point: the pen travels up to the next one
    double m_x = 0;
    double m_y = 0;
    int m_pen = 1;
    char m_labelEnd = 0x03;
    HpglScaling m_scaling;
    QStringList m_unhonoured;
    std::vector<HPGL_Point> m_path;
    HPGL_Stats m_stats;
};
