#pragma once
// Seeded randomness for the procedural pictures. Everything here is integer
// hashing and plain arithmetic, so a seed gives the same picture on every run
// (the standard library's distributions differ between implementations).

#include <cstdint>

namespace skyroll::artwork {

class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next();  // splitmix64
    double uniform();      // [0, 1)
    double range(double low, double high) { return low + (high - low) * uniform(); }

private:
    std::uint64_t m_state;
};

// Smooth value noise in [0, 1] on an integer lattice, and its fractal sum
// (octaves halving in size and strength), in two and three dimensions.
double valueNoise(double x, double y, std::uint32_t seed);
double valueNoise(double x, double y, double z, std::uint32_t seed);
double fractalNoise(double x, double y, int octaves, std::uint32_t seed);
double fractalNoise(double x, double y, double z, int octaves, std::uint32_t seed);

double smoothstep(double edge0, double edge1, double x);

}  // namespace skyroll::artwork
