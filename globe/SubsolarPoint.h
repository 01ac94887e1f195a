#pragma once
// Where the sun stands overhead at a moment: its declination and the
// longitude where it is apparent noon, from the low-precision solar
// coordinates (mean longitude and anomaly, equation of centre, nutation in
// longitude, obliquity), good to a small fraction of a degree for centuries
// around 2000.

#include <cstdint>

namespace skyroll::globe {

struct GeoPoint {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive, in [-180, 180)
};

GeoPoint subsolarPoint(std::int64_t unixSecondsUtc);

}  // namespace skyroll::globe
