#include "globe/GlobeSamples.h"

#include <cmath>

namespace skyroll::globe {

std::vector<GlobeSample> globeSamples(const GlobeView& view, int width, int height, int samplesPerSide) {
    std::vector<GlobeSample> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int sy = 0; sy < samplesPerSide; ++sy)
                for (int sx = 0; sx < samplesPerSide; ++sx) {
                    Vec3 p;
                    double depth = 0;
                    if (!view.unproject(x + (sx + 0.5) / samplesPerSide, y + (sy + 0.5) / samplesPerSide, p,
                                        depth))
                        continue;
                    // Darker toward the limb, with a little of the air's blue there.
                    const double shade = 0.5 + 0.5 * std::pow(depth, 0.45);
                    const double haze = 0.55 * std::pow(1.0 - depth, 3.0);
                    samples.push_back({y * width + x, static_cast<float>(latitudeOf(p)),
                                       static_cast<float>(longitudeOf(p)), static_cast<float>(shade),
                                       static_cast<float>(haze)});
                }
    return samples;
}

}  // namespace skyroll::globe
