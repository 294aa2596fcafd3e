#pragma once

#include <QtGlobal>

// The windows of other programs on the X11 desktop (DISPLAY), through Xlib
// and the window manager's hints: a program's top-level window is the one
// whose _NET_WM_PID is the program's, its state that of WM_STATE. Only the
// window manager iconifies; without one a request changes nothing.
//
// Each call opens its own connection to the display. GUI thread.
class DesktopWindows
{
public:
    enum class Result {
        NoDisplay,        // no X11 display to ask
        NotFound,         // pid has no top-level window
        NotVisible,       // neither shown nor iconified
        AlreadyMinimised, // iconified
        MinimiseAsked,    // was shown: the window manager is asked to iconify it
    };
    // The window of pid, topmost first, and its owner as far up as it goes;
    // iconified unless it already is.
    static Result minimise(qint64 pid);
};
