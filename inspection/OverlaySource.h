#pragma once

#include "inspection/marks/FilmList.h"
#include "ReadData.h"

#include <QList>
#include <memory>

class QObject;

// What the camera overlays draw, as the application object gives it: the
// film list of the mark scans, the last label check's result and the page's
// start row in the check image. The application registers itself while it
// lives; the overlays draw nothing while none is registered.
class OverlaySource
{
public:
    virtual ~OverlaySource() = default;

    virtual QList<FilmRecord> filmRecords() const = 0;
    // Never replaced in place: a new check hands over a new result.
    virtual std::shared_ptr<const ReadData> checkResult() const = 0;
    virtual int segmentX() const = 0;
    // The object whose filmViewUpdate(QRect) and lostViewUpdate(QRect)
    // signals ask the overlays to repaint.
    virtual QObject *overlayNotifier() = 0;

    static OverlaySource *current();
    // Registers source; unsetCurrent takes it back when it is still the current one.
    static void setCurrent(OverlaySource *source);
    static void unsetCurrent(OverlaySource *source);
};
