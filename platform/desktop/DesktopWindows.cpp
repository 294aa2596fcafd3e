#include "DesktopWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <memory>
#include <vector>

namespace {

// A window that goes while we look at it is no reason to end the program
// (Xlib's own handler would).
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

struct DisplayCloser
{
    void operator()(Display *display) const { XCloseDisplay(display); }
};

// The 32-bit values of a property; empty when it is missing.
std::vector<unsigned long> cardinals(Display *display, ::Window window, Atom property, Atom type)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, property, 0, 65536, False, type, &actualType, &format, &count, &after,
                           &data) == Success
        && data && format == 32) {
        const auto *longs = reinterpret_cast<const unsigned long *>(data);
        values.assign(longs, longs + count);
    }
    if (data)
        XFree(data);
    return values;
}

class Desktop
{
public:
    explicit Desktop(Display *display)
        : m_display(display), m_root(DefaultRootWindow(display)),
          m_pidAtom(XInternAtom(display, "_NET_WM_PID", False)),
          m_stateAtom(XInternAtom(display, "WM_STATE", False)),
          m_stackingAtom(XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False))
    {
    }

    // pid's top-level window, topmost first; None when it has none.
    ::Window windowOf(unsigned long pid) const
    {
        // A window manager keeps the list of its clients, bottom first.
        std::vector<unsigned long> clients = cardinals(m_display, m_root, m_stackingAtom, XA_WINDOW);
        if (clients.empty())
            clients = rootChildren();
        for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
            const ::Window found = withPid(::Window(*it), pid, 2);
            if (found != None)
                return found;
        }
        return None;
    }

    ::Window topOwner(::Window window) const
    {
        for (int depth = 0; depth < 16; ++depth) {
            ::Window owner = None;
            if (!XGetTransientForHint(m_display, window, &owner) || owner == None || owner == window)
                break;
            window = owner;
        }
        return window;
    }

    // 1 shown, 3 iconified, 0 withdrawn; -1 when the window manager says nothing.
    long wmState(::Window window) const
    {
        const std::vector<unsigned long> state = cardinals(m_display, window, m_stateAtom, m_stateAtom);
        return state.empty() ? -1 : long(state.front());
    }

    bool viewable(::Window window) const
    {
        XWindowAttributes attributes = {};
        return XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state == IsViewable;
    }

    void iconify(::Window window) const
    {
        XIconifyWindow(m_display, window, DefaultScreen(m_display));
        XSync(m_display, False);
    }

private:
    std::vector<unsigned long> rootChildren() const
    {
        ::Window root = None, parent = None, *children = nullptr;
        unsigned int count = 0;
        std::vector<unsigned long> list;
        if (XQueryTree(m_display, m_root, &root, &parent, &children, &count) && children)
            list.assign(children, children + count);
        if (children)
            XFree(children);
        return list;
    }

    // window or a window below it (a frame holds its client) that belongs to pid.
    ::Window withPid(::Window window, unsigned long pid, int depth) const
    {
        const std::vector<unsigned long> owner = cardinals(m_display, window, m_pidAtom, XA_CARDINAL);
        if (!owner.empty())
            return owner.front() == pid ? window : None;
        if (depth <= 0)
            return None;
        ::Window root = None, parent = None, *children = nullptr;
        unsigned int count = 0;
        ::Window found = None;
        if (XQueryTree(m_display, window, &root, &parent, &children, &count) && children) {
            for (unsigned int i = count; i-- > 0 && found == None;)
                found = withPid(children[i], pid, depth - 1);
        }
        if (children)
            XFree(children);
        return found;
    }

    Display *m_display;
    ::Window m_root;
    Atom m_pidAtom, m_stateAtom, m_stackingAtom;
};

} // namespace

DesktopWindows::Result DesktopWindows::minimise(qint64 pid)
{
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display)
        return Result::NoDisplay;
    if (pid <= 0)
        return Result::NotFound;
    XErrorHandler previous = XSetErrorHandler(ignoreXError);
    const Desktop desktop(display.get());
    Result result = Result::NotFound;
    ::Window window = desktop.windowOf((unsigned long)pid);
    if (window != None) {
        window = desktop.topOwner(window);
        const long state = desktop.wmState(window);
        if (state == IconicState)
            result = Result::AlreadyMinimised;
        else if (state != NormalState && !desktop.viewable(window))
            result = Result::NotVisible;
        else {
            desktop.iconify(window);
            result = Result::MinimiseAsked;
        }
    }
    XSync(display.get(), False);
    XSetErrorHandler(previous);
    return result;
}
