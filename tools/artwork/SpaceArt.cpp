#include "tools/artwork/SpaceArt.h"

#include <cmath>
#include <vector>

#include "tools/artwork/EarthArt.h"
#include "tools/artwork/Noise.h"
#include "tools/artwork/PictureWriters.h"

namespace skyroll::artwork {

namespace {

// A picture being lit up: light adds, the result is clipped once at the end.
class Light {
public:
    Light(int width, int height) : m_width(width), m_height(height), m_light(std::size_t(width) * height) {}
    int width() const { return m_width; }
    int height() const { return m_height; }
    Colour& at(int x, int y) { return m_light[std::size_t(y) * m_width + x]; }
    void add(int x, int y, Colour c) {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height) at(x, y) = at(x, y) + c;
    }
    // A star: a small Gaussian spot, with thin spikes on the brightest;
    // `scale` times as wide on a larger picture.
    void star(double cx, double cy, double brightness, Colour tint, double spikes, double scale = 1) {
        const double sigma = (0.45 + 0.5 * std::sqrt(brightness)) * scale;
        const int reach = static_cast<int>(std::ceil(3 * sigma + spikes));
        const int x0 = static_cast<int>(std::floor(cx)), y0 = static_cast<int>(std::floor(cy));
        for (int y = y0 - reach; y <= y0 + reach; ++y)
            for (int x = x0 - reach; x <= x0 + reach; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                double v = brightness * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
                if (spikes > 0) {
                    const double along = std::fabs(dx) < 0.7 * scale   ? std::fabs(dy)
                                         : std::fabs(dy) < 0.7 * scale ? std::fabs(dx)
                                                                       : 1e9;
                    if (along < spikes)
                        v += 0.5 * brightness * (1.0 - along / spikes) * (1.0 - along / spikes);
                }
                add(x, y, v * tint);
            }
    }
    Raster toRaster() const {
        Raster out(m_width, m_height);
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) out.at(x, y) = toRgba(m_light[std::size_t(y) * m_width + x]);
        return out;
    }

private:
    int m_width, m_height;
    std::vector<Colour> m_light;
};

Colour starTint(SeededRandom& random) {
    const double t = random.uniform();
    return t < 0.25 ? Colour{0.75, 0.85, 1.0} : t < 0.8 ? Colour{1.0, 1.0, 1.0} : Colour{1.0, 0.9, 0.72};
}

// Stars over the whole picture; on a picture `scale` times the size the same
// stars, each at `scale` times its place and size.
void scatterStars(Light& light, SeededRandom& random, int count, double spikeAbove, int scale = 1) {
    for (int i = 0; i < count; ++i) {
        const double x = random.range(0, light.width() / scale), y = random.range(0, light.height() / scale);
        // Most stars faint, a few bright.
        const double brightness = 0.12 + 1.6 * std::pow(random.uniform(), 7.0);
        const Colour tint = starTint(random);
        light.star(x * scale, y * scale, brightness, tint,
                   brightness > spikeAbove ? (2.5 + 4.0 * brightness) * scale : 0.0, scale);
    }
}

}  // namespace

Raster renderStarField(int scale) {
    Light light(668 * scale, 495 * scale);
    SeededRandom random(668495);
    scatterStars(light, random, 900, 1.2, scale);
    return light.toRaster();
}

void writePaletteStarField(const std::filesystem::path& file) {
    constexpr int kWidth = 640, kHeight = 480;
    // The palette: 16 steps of sky from deep blue to violet, each in 16 steps
    // toward white for the sparkles.
    const Colour top{0.03, 0.04, 0.22}, middle{0.12, 0.14, 0.52}, bottom{0.40, 0.16, 0.55};
    Palette palette;
    for (int g = 0; g < 16; ++g) {
        const double t = g / 15.0;
        const Colour sky = t < 0.5 ? mix(top, middle, 2 * t) : mix(middle, bottom, 2 * t - 1);
        for (int b = 0; b < 16; ++b) palette.push_back(toRgba(mix(sky, Colour{1, 1, 1}, b / 15.0)));
    }
    Light sparkle(kWidth, kHeight);
    SeededRandom random(640480);
    for (int i = 0; i < 260; ++i) {
        const double brightness = 0.25 + 0.9 * std::pow(random.uniform(), 4.0);
        const double x = random.range(0, kWidth), y = random.range(0, kHeight);
        sparkle.star(x, y, brightness, Colour{1, 1, 1}, brightness > 0.45 ? 3.0 + 9.0 * brightness : 0.0);
    }
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<std::uint8_t> indices;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double wave = 0.08 * (fractalNoise(x / 90.0, y / 90.0, 4, 77) - 0.5);
            const double t = std::clamp(double(y) / (kHeight - 1) + wave, 0.0, 1.0);
            const double dither = (kBayer[y % 4][x % 4] + 0.5) / 16.0;
            const int g = std::min(15, static_cast<int>(t * 15 + dither));
            const int b = std::min(15, static_cast<int>(sparkle.at(x, y).r * 15 + dither));
            indices.push_back(static_cast<std::uint8_t>(g * 16 + b));
        }
    writeBmp8(file, kWidth, kHeight, indices, palette);
}

Raster renderSpaceWallpaper(const DayMap& dayMap) {
    constexpr int kWidth = 1920, kHeight = 1080;
    Light light(kWidth, kHeight);
    // The galaxy band: a tilted glowing stripe broken up by noise, with a
    // darker lane of dust along its middle.
    const double nx = -0.38, ny = 0.925;  // unit normal of the band's centre line
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double across = (x - 960.0) * nx + (y - 420.0) * ny;
            const double band = std::exp(-across * across / (2 * 150.0 * 150.0));
            if (band < 0.01) {
                light.at(x, y) = Colour{0.004, 0.006, 0.018};
                continue;
            }
            const double cloud = fractalNoise(x / 160.0, y / 160.0, 5, 1920);
            const double dust = 1.0 - 0.6 * std::exp(-across * across / (2 * 30.0 * 30.0)) *
                                          smoothstep(0.35, 0.6, fractalNoise(x / 60.0, y / 60.0, 3, 1080));
            const double glow = 0.16 * band * smoothstep(0.25, 0.8, cloud) * dust;
            light.at(x, y) = Colour{0.004 + glow * 0.85, 0.006 + glow * 0.82, 0.018 + glow};
        }
    SeededRandom random(19201080);
    scatterStars(light, random, 3800, 1.4);
    // More faint stars inside the band.
    for (int i = 0; i < 5000; ++i) {
        const double along = random.range(-1200, 1200),
                     across = 150.0 * (random.uniform() + random.uniform() - 1.0);
        light.star(960 + along * ny + across * nx, 420 - along * nx + across * ny,
                   0.1 + 0.3 * random.uniform(), starTint(random), 0.0);
    }
    Raster out = light.toRaster();
    // The Earth's limb rising at the bottom right, seen over the Arctic.
    GlobeView view;
    view.centreX = 1500;
    view.centreY = 2350;
    view.radius = 1500;
    view.frontLongitude = 150.0;
    view.tiltDegrees = 55.0;
    view.rollDegrees = 12.0;
    const Raster earth = GlobeRenderer(view, kWidth, kHeight, 1).render(dayMap, 1, true);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Rgba& e = earth.at(x, y);
            Rgba& o = out.at(x, y);
            const double a = e.a / 255.0;
            o = {static_cast<std::uint8_t>(std::lround(o.r * (1 - a) + e.r * a)),
                 static_cast<std::uint8_t>(std::lround(o.g * (1 - a) + e.g * a)),
                 static_cast<std::uint8_t>(std::lround(o.b * (1 - a) + e.b * a)), 255};
        }
    return out;
}

}  // namespace skyroll::artwork
