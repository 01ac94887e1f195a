#pragma once
// Where the samples of a globe picture fall on the sphere, worked out once for
// a view and a picture size, so drawing every frame of the turn costs only the
// map look-ups. Each pixel is supersampled on a square grid; the samples carry
// the globe's soft darkening and the thin blue haze toward the limb.

#include <array>
#include <vector>

#include "globe/GlobeView.h"

namespace skyroll::globe {

struct GlobeSample {
    int pixel;                  // y * width + x
    float latitude, longitude;  // longitude relative to the frame's front longitude
    float shade, haze;
};

// The ground's colour is scaled by kGroundGain * shade, then mixed with the
// haze colour (red, green, blue in 0..1) by haze.
inline constexpr double kGroundGain = 1.08;
inline constexpr std::array<double, 3> kHazeColour{0.42, 0.62, 1.0};

// The samples on the globe, pixel by pixel in rows; pixels off the globe
// have none.
std::vector<GlobeSample> globeSamples(const GlobeView& view, int width, int height, int samplesPerSide);

}  // namespace skyroll::globe
