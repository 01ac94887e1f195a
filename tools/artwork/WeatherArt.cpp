#include "tools/artwork/WeatherArt.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "tools/artwork/GlobeLibrary.h"

namespace skyroll::artwork {

namespace {

constexpr int kSub = 4;  // samples per pixel side

// A shape is a signed distance in pixels: negative inside.
using Shape = std::function<double(double x, double y)>;

Shape disc(double cx, double cy, double r) {
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape segment(double x0, double y0, double x1, double y1, double halfWidth) {
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(x - x0 - t * dx, y - y0 - t * dy) - halfWidth;
    };
}

Shape unite(std::vector<Shape> parts) {
    return [parts = std::move(parts)](double x, double y) {
        double d = std::numeric_limits<double>::max();
        for (const Shape& s : parts) d = std::min(d, s(x, y));
        return d;
    };
}

// Paints on a supersampled canvas, later reduced to 30 x 30 (times the
// scale) with coverage. Shapes are drawn in the coordinates of the 30 x 30
// picture whatever the scale.
class Canvas {
public:
    explicit Canvas(int scale)
        : m_scale(scale),
          m_side(kWeatherPictureSide * scale * kSub),
          m_colour(std::size_t(m_side) * m_side),
          m_covered(std::size_t(m_side) * m_side, false) {}
    void fill(const Shape& shape, Colour colour, double grow = 0.0) {
        const double step = kSub * m_scale;
        for (int y = 0; y < m_side; ++y)
            for (int x = 0; x < m_side; ++x)
                if (shape((x + 0.5) / step, (y + 0.5) / step) < grow) {
                    m_colour[y * m_side + x] = colour;
                    m_covered[y * m_side + x] = true;
                }
    }
    // Filled with an outline of the given width around it.
    void outlined(const Shape& shape, Colour colour, Colour line, double width = 0.9) {
        fill(shape, line, width);
        fill(shape, colour);
    }
    Raster reduce() const {
        const int side = kWeatherPictureSide * m_scale;
        Raster out(side, side);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                Colour sum;
                int hits = 0;
                for (int sy = 0; sy < kSub; ++sy)
                    for (int sx = 0; sx < kSub; ++sx) {
                        const int i = (y * kSub + sy) * m_side + x * kSub + sx;
                        if (!m_covered[i]) continue;
                        sum = sum + m_colour[i];
                        ++hits;
                    }
                out.at(x, y) =
                    hits ? toRgba((1.0 / hits) * sum, hits / double(kSub * kSub)) : Rgba{0, 0, 0, 0};
            }
        return out;
    }

private:
    int m_scale, m_side;
    std::vector<Colour> m_colour;
    std::vector<bool> m_covered;
};

const Colour kSunRed{0.9, 0.08, 0.05}, kSunDark{0.55, 0.0, 0.0}, kRay{1.0, 0.86, 0.0};
const Colour kCloud{0.93, 0.94, 0.97}, kCloudGrey{0.62, 0.64, 0.70}, kCloudLine{0.35, 0.37, 0.45};
const Colour kRain{0.15, 0.45, 1.0}, kRainLine{0.0, 0.15, 0.5}, kSnow{1.0, 1.0, 1.0};

void sun(Canvas& c, double cx, double cy, double r, int rays) {
    std::vector<Shape> spokes;
    for (int i = 0; i < rays; ++i) {
        const double a = 2.0 * kPi * i / rays;
        spokes.push_back(segment(cx + (r + 1.6) * std::cos(a), cy + (r + 1.6) * std::sin(a),
                                 cx + (r + r * 0.75) * std::cos(a), cy + (r + r * 0.75) * std::sin(a), 1.1));
    }
    c.outlined(unite(std::move(spokes)), kRay, Colour{0.6, 0.35, 0.0}, 0.6);
    c.outlined(disc(cx, cy, r), kSunRed, kSunDark);
}

Shape cloudShape(double cx, double cy, double s) {
    return unite({disc(cx - 5.5 * s, cy + 1.5 * s, 4.2 * s), disc(cx, cy - 1.5 * s, 5.8 * s),
                  disc(cx + 5.8 * s, cy + 1.2 * s, 4.4 * s),
                  segment(cx - 5.5 * s, cy + 3.4 * s, cx + 5.8 * s, cy + 3.4 * s, 2.4 * s)});
}

void drops(Canvas& c, const std::vector<std::pair<double, double>>& at) {
    for (const auto& [x, y] : at)
        c.outlined(segment(x + 1.2, y - 2.2, x - 0.8, y + 2.2, 0.9), kRain, kRainLine, 0.5);
}

void flake(Canvas& c, double cx, double cy, double r) {
    std::vector<Shape> arms;
    for (int i = 0; i < 3; ++i) {
        const double a = kPi * i / 3.0 + kPi / 2.0;
        arms.push_back(segment(cx - r * std::cos(a), cy - r * std::sin(a), cx + r * std::cos(a),
                               cy + r * std::sin(a), 0.7));
    }
    c.outlined(unite(std::move(arms)), kSnow, kRainLine, 0.6);
}

Raster questionMark(int scale) {
    Canvas c(scale);
    c.outlined(disc(15, 15, 12.5), Colour{0.55, 0.57, 0.62}, Colour{0.25, 0.26, 0.3});
    std::vector<Shape> strokes;
    // The hook: an arc from the left over the top down to the centre.
    for (int i = 0; i <= 12; ++i) {
        const double a0 = kPi * (1.05 - 1.45 * i / 12.0), a1 = kPi * (1.05 - 1.45 * (i + 1) / 12.0);
        if (i < 12)
            strokes.push_back(segment(15 + 5 * std::cos(a0), 11 - 5 * std::sin(a0), 15 + 5 * std::cos(a1),
                                      11 - 5 * std::sin(a1), 1.6));
    }
    strokes.push_back(segment(15 + 5 * std::cos(-0.4 * kPi), 11 + 5 * std::sin(0.4 * kPi), 15, 19, 1.6));
    strokes.push_back(disc(15, 23.3, 1.9));
    c.fill(unite(std::move(strokes)), Colour{1, 1, 1});
    return c.reduce();
}

}  // namespace

std::vector<WeatherPicture> weatherPictures(int scale) {
    std::vector<WeatherPicture> pictures;
    {
        Canvas c(scale);
        sun(c, 15, 15, 7.5, 12);
        pictures.push_back({"SUN.gif", c.reduce()});
    }
    {
        Canvas c(scale);
        sun(c, 10, 10, 5.5, 10);
        c.outlined(cloudShape(18, 17, 0.85), kCloud, kCloudLine);
        drops(c, {{12, 25.5}, {18, 25.5}, {24, 25.5}});
        pictures.push_back({"SUN_RAIN.gif", c.reduce()});
    }
    {
        Canvas c(scale);
        c.outlined(cloudShape(15, 11, 1.05), kCloudGrey, kCloudLine);
        drops(c, {{8, 22}, {14, 24.5}, {20, 22}, {26, 24.5}, {11, 27.5}, {23, 27.5}});
        pictures.push_back({"RAIN.gif", c.reduce()});
    }
    {
        Canvas c(scale);
        c.outlined(cloudShape(19, 11, 0.8), kCloudGrey, kCloudLine);
        c.outlined(cloudShape(13, 18, 1.1), kCloud, kCloudLine);
        pictures.push_back({"CLOUDY.gif", c.reduce()});
    }
    {
        Canvas c(scale);
        c.outlined(cloudShape(15, 10, 1.0), kCloud, kCloudLine);
        flake(c, 9, 22, 3.6);
        flake(c, 21, 22, 3.6);
        flake(c, 15, 26.2, 3.2);
        pictures.push_back({"SNOW.gif", c.reduce()});
    }
    pictures.push_back({kUnknownWeatherPicture, questionMark(scale)});
    return pictures;
}

const Palette& weatherPalette() {
    static const Palette palette = [] {
        // The transparent entry, a 6 x 6 x 6 colour cube, then greys.
        Palette p{Rgba{0, 0, 0, 0}};
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back(Rgba{std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51), 255});
        while (p.size() < 256) {
            const auto v = static_cast<std::uint8_t>(8 + (p.size() - 217) * 6);
            p.push_back(Rgba{v, v, v, 255});
        }
        return p;
    }();
    return palette;
}

void writeWeatherGif(const std::filesystem::path& file, const WeatherPicture& picture) {
    const Palette& palette = weatherPalette();
    std::vector<std::uint8_t> indices;
    for (int y = 0; y < picture.picture.height(); ++y)
        for (int x = 0; x < picture.picture.width(); ++x) {
            const Rgba& c = picture.picture.at(x, y);
            std::uint8_t best = 0;
            if (c.a >= 128) {
                int bestDistance = std::numeric_limits<int>::max();
                for (std::size_t i = 1; i < palette.size(); ++i) {
                    const int dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
                    const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = static_cast<std::uint8_t>(i);
                    }
                }
            }
            indices.push_back(best);
        }
    writeGif(file, picture.picture.width(), picture.picture.height(), indices, palette, 0);
}

}  // namespace skyroll::artwork
