#pragma once
// A smooth warp of the day map near the tour's cities, so that each city comes
// to stand at its weather picture on its frame while the globe turns steadily.
// The warp moves a point of the Earth along the sphere by a sum of Gaussian
// bumps centred on the cities at two widths; each bump carries an eastward and
// a northward push in degrees. Land far from every city stays where it is.

#include <array>
#include <string_view>
#include <vector>

#include "globe/Vec3.h"
#include "weather/WeatherTables.h"

namespace skyroll::globe {

// The city table's place of the city with this weather key (throws
// std::logic_error when there is none), and the point where it lies.
const weather::CityPlace& cityPlace(std::string_view key);
Vec3 cityPoint(const weather::CityPlace& place);

inline constexpr std::array<double, 2> kWarpWidthsDegrees{12.0, 30.0};

class GlobeWarp {
public:
    // Two pushes (east, north) per city and width: city-major, width-minor.
    static constexpr int kWeightCount = 28 * static_cast<int>(kWarpWidthsDegrees.size()) * 2;

    GlobeWarp();  // the identity
    explicit GlobeWarp(const std::vector<double>& weights);

    const std::vector<double>& weights() const { return m_weights; }
    int kernelCount() const { return static_cast<int>(m_kernels.size()); }

    // The push at a point before it is laid onto the sphere's tangent plane,
    // and the share of kernel k in it (for the fit, which is linear in them).
    Vec3 push(const Vec3& p) const;
    double kernelValue(int k, const Vec3& p) const;
    Vec3 kernelDirection(int k, int component) const;

    // Where the warp moves an Earth point (the place shown for it on the globe).
    Vec3 forward(const Vec3& p) const;
    // The Earth point that the warp moves onto q.
    Vec3 inverse(const Vec3& q) const;
    // How far the warp moves p, in degrees.
    double displacementDegrees(const Vec3& p) const;

private:
    struct Kernel {
        Vec3 centre, east, north;
        double inverseTwoSigmaSquared;
    };
    std::vector<Kernel> m_kernels;
    std::vector<double> m_weights;
};

// Moves p along the sphere by the tangent part of a push (radians).
Vec3 moveAlong(const Vec3& p, const Vec3& push);

// How much the warp changes the land: the largest move, and the smallest and
// largest ratio of warped to original area, over points spread on the sphere.
struct WarpMeasure {
    double maxDisplacementDegrees = 0;
    double minAreaRatio = 1, maxAreaRatio = 1;
};
WarpMeasure measureWarp(const GlobeWarp& warp, int points = 20000);

// The inverse warp solved on a grid of latitude and longitude (one degree
// apart unless told otherwise): for a place of the warped map, the Earth point
// shown there. The warp is smooth on the scale of its 12-degree bumps, so
// interpolating between grid points is as good as solving at every texel, and
// far quicker.
class InverseWarpGrid {
public:
    // stepDegrees divides 180.
    explicit InverseWarpGrid(const GlobeWarp& warp, int stepDegrees = 1);
    // The Earth point behind a place of the warped map, given as fractions of
    // its width (from longitude -180) and height (from latitude 90).
    Vec3 source(double fx, double fy) const;

    int stepDegrees() const { return m_step; }
    int columns() const { return m_columns; }  // longitude -180..180
    int rows() const { return m_rows; }        // latitude 90..-90
    // The Earth point behind grid point (row, column).
    const Vec3& node(int row, int column) const {
        return m_nodes[static_cast<std::size_t>(row) * m_columns + column];
    }

private:
    int m_step, m_columns, m_rows;
    std::vector<Vec3> m_nodes;
};

}  // namespace skyroll::globe
