#include "globe/SubsolarPoint.h"

#include <cmath>

#include "globe/Vec3.h"

namespace skyroll::globe {

namespace {
constexpr std::int64_t kJ2000UnixSeconds = 946728000;  // 2000-01-01 12:00 UTC
constexpr std::int64_t kSecondsPerDay = 86400;
}  // namespace

GeoPoint subsolarPoint(std::int64_t unixSecondsUtc) {
    // Julian centuries since J2000.0; the minute between UTC and dynamical
    // time moves the sun far less than the accuracy asked of it.
    const double t = static_cast<double>(unixSecondsUtc - kJ2000UnixSeconds) / kSecondsPerDay / 36525.0;
    const double meanLongitude = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0) * kDegree;
    const double meanAnomaly = (357.52911 + t * (35999.05029 - t * 0.0001537)) * kDegree;
    const double eccentricity = 0.016708634 - t * (0.000042037 + t * 0.0000001267);
    const double centre = std::sin(meanAnomaly) * (1.914602 - t * (0.004817 + t * 0.000014)) +
                          std::sin(2 * meanAnomaly) * (0.019993 - t * 0.000101) +
                          std::sin(3 * meanAnomaly) * 0.000289;
    const double node = (125.04 - 1934.136 * t) * kDegree;
    const double apparentLongitude =
        (meanLongitude / kDegree + centre - 0.00569 - 0.00478 * std::sin(node)) * kDegree;
    const double meanObliquity =
        23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
    const double obliquity = (meanObliquity + 0.00256 * std::cos(node)) * kDegree;
    const double declination = std::asin(std::sin(obliquity) * std::sin(apparentLongitude));

    // The equation of time (apparent minus mean solar time), in radians of turn.
    const double y = std::pow(std::tan(obliquity / 2), 2);
    const double equation = y * std::sin(2 * meanLongitude) - 2 * eccentricity * std::sin(meanAnomaly) +
                            4 * eccentricity * y * std::sin(meanAnomaly) * std::cos(2 * meanLongitude) -
                            0.5 * y * y * std::sin(4 * meanLongitude) -
                            1.25 * eccentricity * eccentricity * std::sin(2 * meanAnomaly);

    // Apparent noon is where the mean sun's hour angle plus the equation is nought.
    const std::int64_t secondOfDay = ((unixSecondsUtc % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    double longitude = 180.0 - static_cast<double>(secondOfDay) / kSecondsPerDay * 360.0 - equation / kDegree;
    longitude = std::fmod(longitude + 180.0, 360.0);
    if (longitude < 0) longitude += 360.0;
    return {declination / kDegree, longitude - 180.0};
}

}  // namespace skyroll::globe
