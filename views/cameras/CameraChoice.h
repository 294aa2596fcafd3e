#pragma once

#include <QList>
#include <QString>

// Which video inputs become the mark camera and the check camera. The
// inputs are walked in the system's order: with no mark camera stored, the
// first "PC Camera" becomes it; with no check camera stored, the first
// "USB 4K HD Camera" or "USB Camera" that is not the mark camera becomes it.
// The mark camera always starts; the check camera only while label checking
// is on.
namespace CameraChoice {

struct Input
{
    QString id;
    QString description;
};

struct Stored
{
    QString markCamera;
    QString checkCamera;
    bool enableDetection = false;
};

struct Choice
{
    int mark = -1;  // the input the mark camera runs on; -1: none
    int check = -1; // the input the check camera runs on; -1: none
    // What the walk stored; empty when it stored nothing.
    QString markCamera;
    QString checkCamera;
    QString checkCameraName;
};

// The choice at start and whenever the inputs change.
Choice choose(const QList<Input> &inputs, const Stored &stored);
// The input to restart the shown camera on (check: the check camera) after
// the operator picked one; -1 when none matches, or when the check camera
// is not in use.
int restart(const QList<Input> &inputs, const Stored &stored, bool check);

} // namespace CameraChoice
