#include "globe/DayNightArtist.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "globe/FittedGlobe.h"
#include "globe/GlobeSamples.h"

namespace skyroll::globe {

namespace {

// The sun lights fully from 3 degrees above the horizon and not at all from
// 3 degrees below it.
constexpr double kTwilightHalfWidthDegrees = 3.0;
// The haze over the night side keeps a little of its blue.
constexpr float kNightHaze = 0.25f;
// Map texels across the warped maps per pixel ratio: about three texels to a
// pixel at the globe's centre; more would only flicker between frames.
constexpr int kMapWidthPerRatio = 1024;
// The inverse warp and the daylight are smooth enough for a two-degree grid
// (a fraction of a pixel from the exact warp), which is four times quicker
// to solve than the generator's one-degree grid.
constexpr int kGridStepDegrees = 2;

struct Rgb {
    float r = 0, g = 0, b = 0;
};

Rgb unpack(std::uint32_t c) {
    return {static_cast<float>((c >> 16) & 0xFF), static_cast<float>((c >> 8) & 0xFF),
            static_cast<float>(c & 0xFF)};
}

std::uint32_t pack(double r, double g, double b) {
    const auto byte = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0) + 0.5); };
    return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

Rgb bilinear(Rgb a, Rgb b, Rgb c, Rgb d, float tu, float tv) {
    const auto lerp2 = [tu, tv](float p, float q, float r, float s) {
        return (1 - tv) * ((1 - tu) * p + tu * q) + tv * ((1 - tu) * r + tu * s);
    };
    return {lerp2(a.r, b.r, c.r, d.r), lerp2(a.g, b.g, c.g, d.g), lerp2(a.b, b.b, c.b, d.b)};
}

// Bilinear sample of an equirectangular map, wrapping east and west.
Rgb sampleMap(const std::vector<std::uint32_t>& texels, int width, int height, double latitude,
              double longitude) {
    const double u = (longitude + 180.0) / 360.0 * width - 0.5;
    const double v = (90.0 - latitude) / 180.0 * height - 0.5;
    const double fu = std::floor(u), fv = std::floor(v);
    int x0 = static_cast<int>(fu) % width;
    if (x0 < 0) x0 += width;
    const int x1 = x0 + 1 == width ? 0 : x0 + 1;
    const int y0 = std::clamp(static_cast<int>(fv), 0, height - 1);
    const int y1 = std::clamp(static_cast<int>(fv) + 1, 0, height - 1);
    const auto at = [&](int x, int y) { return unpack(texels[static_cast<std::size_t>(y) * width + x]); };
    return bilinear(at(x0, y0), at(x1, y0), at(x0, y1), at(x1, y1), static_cast<float>(u - fu),
                    static_cast<float>(v - fv));
}

void checkMap(const Image& map, const char* name) {
    const std::string what = name;
    if (map.width <= 0 || map.height <= 0 || map.argb.empty())
        throw std::invalid_argument(what + " is empty");
    if (map.argb.size() != static_cast<std::size_t>(map.width) * static_cast<std::size_t>(map.height))
        throw std::invalid_argument(what + " has " + std::to_string(map.argb.size()) + " pixels, not " +
                                    std::to_string(map.width) + " x " + std::to_string(map.height));
    const std::string size = std::to_string(map.width) + " x " + std::to_string(map.height);
    if (map.width > DayNightArtist::kMaxMapSide)
        throw std::invalid_argument(what + " is " + size + " pixels, too large");
    if (map.height < 8 || map.width != 2 * map.height)
        throw std::invalid_argument(what + " is " + size +
                                    " pixels; a map of the whole Earth is twice as wide as high");
}

// x modulo period for x in [-period, 2 period).
template <typename T>
T wrap(T x, T period) {
    return x >= period ? x - period : x < 0 ? x + period : x;
}

}  // namespace

int DayNightArtist::checkedRatio(const Image& dayMap, const Image& nightMap, int pixelRatio) {
    checkMap(dayMap, "the day map");
    checkMap(nightMap, "the night map");
    if (pixelRatio != 1 && pixelRatio != 2) throw std::invalid_argument("the pixel ratio is 1 or 2");
    return pixelRatio;
}

std::vector<std::uint32_t> DayNightArtist::prepare(const Image& map) const {
    // First reduced by whole texels to about the warped map's width, each
    // texel the mean of a square of the map's...
    const int factor = std::max(1, map.width / m_mapWidth);
    const int width = map.width / factor, height = map.height / factor;
    std::vector<std::uint32_t> reduced(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double r = 0, g = 0, b = 0;
            for (int sy = 0; sy < factor; ++sy)
                for (int sx = 0; sx < factor; ++sx) {
                    const std::uint32_t c =
                        map.argb[static_cast<std::size_t>(y * factor + sy) * map.width + x * factor + sx];
                    r += (c >> 16) & 0xFF;
                    g += (c >> 8) & 0xFF;
                    b += c & 0xFF;
                }
            const double n = factor * factor;
            reduced[static_cast<std::size_t>(y) * width + x] = pack(r / n, g / n, b / n);
        }
    // ...then warped: each texel shows the land the warp moves there.
    std::vector<std::uint32_t> out(static_cast<std::size_t>(m_mapWidth) * m_mapHeight);
    for (int y = 0; y < m_mapHeight; ++y)
        for (int x = 0; x < m_mapWidth; ++x) {
            const Vec3 land = m_grid.source((x + 0.5) / m_mapWidth, (y + 0.5) / m_mapHeight);
            const Rgb c = sampleMap(reduced, width, height, latitudeOf(land), longitudeOf(land));
            out[static_cast<std::size_t>(y) * m_mapWidth + x] = pack(c.r, c.g, c.b);
        }
    return out;
}

DayNightArtist::DayNightArtist(const Image& dayMap, const Image& nightMap, int pixelRatio)
    : m_width(kFrameWidth * checkedRatio(dayMap, nightMap, pixelRatio)),
      m_height(kFrameHeight * pixelRatio),
      m_view(fittedView()),
      m_samplesPerPixel(0),
      m_grid(fittedWarp(), kGridStepDegrees),
      m_mapWidth(std::min({kMapWidthPerRatio * pixelRatio, dayMap.width, nightMap.width})),
      m_mapHeight(m_mapWidth / 2) {
    m_view.centreX *= pixelRatio;
    m_view.centreY *= pixelRatio;
    m_view.radius *= pixelRatio;
    m_day = prepare(dayMap);
    m_night = prepare(nightMap);

    // About as many samples per frame pixel as the installed frames have per
    // their pixel at ratio 1, fewer at ratio 2 where the pixels are smaller.
    const int samplesPerSide = pixelRatio == 1 ? 3 : 2;
    m_samplesPerPixel = samplesPerSide * samplesPerSide;
    const double step = m_grid.stepDegrees();
    for (const GlobeSample& s : globeSamples(m_view, m_width, m_height, samplesPerSide)) {
        Tap tap{};
        tap.pixel = s.pixel;
        const double v = (90.0 - s.latitude) / 180.0 * m_mapHeight - 0.5;
        const double fv = std::floor(v);
        tap.row0 = std::clamp(static_cast<int>(fv), 0, m_mapHeight - 1) * m_mapWidth;
        tap.row1 = std::clamp(static_cast<int>(fv) + 1, 0, m_mapHeight - 1) * m_mapWidth;
        tap.tv = static_cast<float>(v - fv);
        tap.u = static_cast<float>((s.longitude + 180.0) / 360.0 * m_mapWidth - 0.5);
        const double gy = (90.0 - s.latitude) / step;
        tap.gridRow = std::min(static_cast<int>(gy), m_grid.rows() - 2);
        tap.gridTy = static_cast<float>(gy - tap.gridRow);
        tap.gridU = static_cast<float>((s.longitude + 180.0) / step);
        tap.shade = s.shade;
        tap.haze = s.haze;
        m_taps.push_back(tap);
    }
}

Image DayNightArtist::frame(int n, std::int64_t unixSecondsUtc) const {
    if (n < 1 || n > kFrameCount) throw std::out_of_range("frame " + std::to_string(n) + " is not in 1..44");

    // How much daylight each place of the warped map has: by the height of
    // the sun over the land shown there, on the grid of the inverse warp.
    const GeoPoint sunPoint = subsolarPoint(unixSecondsUtc);
    const Vec3 sun = fromLatLon(sunPoint.latitude, sunPoint.longitude);
    const double edge = std::sin(kTwilightHalfWidthDegrees * kDegree);
    const int columns = m_grid.columns();
    std::vector<float> daylight(static_cast<std::size_t>(columns) * m_grid.rows());
    for (int row = 0; row < m_grid.rows(); ++row)
        for (int col = 0; col < columns; ++col) {
            const double t = std::clamp((dot(m_grid.node(row, col), sun) + edge) / (2 * edge), 0.0, 1.0);
            daylight[static_cast<std::size_t>(row) * columns + col] = static_cast<float>(t * t * (3 - 2 * t));
        }

    // The frame turns the globe: the same shift of every sample's column.
    const double front = m_view.frontLongitudeOf(n);
    const float mapShift =
        static_cast<float>(wrap(std::fmod(front / 360.0, 1.0) * m_mapWidth, 1.0 * m_mapWidth));
    const float gridPeriod = static_cast<float>(columns - 1);
    const float gridShift =
        static_cast<float>(wrap(std::fmod(front / m_grid.stepDegrees(), 1.0 * gridPeriod), 1.0 * gridPeriod));

    Image out{m_width, m_height,
              std::vector<std::uint32_t>(static_cast<std::size_t>(m_width) * m_height, 0xFF000000u)};
    const float haze[3] = {static_cast<float>(kHazeColour[0] * 255), static_cast<float>(kHazeColour[1] * 255),
                           static_cast<float>(kHazeColour[2] * 255)};
    const float scale = 1.0f / static_cast<float>(m_samplesPerPixel);
    float sum[3] = {0, 0, 0};
    // The taps come pixel by pixel, so each pixel is finished when the next
    // one starts.
    for (std::size_t i = 0; i < m_taps.size(); ++i) {
        const Tap& t = m_taps[i];
        const float gx = wrap(t.gridU + gridShift, gridPeriod);
        const int c0 = std::min(static_cast<int>(gx), columns - 2);
        const float tx = gx - static_cast<float>(c0);
        const float* top = &daylight[static_cast<std::size_t>(t.gridRow) * columns + c0];
        const float* bottom = top + columns;
        const float light = (1 - t.gridTy) * ((1 - tx) * top[0] + tx * top[1]) +
                            t.gridTy * ((1 - tx) * bottom[0] + tx * bottom[1]);

        const float u = t.u + mapShift;  // in [-0.5, 2 * map width)
        const float fu = std::floor(u);
        const float tu = u - fu;
        const int x0 = wrap(static_cast<int>(fu), m_mapWidth);
        const int x1 = x0 + 1 == m_mapWidth ? 0 : x0 + 1;
        const std::size_t corners[4] = {
            static_cast<std::size_t>(t.row0 + x0), static_cast<std::size_t>(t.row0 + x1),
            static_cast<std::size_t>(t.row1 + x0), static_cast<std::size_t>(t.row1 + x1)};
        const float weights[4] = {(1 - tu) * (1 - t.tv), tu * (1 - t.tv), (1 - tu) * t.tv, tu * t.tv};
        Rgb ground;
        const auto add = [&](const std::vector<std::uint32_t>& map, float share) {
            for (int k = 0; k < 4; ++k) {
                const std::uint32_t c = map[corners[k]];
                const float w = share * weights[k];
                ground.r += w * static_cast<float>((c >> 16) & 0xFF);
                ground.g += w * static_cast<float>((c >> 8) & 0xFF);
                ground.b += w * static_cast<float>(c & 0xFF);
            }
        };
        if (light > 0.0f) add(m_day, light);
        if (light < 1.0f) add(m_night, 1.0f - light);
        const float gain = static_cast<float>(kGroundGain) * t.shade * (1.0f - t.haze);
        const float airy = t.haze * (kNightHaze + (1.0f - kNightHaze) * light);
        sum[0] += gain * ground.r + airy * haze[0];
        sum[1] += gain * ground.g + airy * haze[1];
        sum[2] += gain * ground.b + airy * haze[2];
        if (i + 1 == m_taps.size() || m_taps[i + 1].pixel != t.pixel) {
            out.argb[static_cast<std::size_t>(t.pixel)] =
                0xFF000000u | pack(scale * sum[0], scale * sum[1], scale * sum[2]);
            sum[0] = sum[1] = sum[2] = 0;
        }
    }
    return out;
}

}  // namespace skyroll::globe
