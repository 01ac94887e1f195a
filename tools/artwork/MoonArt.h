#pragma once
// The moon: a procedural surface (seeded maria and craters, no texture) lit
// through one cycle of phases for the 23 moon frames, and the full moon of the
// moon window's creation picture. 112 x 110 pixels, the moon on black.

#include <vector>

#include "tools/artwork/Raster.h"

namespace skyroll::artwork {

inline constexpr int kMoonFrameCount = 23;
inline constexpr int kMoonWidth = 112;
inline constexpr int kMoonHeight = 110;

// Frame 1 is a young crescent lit from the right; the phases wax to full
// near the middle of the cycle and wane to the new moon on frame 23.
// `scale` times the size for dense screens.
std::vector<Raster> renderMoonFrames(int scale = 1);
Raster renderFullMoon(int scale = 1);

}  // namespace skyroll::artwork
