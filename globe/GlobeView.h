#pragma once
// The fixed view of the turning globe: where the sphere sits in the 180 x 183
// frame, how it is tilted and rolled, and which longitude faces the viewer on
// each of the 44 frames. The globe turns the same step on every frame, so the
// cities facing the viewer move westward as the frame number rises.

#include "globe/Vec3.h"

namespace skyroll::globe {

inline constexpr int kFrameCount = 44;
inline constexpr int kFrameWidth = 180;
inline constexpr int kFrameHeight = 183;
inline constexpr double kFrameStepDegrees = 360.0 / kFrameCount;

// A point of the frame in pixels (continuous: pixel i covers [i, i + 1)) and
// its depth toward the viewer; the point is on the visible face when depth > 0.
struct ScreenPoint {
    double x = 0, y = 0, depth = 0;
};

class GlobeView {
public:
    double centreX = kFrameWidth / 2.0;
    double centreY = kFrameHeight / 2.0;
    double radius = 90.0;
    double frontLongitude = 0.0;  // degrees facing the viewer on frame 1, before tilt
    double tiltDegrees = 0.0;     // latitude of the point at the picture's centre
    double rollDegrees = 0.0;     // turn of the picture about its centre, counter-clockwise

    // Longitude (degrees) facing the viewer on frame n (1..44).
    double frontLongitudeOf(int frame) const;
    // Where a point of the Earth appears on frame n.
    ScreenPoint project(const Vec3& earthPoint, int frame) const;
    // The point of the sphere behind a frame position, in the frame's own turn
    // (longitude measured from the front longitude); false off the disc.
    bool unproject(double x, double y, Vec3& viewPoint, double& depth) const;
};

}  // namespace skyroll::globe
