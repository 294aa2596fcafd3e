#pragma once

#include <QList>
#include <QPolygonF>
#include <QSizeF>
#include <QTransform>

// The fit of a page's cut data to the marks seen on the web: the pure part
// of the fit step, apart from the machine so that it can be checked on its
// own. Mark points are HPGL units; the transforms work in points, as the
// cut scene does.
namespace MarkFit {

// How far a fit is from a plain placement of the page.
struct Quality
{
    double angle = 0.0; // degrees
    double scaleX = 1.0;
    double scaleY = 1.0;
    double dtX = 0.0; // mm over the page width
    double dtY = 0.0; // mm over the page height
    // Within what a sound print and web give; outside, the fit is still
    // used but said loudly in the log.
    bool withinBounds() const;
};

constexpr double kMaxAngle = 3.0;  // degrees
constexpr double kMaxScaleError = 5.0; // mm over the page

// Where each page mark really is: nominal plus the offset measured for it.
// False, measured left empty, when fewer offsets than marks were measured
// (a mark not scanned must never be read past the end of the list).
bool measure(const QPolygonF &nominal, const QList<QPointF> &offsets, QPolygonF *measured);

// The transform that maps the nominal marks onto the measured ones: the
// projective fit for four marks, the identity for any other count. False,
// with transform untouched and a log line, when the two lists differ in
// size or the four marks admit no fit (three in a row, two on one spot):
// the cut must then not be made with a half-made transform.
bool fit(const QPolygonF &nominalHpgl, const QPolygonF &measuredHpgl, QTransform *transform);

// The one-mark (or several-knife) placement: a translation by the centring
// offset, its y turned over in the cut-coordinates mode.
QTransform translation(const QPointF &centreOffsetHpgl, bool flipY);

Quality quality(const QTransform &transform, const QSizeF &pageMm);

// The fit's log lines: info within bounds, critical outside them.
void report(const QList<QPointF> &offsets, const QList<double> &sizes, const QPolygonF &measured,
            const QPolygonF &nominal, const Quality &q);

} // namespace MarkFit
