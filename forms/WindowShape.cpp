#include "forms/WindowShape.h"

#include <cmath>

namespace skyroll::app {

long RoundedIntegerDivide(double dividend, double divisor) {
    // nearbyint rounds a half to the even neighbour in the default rounding mode.
    const long a = std::lrint(std::nearbyint(dividend));
    const long b = std::lrint(std::nearbyint(divisor));
    return b == 0 ? 0 : a / b;
}

void CutToEllipse(platform::Toolkit& toolkit, platform::Form& form, platform::RegionHandle& windowRegion) {
    const long right = RoundedIntegerDivide(form.width(), toolkit.twipsPerPixelX());
    const long bottom = RoundedIntegerDivide(form.height(), toolkit.twipsPerPixelY());
    windowRegion = toolkit.createEllipticRgn(0, 0, static_cast<int>(right), static_cast<int>(bottom));
    toolkit.setWindowRgn(form.handle(), windowRegion, true);
}

}  // namespace skyroll::app
