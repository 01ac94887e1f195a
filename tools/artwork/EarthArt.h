#pragma once
// The Earth pictures: the 44 globe frames, the globe of the window's creation
// picture and of the icon, and the pictures that show how the frames meet the
// weather tour (contact sheet, warped map beside the original).

#include <vector>

#include "tools/artwork/DayMap.h"
#include "tools/artwork/GlobeLibrary.h"
#include "tools/artwork/Raster.h"

namespace skyroll::artwork {

// Draws the globe of a view, supersampled, with a soft darkening and a thin
// blue haze toward the limb. The sample positions are worked out once, so
// drawing every frame of the turn costs only the map look-ups.
class GlobeRenderer {
public:
    GlobeRenderer(const GlobeView& view, int width, int height, int samplesPerSide);
    // Frame n of the turn; off the globe the picture is black, or transparent
    // (with the globe's edge in the alpha) when `transparentGround` is set.
    Raster render(const DayMap& map, int frame, bool transparentGround = false) const;

private:
    GlobeView m_view;
    int m_width, m_height, m_samplesPerPixel;
    std::vector<GlobeSample> m_samples;
};

// The 44 frames, index 0 holding frame 1; `scale` times the size for dense
// screens, the same view with every length scaled.
std::vector<Raster> renderGlobeFrames(const DayMap& warpedMap, const GlobeView& view, int scale = 1);
// The 32 x 32 icon: the true (unwarped) Earth, Asia and the Pacific facing.
Raster renderGlobeIcon(const DayMap& map, int size = 32);
// All frames in order, eleven to a row, with each tour entry's weather picture
// drawn as a yellow box and its city as a red cross where the frame shows it.
Raster contactSheet(const std::vector<Raster>& frames, const GlobeView& view, const GlobeWarp& warp);
// The day map above its warped copy, halved, the cities marked on both.
Raster warpEvidence(const DayMap& map, const DayMap& warpedMap, const GlobeWarp& warp);

}  // namespace skyroll::artwork
