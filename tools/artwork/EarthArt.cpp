#include "tools/artwork/EarthArt.h"

#include <algorithm>
#include <cmath>

#include "tools/artwork/GlobeLibrary.h"
#include "weather/WeatherTables.h"

namespace skyroll::artwork {

namespace {

const Colour kHaze{kHazeColour[0], kHazeColour[1], kHazeColour[2]};

void drawBox(Raster& r, int left, int top, int size, Rgba colour) {
    for (int i = 0; i < size; ++i)
        for (const auto& [x, y] : {std::pair{left + i, top},
                                   {left + i, top + size - 1},
                                   {left, top + i},
                                   {left + size - 1, top + i}})
            if (r.contains(x, y)) r.at(x, y) = colour;
}

void drawCross(Raster& r, double cx, double cy, int arm, Rgba colour) {
    const int x0 = static_cast<int>(std::floor(cx)), y0 = static_cast<int>(std::floor(cy));
    for (int i = -arm; i <= arm; ++i) {
        if (r.contains(x0 + i, y0)) r.at(x0 + i, y0) = colour;
        if (r.contains(x0, y0 + i)) r.at(x0, y0 + i) = colour;
    }
}

}  // namespace

GlobeRenderer::GlobeRenderer(const GlobeView& view, int width, int height, int samplesPerSide)
    : m_view(view),
      m_width(width),
      m_height(height),
      m_samplesPerPixel(samplesPerSide * samplesPerSide),
      m_samples(globeSamples(view, width, height, samplesPerSide)) {}

Raster GlobeRenderer::render(const DayMap& map, int frame, bool transparentGround) const {
    std::vector<Colour> sum(static_cast<std::size_t>(m_width) * m_height);
    std::vector<int> hits(sum.size(), 0);
    const double front = m_view.frontLongitudeOf(frame);
    for (const GlobeSample& s : m_samples) {
        const Colour ground = map.sample(s.latitude, s.longitude + front);
        const Colour lit = mix(kGroundGain * s.shade * ground, kHaze, s.haze);
        sum[static_cast<std::size_t>(s.pixel)] = sum[static_cast<std::size_t>(s.pixel)] + lit;
        ++hits[static_cast<std::size_t>(s.pixel)];
    }
    Raster out(m_width, m_height, Rgba{0, 0, 0, static_cast<std::uint8_t>(transparentGround ? 0 : 255)});
    for (int i = 0; i < m_width * m_height; ++i) {
        if (hits[static_cast<std::size_t>(i)] == 0) continue;
        const double coverage = static_cast<double>(hits[static_cast<std::size_t>(i)]) / m_samplesPerPixel;
        const Colour c = (1.0 / m_samplesPerPixel) * sum[static_cast<std::size_t>(i)];
        // Over black the edge fades by coverage; on a transparent ground the
        // colour stays whole and the coverage goes into alpha.
        out.at(i % m_width, i / m_width) =
            transparentGround ? toRgba((1.0 / coverage) * c, coverage) : toRgba(c);
    }
    return out;
}

std::vector<Raster> renderGlobeFrames(const DayMap& warpedMap, const GlobeView& view, int scale) {
    GlobeView scaled = view;
    scaled.centreX *= scale;
    scaled.centreY *= scale;
    scaled.radius *= scale;
    // Larger frames take fewer samples per pixel: the samples stay as dense on
    // the globe, and so does the time it takes.
    const GlobeRenderer renderer(scaled, kFrameWidth * scale, kFrameHeight * scale, std::max(1, 4 / scale));
    std::vector<Raster> frames;
    for (int frame = 1; frame <= kFrameCount; ++frame) frames.push_back(renderer.render(warpedMap, frame));
    return frames;
}

Raster renderGlobeIcon(const DayMap& map, int size) {
    GlobeView view;
    view.centreX = size / 2.0;
    view.centreY = size / 2.0;
    view.radius = size * (15.6 / 32.0);
    view.frontLongitude = 125.0;
    view.tiltDegrees = 12.0;
    return GlobeRenderer(view, size, size, size > 64 ? 4 : 8).render(map, 1, true);
}

Raster contactSheet(const std::vector<Raster>& frames, const GlobeView& view, const GlobeWarp& warp) {
    constexpr int kColumns = 11, kGap = 6;
    const int rows = (static_cast<int>(frames.size()) + kColumns - 1) / kColumns;
    Raster sheet(kColumns * (kFrameWidth + kGap) + kGap, rows * (kFrameHeight + kGap) + kGap,
                 Rgba{64, 64, 64, 255});
    const std::vector<CityError> errors = cityErrors(view, warp);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        Raster cell = frames[i];
        for (std::size_t e = 0; e < errors.size(); ++e) {
            if (errors[e].frame != static_cast<int>(i) + 1) continue;
            const weather::TourEntry& entry = weather::WeatherTour[e];
            drawBox(cell, entry.pictureLeft / 15, entry.pictureTop / 15, 30, Rgba{255, 230, 0, 255});
            drawCross(cell, errors[e].x, errors[e].y, 3, Rgba{255, 40, 40, 255});
        }
        const int column = static_cast<int>(i) % kColumns, row = static_cast<int>(i) / kColumns;
        sheet.paste(cell, kGap + column * (kFrameWidth + kGap), kGap + row * (kFrameHeight + kGap));
    }
    return sheet;
}

Raster warpEvidence(const DayMap& map, const DayMap& warpedMap, const GlobeWarp& warp) {
    const Raster original = map.halved().toRaster();
    Raster warped = warpedMap.halved().toRaster();
    Raster both(original.width(), 2 * original.height() + 8, Rgba{64, 64, 64, 255});
    const auto mark = [&both, &original](const Vec3& p, int top, Rgba colour) {
        const double x = (longitudeOf(p) + 180.0) / 360.0 * original.width();
        const double y = (90.0 - latitudeOf(p)) / 180.0 * original.height() + top;
        drawCross(both, x, y, 4, colour);
    };
    both.paste(original, 0, 0);
    both.paste(warped, 0, original.height() + 8);
    for (const weather::CityPlace& place : weather::kCityPlaces) {
        const Vec3 p = cityPoint(place);
        mark(p, 0, Rgba{255, 40, 40, 255});
        mark(warp.forward(p), original.height() + 8, Rgba{255, 40, 40, 255});
    }
    return both;
}

}  // namespace skyroll::artwork
