#pragma once
// A small 3-vector for points on the unit sphere. Earth points use x toward
// 90 E, y toward the north pole and z toward longitude 0 on the equator.

#include <cmath>

namespace skyroll::globe {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kDegree = kPi / 180.0;

struct Vec3 {
    double x = 0, y = 0, z = 0;

    friend Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
    friend Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
    friend Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
    friend double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
    friend Vec3 cross(Vec3 a, Vec3 b) {
        return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    }
    double length() const { return std::sqrt(x * x + y * y + z * z); }
    Vec3 normalised() const { return (1.0 / length()) * *this; }
};

inline Vec3 fromLatLon(double latitudeDeg, double longitudeDeg) {
    const double lat = latitudeDeg * kDegree, lon = longitudeDeg * kDegree;
    return {std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)};
}

inline double latitudeOf(Vec3 p) { return std::asin(std::fmax(-1.0, std::fmin(1.0, p.y))) / kDegree; }
inline double longitudeOf(Vec3 p) { return std::atan2(p.x, p.z) / kDegree; }

// Angle between two unit vectors, in degrees.
inline double angleBetween(Vec3 a, Vec3 b) { return std::atan2(cross(a, b).length(), dot(a, b)) / kDegree; }

}  // namespace skyroll::globe
