#pragma once

#include <QByteArray>
#include <QLineF>
#include <QList>
#include <QPointF>

// Where the pen of an HPGL job goes, relative to where the job started (the
// controller runs every job from its current position): the pen-down
// segments in order and the pen's last position. Understands PU, PD and PA
// with any number of coordinate pairs (PA moves with the pen as it is), PR
// (relative moves) and IN (pen up); every other instruction is skipped.
struct PenTrace
{
    QList<QLineF> cuts; // zero-length moves cut nothing and are left out
    QPointF end;

    // withCuts false only follows the pen (a job without a transcript).
    static PenTrace of(const QByteArray &hpgl, bool withCuts = true);
};
