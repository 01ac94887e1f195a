#pragma once
// The equirectangular day map of the Earth (longitude -180 at the left edge,
// north up) and its warped copy, sampled by direction on the sphere.

#include <filesystem>
#include <string>
#include <vector>

#include "tools/artwork/GlobeLibrary.h"
#include "tools/artwork/Raster.h"

namespace skyroll::artwork {

class DayMap {
public:
    // Reads a JPEG map (named `what` in errors); throws std::runtime_error
    // with a plain reason when the file is missing, not a JPEG, or of an
    // unreasonable size.
    static DayMap load(const std::filesystem::path& file, const std::string& what = "day map");

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Bilinear sample at a latitude and longitude in degrees.
    Colour sample(double latitude, double longitude) const;
    Colour sample(const Vec3& p) const { return sample(latitudeOf(p), longitudeOf(p)); }

    // The map as it looks after the warp: each texel shows the land that the
    // warp moves there.
    DayMap warped(const GlobeWarp& warp) const;
    // Half the size, each texel the mean of four (for small pictures).
    DayMap halved() const;
    Raster toRaster() const;

private:
    DayMap(int width, int height) : m_width(width), m_height(height), m_texels(std::size_t(width) * height) {}
    int m_width, m_height;
    std::vector<Colour> m_texels;  // linear 0..1 components, top row first
};

}  // namespace skyroll::artwork
