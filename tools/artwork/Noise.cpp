#include "tools/artwork/Noise.h"

#include <algorithm>
#include <cmath>

namespace skyroll::artwork {

namespace {

std::uint32_t hash(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B1u;
    for (std::int32_t v : {x, y, z}) {
        h ^= static_cast<std::uint32_t>(v) + 0x7F4A7C15u + (h << 6) + (h >> 2);
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
    }
    h *= 0xC2B2AE35u;
    return h ^ (h >> 16);
}

double lattice(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
    return (hash(x, y, z, seed) >> 8) * (1.0 / 16777216.0);
}

double fade(double t) { return t * t * (3.0 - 2.0 * t); }
double lerp(double a, double b, double t) { return a + (b - a) * t; }

}  // namespace

std::uint64_t SeededRandom::next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double SeededRandom::uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

double valueNoise(double x, double y, std::uint32_t seed) { return valueNoise(x, y, 0.0, seed); }

double valueNoise(double x, double y, double z, std::uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const auto ix = static_cast<std::int32_t>(fx), iy = static_cast<std::int32_t>(fy),
               iz = static_cast<std::int32_t>(fz);
    const double tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    double plane[2];
    for (int k = 0; k < 2; ++k) {
        const double a = lerp(lattice(ix, iy, iz + k, seed), lattice(ix + 1, iy, iz + k, seed), tx);
        const double b = lerp(lattice(ix, iy + 1, iz + k, seed), lattice(ix + 1, iy + 1, iz + k, seed), tx);
        plane[k] = lerp(a, b, ty);
    }
    return lerp(plane[0], plane[1], tz);
}

double fractalNoise(double x, double y, int octaves, std::uint32_t seed) {
    return fractalNoise(x, y, 0.0, octaves, seed);
}

double fractalNoise(double x, double y, double z, int octaves, std::uint32_t seed) {
    double sum = 0, weight = 0.5, total = 0, scale = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise(x * scale, y * scale, z * scale, seed + static_cast<std::uint32_t>(i));
        total += weight;
        weight *= 0.5;
        scale *= 2.03;
    }
    return sum / total;
}

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

}  // namespace skyroll::artwork
