#pragma once
// A picture in memory: 8-bit red, green, blue and alpha, top row first.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace skyroll::artwork {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

// A colour with components in 0..1 for drawing; converted once at the end.
struct Colour {
    double r = 0, g = 0, b = 0;
    friend Colour operator+(Colour x, Colour y) { return {x.r + y.r, x.g + y.g, x.b + y.b}; }
    friend Colour operator*(double s, Colour x) { return {s * x.r, s * x.g, s * x.b}; }
};

inline Colour mix(Colour a, Colour b, double t) { return (1.0 - t) * a + t * b; }

inline std::uint8_t toByte(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}
inline Rgba toRgba(Colour c, double alpha = 1.0) {
    return {toByte(c.r), toByte(c.g), toByte(c.b), toByte(alpha)};
}

class Raster {
public:
    Raster(int width, int height, Rgba fill = {0, 0, 0, 255})
        : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width) * height, fill) {}
    int width() const { return m_width; }
    int height() const { return m_height; }
    Rgba& at(int x, int y) { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }
    const Rgba& at(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    // Copies another raster with its top-left corner at (left, top), clipped.
    void paste(const Raster& other, int left, int top) {
        for (int y = 0; y < other.height(); ++y)
            for (int x = 0; x < other.width(); ++x)
                if (contains(left + x, top + y)) at(left + x, top + y) = other.at(x, y);
    }

private:
    int m_width, m_height;
    std::vector<Rgba> m_pixels;
};

}  // namespace skyroll::artwork
