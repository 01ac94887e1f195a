#include "tools/artwork/MoonArt.h"

#include <cmath>

#include "tools/artwork/GlobeLibrary.h"
#include "tools/artwork/Noise.h"

namespace skyroll::artwork {

namespace {

constexpr double kCentreX = kMoonWidth / 2.0, kCentreY = kMoonHeight / 2.0, kRadius = 52.0;
constexpr int kSamplesPerSide = 3;
constexpr std::uint64_t kCraterSeed = 0x4D6F6F6E;  // "Moon"
constexpr std::uint32_t kMariaSeed = 1969;

struct Crater {
    Vec3 centre;
    double radius;  // chord length on the unit sphere
    double depth;
};

// The lit surface seen from Earth: brightness (albedo) and the surface normal
// of every sample, worked out once and lit for each phase.
struct SurfaceSample {
    int pixel;
    Vec3 position;  // on the smooth sphere; sets the terminator
    Vec3 normal;    // tilted by the craters' slopes; gives the relief
    double albedo;
};

std::vector<Crater> makeCraters() {
    SeededRandom random(kCraterSeed);
    std::vector<Crater> craters;
    for (int i = 0; i < 170; ++i) {
        // Small craters are many, large ones few.
        const double size = 0.010 + 0.10 * std::pow(random.uniform(), 4.0);
        const double z = random.range(-0.2, 1.0), angle = random.range(0.0, 2.0 * kPi);
        const double r = std::sqrt(1.0 - z * z);
        craters.push_back({Vec3{r * std::cos(angle), r * std::sin(angle), z}, size, random.range(0.5, 1.0)});
    }
    return craters;
}

// Height of the surface: bowls with raised rims.
double height(const Vec3& p, const std::vector<Crater>& craters) {
    double h = 0;
    for (const Crater& c : craters) {
        const double d = (p - c.centre).length() / c.radius;
        if (d >= 1.6) continue;
        h += c.radius * c.depth * (d < 1.0 ? (d * d - 0.75) : 0.25 * std::pow(1.0 - (d - 1.0) / 0.6, 2.0));
    }
    return h;
}

double albedo(const Vec3& p, const std::vector<Crater>& craters) {
    // Maria: dark smooth plains, mostly in the northern half and the west,
    // shaped by low-frequency noise; highlands bright and mottled.
    const double plains = fractalNoise(p.x * 1.6 + 3.1, p.y * 1.6 + 7.3, p.z * 1.6, 4, kMariaSeed);
    const double bias = 0.10 * p.y - 0.06 * p.x;
    const double maria = smoothstep(0.48, 0.62, plains + bias);
    const double mottle = fractalNoise(p.x * 9.0, p.y * 9.0, p.z * 9.0, 3, kMariaSeed + 17);
    double a = (0.70 + 0.14 * mottle) * (1.0 - maria) + (0.42 + 0.08 * mottle) * maria;
    // Young craters keep bright floors and rims.
    for (const Crater& c : craters) {
        const double d = (p - c.centre).length() / c.radius;
        if (d < 1.3 && c.depth > 0.9) a += 0.12 * (1.0 - smoothstep(0.9, 1.3, d));
    }
    return a;
}

// Larger pictures take fewer samples per pixel.
int samplesPerSide(int scale) { return scale == 1 ? kSamplesPerSide : 2; }

std::vector<SurfaceSample> surface(int scale) {
    const int perSide = samplesPerSide(scale);
    const int columns = kMoonWidth * scale, rows = kMoonHeight * scale;
    const std::vector<Crater> craters = makeCraters();
    std::vector<SurfaceSample> samples;
    const double e = 0.004;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            for (int sy = 0; sy < perSide; ++sy)
                for (int sx = 0; sx < perSide; ++sx) {
                    const double u = (x + (sx + 0.5) / perSide - kCentreX * scale) / (kRadius * scale);
                    const double v = (kCentreY * scale - y - (sy + 0.5) / perSide) / (kRadius * scale);
                    if (u * u + v * v >= 1.0) continue;
                    const Vec3 p{u, v, std::sqrt(1.0 - u * u - v * v)};
                    // Tilt the normal by the height's slope along two tangents.
                    const Vec3 t1 = cross(Vec3{0, 1, 0}, p).normalised();
                    const Vec3 t2 = cross(p, t1);
                    const double h0 = height(p, craters);
                    const double du = (height((p + e * t1).normalised(), craters) - h0) / e;
                    const double dv = (height((p + e * t2).normalised(), craters) - h0) / e;
                    const Vec3 normal = (p - 0.45 * du * t1 - 0.45 * dv * t2).normalised();
                    samples.push_back({y * columns + x, p, normal, albedo(p, craters)});
                }
    return samples;
}

// Lights the surface with the sun at a phase angle (0 new, pi full; the lit
// side on the right while waxing).
Raster light(const std::vector<SurfaceSample>& samples, double phase, int scale) {
    const int width = kMoonWidth * scale, height = kMoonHeight * scale;
    const int perSide = samplesPerSide(scale);
    const Vec3 sun{std::sin(phase), 0.0, -std::cos(phase)};
    std::vector<Colour> sum(static_cast<std::size_t>(width) * height);
    for (const SurfaceSample& s : samples) {
        const double incidence = dot(s.normal, sun);
        const double view = std::fmax(s.position.z, 0.05);
        // Lommel-Seeliger keeps the full moon evenly bright to its limb; the
        // Lambert share gives the craters relief near the terminator.
        const double lit = std::fmax(incidence, 0.0);
        const double brightness = 0.75 * (2.0 * lit / (lit + view)) * 0.55 + 0.25 * lit * 1.1;
        const double soft = smoothstep(-0.04, 0.06, dot(s.position, sun));
        const double earthshine = 0.03;
        const double level = s.albedo * (soft * brightness + (1.0 - soft) * earthshine) * 1.35;
        sum[static_cast<std::size_t>(s.pixel)] =
            sum[static_cast<std::size_t>(s.pixel)] + Colour{level, 0.98 * level, 0.93 * level};
    }
    Raster out(width, height);
    const double share = 1.0 / (perSide * perSide);
    for (int i = 0; i < width * height; ++i)
        out.at(i % width, i / width) = toRgba(share * sum[static_cast<std::size_t>(i)]);
    return out;
}

}  // namespace

std::vector<Raster> renderMoonFrames(int scale) {
    const std::vector<SurfaceSample> samples = surface(scale);
    std::vector<Raster> frames;
    for (int k = 1; k <= kMoonFrameCount; ++k)
        frames.push_back(light(samples, 2.0 * kPi * k / kMoonFrameCount, scale));
    return frames;
}

Raster renderFullMoon(int scale) { return light(surface(scale), kPi, scale); }

}  // namespace skyroll::artwork
