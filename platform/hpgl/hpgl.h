#pragma once

// Reader of plotter cut files (the HP-GL subset that cutting files use).
// The reader parses a whole file and hands every pen-down path, and every
// CO"..." comment, to a callback before read_HPGL returns. All state lives in
// the reader handle; the callback gets the caller's context pointer back, so
// any number of readers may run at once on different threads.
//
// Understood: IN, PA, PR, PU, PD, SP, PG, CO (comment), LB (label text is
// skipped up to its terminator), DT (label terminator); IP and SC (user units,
// see HpglScaling.h), DF (scaling off); AA, AR and CI (arcs and circles, as
// chords within 0.05 mm); with or without ";", with commas or blanks between
// numbers, signed and decimal numbers. Anything else is skipped up to the
// next ";" or command letter. Instructions that would draw or move what this
// reader leaves out (label text, rectangles, wedges, three-point arcs, Bezier
// curves, encoded polylines, a turned page, a clip window, scaling it cannot
// apply) are named in the statistics and in one log line per read.
// Coordinates outside +-2^31 plotter units, or not numbers, are dropped with
// the path they belong to broken there (the pen travels up to the next point);
// the count shows in the statistics.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>

// One point of a path, in plotter units: x along the web (the plotter's X),
// y across it. The chain is owned by the reader and valid only during the call.
struct HPGL_Point
{
    double x;
    double y;
    HPGL_Point *next;
};

enum HPGL_Kind : int32_t {
    HPGL_KIND_PATH = 1,    // a pen-down polyline of two or more points
    HPGL_KIND_COMMENT = 3, // the text of a CO"..." command
};

struct HPGL_Info
{
    int32_t kind;       // HPGL_Kind
    int32_t pen;        // pen of the last SP (1 before any SP)
    int32_t count;      // points in the chain (0 for a comment)
    HPGL_Point *points; // first point, null for a comment
    const char *text;   // comment bytes (not zero-terminated), null for a path
    int32_t textLength;
};

typedef void (*HPGL_Callback)(void *context, HPGL_Info info);

struct HPGL_Reader;

struct HPGL_Stats
{
    qint64 bytes = 0;          // bytes parsed
    qint64 paths = 0;          // path records delivered
    qint64 points = 0;         // points delivered
    qint64 skippedValues = 0;  // numbers dropped (out of range, unpaired)
    qint64 skippedCommands = 0; // unknown mnemonics and stray bytes
    bool truncated = false;    // stopped at the point limit
    QStringList unhonoured;    // mnemonics met that were not carried out, in order of appearance
};

// A new reader; free it with exit_HPGL.
HPGL_Reader *init_HPGL();
// Reads a whole file. Returns the number of path records delivered, -1 when the
// file cannot be read. Never calls back after returning.
int read_HPGL(HPGL_Reader *reader, const QString &path, HPGL_Callback callback, void *context);
// The same over bytes in memory.
int read_HPGL_data(HPGL_Reader *reader, const char *data, qsizetype size, HPGL_Callback callback, void *context);
void exit_HPGL(HPGL_Reader *reader);

// Limits against runaway files: the total points of one read (the read stops
// there, partial, with a log line) and the points of one path record (longer
// paths are delivered in pieces that join end to start). Defaults: 8M and 1M.
void limits_HPGL(HPGL_Reader *reader, qint64 maxPoints, qint64 maxPathPoints);
// Statistics of the last read.
HPGL_Stats stats_HPGL(const HPGL_Reader *reader);
