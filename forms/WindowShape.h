#pragma once
// Cutting a window to the ellipse inscribed in its rectangle, the same way for
// all three windows.

#include "platform/Toolkit.h"

namespace skyroll::app {

// Integer division of two lengths the way the forms do it: both operands are
// rounded to the nearest whole number (a half to the even neighbour), then
// divided, the fraction dropped. A divisor that rounds to 0 gives 0.
long RoundedIntegerDivide(double dividend, double divisor);

// Creates the ellipse region (0, 0, Width \ twips per pixel X, Height \ twips
// per pixel Y), stores it in `windowRegion` without freeing the handle held
// before, and sets it as the window's shape with redraw.
void CutToEllipse(platform::Toolkit& toolkit, platform::Form& form, platform::RegionHandle& windowRegion);

}  // namespace skyroll::app
