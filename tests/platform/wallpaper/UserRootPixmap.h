#pragma once
// A user's root background of two colours, set the way root-setting programs
// do: a pixmap kept after the setter's connection closes (RetainPermanent),
// named by _XROOTPMAP_ID and ESETROOT_PMAP_ID. The upper left quarter is
// 0xe0c040, the rest 0x2080c0.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace skyroll::test {

// The pixmap on the display DISPLAY names; None when it cannot be opened.
inline Pixmap setUserRootPixmap() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return None;
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    const unsigned width = unsigned(DisplayWidth(d, screen)), height = unsigned(DisplayHeight(d, screen));
    XSetCloseDownMode(d, RetainPermanent);
    const Pixmap pixmap = XCreatePixmap(d, root, width, height, unsigned(DefaultDepth(d, screen)));
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XSetForeground(d, gc, 0x2080c0);
    XFillRectangle(d, pixmap, gc, 0, 0, width, height);
    XSetForeground(d, gc, 0xe0c040);
    XFillRectangle(d, pixmap, gc, 0, 0, width / 2, height / 2);
    XFreeGC(d, gc);
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"})
        XChangeProperty(d, root, XInternAtom(d, name, False), XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    XCloseDisplay(d);
    return pixmap;
}

}  // namespace skyroll::test
