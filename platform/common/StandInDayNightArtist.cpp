#include "platform/common/StandInDayNightArtist.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace skyroll::globe {
namespace {

bool whole(const Image& map) {
    return map.width > 0 && map.height > 0 && map.width == 2 * map.height &&
           map.argb.size() == std::size_t(map.width) * std::size_t(map.height);
}

std::uint32_t sample(const Image& map, double lat, double lon) {
    const int x = std::clamp(int((lon + 180.0) / 360.0 * map.width), 0, map.width - 1);
    const int y = std::clamp(int((90.0 - lat) / 180.0 * map.height), 0, map.height - 1);
    return map.argb[std::size_t(y) * std::size_t(map.width) + std::size_t(x)];
}

std::uint32_t mix(std::uint32_t day, std::uint32_t night, double w) {
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const double a = (day >> shift) & 0xFF, b = (night >> shift) & 0xFF;
        out |= std::uint32_t(std::lround(a * w + b * (1.0 - w))) << shift;
    }
    return out;
}

}  // namespace

DayNightArtist::DayNightArtist(const Image& dayMap, const Image& nightMap, int pixelRatio)
    : m_day(dayMap), m_night(nightMap), m_ratio(pixelRatio) {
    if (!whole(dayMap) || !whole(nightMap)) throw std::invalid_argument("a map is not a whole 2:1 picture");
    if (pixelRatio < 1 || pixelRatio > 4) throw std::invalid_argument("pixel ratio out of range");
}

Image DayNightArtist::frame(int n, std::int64_t unixSecondsUtc) const {
    constexpr double kDeg = std::numbers::pi / 180.0;
    Image out;
    out.width = 180 * m_ratio;
    out.height = 183 * m_ratio;
    out.argb.assign(std::size_t(out.width) * std::size_t(out.height), 0xFF000000u);
    // The sun stands over the longitude where it is noon, at the
    // declination of the day of the year.
    const double day = double(unixSecondsUtc % 31'556'952) / 86400.0;
    const double hours = double(((unixSecondsUtc % 86400) + 86400) % 86400) / 3600.0;
    const double sunLon = (12.0 - hours) * 15.0 * kDeg;
    const double sunLat = -23.44 * std::cos(2.0 * std::numbers::pi * (day + 10.0) / 365.25) * kDeg;
    const double centre = (-180.0 + (n - 1) * 360.0 / 44.0) * kDeg;
    const double radius = 89.5 * m_ratio, cx = out.width / 2.0, cy = out.height / 2.0;
    for (int py = 0; py < out.height; ++py) {
        for (int px = 0; px < out.width; ++px) {
            const double x = (px + 0.5 - cx) / radius, y = (cy - py - 0.5) / radius;
            const double rr = x * x + y * y;
            if (rr > 1.0) continue;
            const double lat = std::asin(y), lon = centre + std::atan2(x, std::sqrt(1.0 - rr));
            const double sun =
                std::sin(lat) * std::sin(sunLat) + std::cos(lat) * std::cos(sunLat) * std::cos(lon - sunLon);
            const double w = std::clamp(0.5 + sun * 6.0, 0.0, 1.0);  // a narrow dusk
            double lonDeg = std::remainder(lon / kDeg, 360.0);
            out.argb[std::size_t(py) * std::size_t(out.width) + std::size_t(px)] =
                mix(sample(m_day, lat / kDeg, lonDeg), sample(m_night, lat / kDeg, lonDeg), w);
        }
    }
    return out;
}

}  // namespace skyroll::globe
