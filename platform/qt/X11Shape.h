#pragma once
// The shape of a top-level window set in the X server's own pixels, for
// screens where Qt scales the window: Qt maps a window mask given in its
// units rectangle by rectangle, so an ellipse would reach the screen as a
// staircase of the coarser unit.

#include <QRegion>

class QWindow;

namespace skyroll::qt {

// Cuts the window to `deviceRegion` (device pixels, window-relative), or
// removes its shape when the region is empty. False when the window is not
// on an X server.
bool setX11WindowShape(QWindow& window, const QRegion& deviceRegion);

}  // namespace skyroll::qt
