#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The layout header of a cut file, in its first 256 bytes:
//   PS length,width,areaOffsetLength,areaOffsetWidth,markType[,markSize][,lane...];
//   MD markType,markSize,areaLength,areaWidth,laneCount;
// All numbers are plotter units (40 per mm) but the mark type. "Length" runs
// along the web, "width" across it. Lanes (knife lane offsets across the web)
// are the tail of PS from the last value that is not a non-zero whole number;
// the writer keeps that rule readable by writing the first lane as "0" or with
// a fraction. Only the MD values 2 and 3 (the marked area's size) are used.
struct PltHeader
{
    static constexpr int kScanBytes = 256;

    bool valid = false;     // a usable PS header was found
    QString problem;        // why a header that is there was not usable
    double pageLength = 0;
    double pageWidth = 0;
    double areaOffsetLength = 0;
    double areaOffsetWidth = 0;
    int markType = 0;
    bool hasMarkSize = false;
    double markSize = 0;
    QList<double> lanes;
    bool hasArea = false;   // from MD; otherwise the area is centred on the page
    double areaLength = 0;
    double areaWidth = 0;

    // Reads the header from the start of a file (only the first 256 bytes count).
    static PltHeader parse(const QByteArray &fileStart);
    // "IN;PS...;MD...;" for a valid header, empty otherwise; never longer than
    // 256 bytes (lanes that do not fit are left out, with a log line).
    QByteArray toHpgl() const;
};
