#pragma once
// The 44 frames of the turning globe drawn for a moment, with day and night:
// the same view and warp as the installed frames (so each tour city still
// stands at its weather picture), the lit side from the day map, the dark side
// from the night map, and a soft twilight band about six degrees wide between
// them. The maps come decoded; the artist prepares them once (warped and
// reduced to what the frame size can show) together with the sample
// positions of the frames, so each frame costs only the map look-ups.

#include <cstdint>
#include <vector>

#include "globe/GlobeView.h"
#include "globe/GlobeWarp.h"
#include "globe/SubsolarPoint.h"

namespace skyroll::globe {

// A picture in memory: 0xAARRGGBB, top row first.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
};

class DayNightArtist {
public:
    static constexpr int kMaxMapSide = 16384;

    // Both maps are equirectangular (longitude -180 at the left edge, north
    // up, twice as wide as high); their alpha is ignored. The frames are
    // 180 x 183 pixels times pixelRatio (1 or 2), the same view scaled.
    // Throws std::invalid_argument with a plain reason for a map that is empty
    // or of an unreasonable size, or another pixel ratio.
    DayNightArtist(const Image& dayMap, const Image& nightMap, int pixelRatio);

    // Frame n (1..44; std::out_of_range otherwise) lit for the moment, opaque,
    // black off the globe.
    Image frame(int n, std::int64_t unixSecondsUtc) const;

    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    // One sample of a frame with where it falls on the warped maps and on the
    // daylight grid when the front longitude is 0; a frame shifts only the
    // columns.
    struct Tap {
        int pixel;
        int row0, row1;  // offsets of the map rows above and below
        float tv, u;     // share of row1; map column (texels)
        int gridRow;
        float gridTy, gridU;
        float shade, haze;
    };
    static int checkedRatio(const Image& dayMap, const Image& nightMap, int pixelRatio);
    // The map as the globe shows it, width x width / 2: each texel the land
    // the warp moves there, packed 0x00RRGGBB.
    std::vector<std::uint32_t> prepare(const Image& map) const;

    int m_width, m_height;  // first: worked out once the maps are checked
    GlobeView m_view;
    int m_samplesPerPixel;
    InverseWarpGrid m_grid;
    int m_mapWidth, m_mapHeight;
    std::vector<std::uint32_t> m_day, m_night;
    std::vector<Tap> m_taps;
};

}  // namespace skyroll::globe
