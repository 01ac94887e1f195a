#include "platform/qt/X11Shape.h"

#include <QGuiApplication>
#include <QWindow>
#include <vector>

// The X headers last: they define macros (None, Bool, Status) that Qt's
// headers use as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace skyroll::qt {

bool setX11WindowShape(QWindow& window, const QRegion& deviceRegion) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return false;
    const auto id = static_cast<::Window>(window.winId());
    if (deviceRegion.isEmpty()) {
        XShapeCombineMask(display, id, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> rects;
        for (const QRect& r : deviceRegion)
            rects.push_back({static_cast<short>(r.x()), static_cast<short>(r.y()),
                             static_cast<unsigned short>(r.width()),
                             static_cast<unsigned short>(r.height())});
        // A QRegion's rectangles come in rows, top to bottom, left to right.
        XShapeCombineRectangles(display, id, ShapeBounding, 0, 0, rects.data(), int(rects.size()), ShapeSet,
                                YXBanded);
    }
    XFlush(display);
    return true;
}

}  // namespace skyroll::qt
