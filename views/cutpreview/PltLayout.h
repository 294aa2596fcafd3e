#pragma once

#include <QList>
#include <QRectF>

struct PltHeader;

// What the preview draws of a cut file's layout header, in drawing points: the
// page (x across the web, y along it), the marked area inside it, the
// registration marks and the knife lanes (x offsets across the web).
struct PltLayout
{
    QRectF page{0, 0, 210, 297};
    QRectF area{0, 0, 210, 297};
    bool hasMarks = false; // a full layout was read
    int markType = 0;
    double markSize = 5;
    QList<double> lanes;

    // An A4 sheet without marks or lanes: what a file without a usable header shows.
    static PltLayout a4();
    // The layout of a header; a header that is missing or not usable gives a4().
    // Without MD the area runs from its offset to the page's far edges.
    static PltLayout fromHeader(const PltHeader &header);
};
