#include "globe/GlobeView.h"

#include <cmath>

namespace skyroll::globe {

double GlobeView::frontLongitudeOf(int frame) const {
    return frontLongitude - kFrameStepDegrees * (frame - 1);
}

ScreenPoint GlobeView::project(const Vec3& p, int frame) const {
    // Turn the Earth so the front longitude faces +z, tilt about x, roll about z.
    const double turn = -frontLongitudeOf(frame) * kDegree;
    const double x1 = p.x * std::cos(turn) + p.z * std::sin(turn);
    const double z1 = -p.x * std::sin(turn) + p.z * std::cos(turn);
    const double tilt = tiltDegrees * kDegree;
    const double y2 = p.y * std::cos(tilt) - z1 * std::sin(tilt);
    const double z2 = p.y * std::sin(tilt) + z1 * std::cos(tilt);
    const double roll = rollDegrees * kDegree;
    const double x3 = x1 * std::cos(roll) - y2 * std::sin(roll);
    const double y3 = x1 * std::sin(roll) + y2 * std::cos(roll);
    return {centreX + radius * x3, centreY - radius * y3, z2};
}

bool GlobeView::unproject(double x, double y, Vec3& viewPoint, double& depth) const {
    const double x3 = (x - centreX) / radius, y3 = (centreY - y) / radius;
    const double rr = x3 * x3 + y3 * y3;
    if (rr >= 1.0) return false;
    depth = std::sqrt(1.0 - rr);
    const double roll = rollDegrees * kDegree;
    const double x1 = x3 * std::cos(roll) + y3 * std::sin(roll);
    const double y2 = -x3 * std::sin(roll) + y3 * std::cos(roll);
    const double tilt = tiltDegrees * kDegree;
    const double y0 = y2 * std::cos(tilt) + depth * std::sin(tilt);
    const double z1 = -y2 * std::sin(tilt) + depth * std::cos(tilt);
    viewPoint = {x1, y0, z1};
    return true;
}

}  // namespace skyroll::globe
