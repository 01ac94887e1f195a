#include "globe/GlobeWarp.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace skyroll::globe {

namespace {

// The places are written as decimal degrees ("-0.13").
double degrees(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw std::logic_error("city place not in degrees");
    return value;
}

}  // namespace

const weather::CityPlace& cityPlace(std::string_view key) {
    for (const weather::CityPlace& place : weather::kCityPlaces)
        if (place.name == key) return place;
    throw std::logic_error("tour city without a place");
}

Vec3 cityPoint(const weather::CityPlace& place) {
    return fromLatLon(degrees(place.latitude), degrees(place.longitude));
}

GlobeWarp::GlobeWarp() : GlobeWarp(std::vector<double>(kWeightCount, 0.0)) {}

GlobeWarp::GlobeWarp(const std::vector<double>& weights) : m_weights(weights) {
    if (static_cast<int>(weights.size()) != kWeightCount) throw std::invalid_argument("warp weight count");
    // City-major in tour order, as the weights.
    for (const weather::TourEntry& entry : weather::WeatherTour) {
        const weather::CityPlace& place = cityPlace(entry.key);
        const Vec3 centre = cityPoint(place);
        const double lon = degrees(place.longitude) * kDegree, lat = degrees(place.latitude) * kDegree;
        const Vec3 east{std::cos(lon), 0.0, -std::sin(lon)};
        const Vec3 north{-std::sin(lat) * std::sin(lon), std::cos(lat), -std::sin(lat) * std::cos(lon)};
        for (double width : kWarpWidthsDegrees) {
            const double sigma = width * kDegree;
            m_kernels.push_back({centre, east, north, 1.0 / (2.0 * sigma * sigma)});
        }
    }
}

double GlobeWarp::kernelValue(int k, const Vec3& p) const {
    const Kernel& kernel = m_kernels[static_cast<std::size_t>(k)];
    // The squared chord stands in for the squared angle: no acos, same bump.
    const double chord2 = 2.0 - 2.0 * dot(kernel.centre, p);
    return std::exp(-chord2 * kernel.inverseTwoSigmaSquared);
}

Vec3 GlobeWarp::kernelDirection(int k, int component) const {
    const Kernel& kernel = m_kernels[static_cast<std::size_t>(k)];
    return component == 0 ? kernel.east : kernel.north;
}

Vec3 GlobeWarp::push(const Vec3& p) const {
    Vec3 sum;
    for (int k = 0; k < kernelCount(); ++k) {
        const double east = m_weights[static_cast<std::size_t>(2 * k)];
        const double north = m_weights[static_cast<std::size_t>(2 * k + 1)];
        if (east == 0.0 && north == 0.0) continue;
        const Kernel& kernel = m_kernels[static_cast<std::size_t>(k)];
        sum = sum + (kernelValue(k, p) * kDegree) * (east * kernel.east + north * kernel.north);
    }
    return sum;
}

Vec3 moveAlong(const Vec3& p, const Vec3& push) {
    const Vec3 tangent = push - dot(push, p) * p;
    const double angle = tangent.length();
    if (angle < 1e-15) return p;
    return (std::cos(angle) * p + (std::sin(angle) / angle) * tangent).normalised();
}

Vec3 GlobeWarp::forward(const Vec3& p) const { return moveAlong(p, push(p)); }

Vec3 GlobeWarp::inverse(const Vec3& q) const {
    // Newton-like steps with the identity as the Jacobian; the warp is gentle
    // (its derivative stays well inside the unit ball), so this converges fast.
    Vec3 p = q;
    for (int i = 0; i < 40; ++i) {
        const Vec3 miss = q - forward(p);
        p = (p + miss).normalised();
        if (miss.length() < 1e-12) break;
    }
    return p;
}

double GlobeWarp::displacementDegrees(const Vec3& p) const {
    const Vec3 v = push(p);
    return (v - dot(v, p) * p).length() / kDegree;
}

WarpMeasure measureWarp(const GlobeWarp& warp, int points) {
    WarpMeasure m;
    const double golden = kPi * (3.0 - std::sqrt(5.0));
    const double h = 1e-4;
    for (int i = 0; i < points; ++i) {
        const double y = 1.0 - 2.0 * (i + 0.5) / points;
        const double r = std::sqrt(1.0 - y * y);
        const Vec3 p{r * std::sin(golden * i), y, r * std::cos(golden * i)};
        m.maxDisplacementDegrees = std::fmax(m.maxDisplacementDegrees, warp.displacementDegrees(p));
        // Two tangent directions at p; the warped parallelogram over the original.
        const Vec3 helper = std::fabs(p.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
        const Vec3 u = cross(p, helper).normalised();
        const Vec3 v = cross(p, u);
        const Vec3 f = warp.forward(p);
        const Vec3 fu = warp.forward((p + h * u).normalised()) - f;
        const Vec3 fv = warp.forward((p + h * v).normalised()) - f;
        const double ratio = dot(cross(fu, fv), f) / (h * h);
        m.minAreaRatio = std::fmin(m.minAreaRatio, ratio);
        m.maxAreaRatio = std::fmax(m.maxAreaRatio, ratio);
    }
    return m;
}

InverseWarpGrid::InverseWarpGrid(const GlobeWarp& warp, int stepDegrees)
    : m_step(stepDegrees),
      m_columns(360 / stepDegrees + 1),
      m_rows(180 / stepDegrees + 1),
      m_nodes(std::size_t(m_columns) * m_rows) {
    if (stepDegrees < 1 || 180 % stepDegrees != 0) throw std::invalid_argument("grid step must divide 180");
    for (int row = 0; row < m_rows; ++row)
        for (int col = 0; col < m_columns; ++col)
            m_nodes[std::size_t(row) * m_columns + col] =
                warp.inverse(fromLatLon(90.0 - row * stepDegrees, col * stepDegrees - 180.0));
}

Vec3 InverseWarpGrid::source(double fx, double fy) const {
    const double gy = fy * (m_rows - 1);
    const int r0 = std::min(static_cast<int>(gy), m_rows - 2);
    const double ty = gy - r0;
    const double gx = fx * (m_columns - 1);
    const int c0 = std::min(static_cast<int>(gx), m_columns - 2);
    const double tx = gx - c0;
    const Vec3 top = (1 - tx) * node(r0, c0) + tx * node(r0, c0 + 1);
    const Vec3 bottom = (1 - tx) * node(r0 + 1, c0) + tx * node(r0 + 1, c0 + 1);
    return ((1 - ty) * top + ty * bottom).normalised();
}

}  // namespace skyroll::globe
