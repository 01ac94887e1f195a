// The sun's place against published values, and frames drawn with day and
// night: lit under the sun, dark at its antipode, twilight between, and every
// tour city still on its weather picture whatever the moment.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "globe/CityErrors.h"
#include "globe/DayNightArtist.h"
#include "globe/FittedGlobe.h"

namespace skyroll::globe {
namespace {

struct PublishedSun {
    const char* moment;
    std::int64_t unixSeconds;
    double declination, longitude;
};

// The declinations: 0 at the equinoxes (the sun crossed the equator at 14:46
// UTC on 20 March and 00:05 UTC on 23 September 2026, a few hours from noon at
// about 0.4 degrees a day) and the obliquity 23.44 at the solstices (08:24 UTC
// on 21 June, 20:50 UTC on 21 December); the others from the almanac's daily
// table. The longitude where it is apparent noon is 180 - 15 * UTC hours -
// EoT / 4, with the equation of time EoT in minutes from the almanac: -7.5 on
// 20 March, -1.7 on 21 June, +7.6 on 23 September, +1.9 on 21 December,
// -14.1 on 11 February and +16.4 on 3 November.
constexpr PublishedSun kPublished[] = {
    {"2026-03-20 12:00 UTC", 1774008000, 0.0, 1.9},    {"2026-06-21 12:00 UTC", 1782043200, 23.44, 0.4},
    {"2026-09-23 12:00 UTC", 1790164800, -0.2, -1.9},  {"2026-12-21 12:00 UTC", 1797854400, -23.44, -0.5},
    {"2026-02-11 06:00 UTC", 1770789600, -14.2, 93.5}, {"2026-11-03 18:00 UTC", 1793728800, -15.1, -94.1},
};

TEST(SubsolarPointTest, WithinHalfADegreeOfPublishedValues) {
    for (const PublishedSun& p : kPublished) {
        SCOPED_TRACE(p.moment);
        const GeoPoint sun = subsolarPoint(p.unixSeconds);
        EXPECT_NEAR(sun.latitude, p.declination, 0.5);
        EXPECT_NEAR(sun.longitude, p.longitude, 0.5);
    }
}

constexpr std::uint32_t kDay = 0xFF4080C0u, kNight = 0xFF101010u, kMarker = 0xFFFF0000u;
constexpr double kMarkerRadiusDegrees = 1.2;

// Plain day and night maps with a red spot on every city of the table.
Image map(std::uint32_t ground) {
    constexpr int kWidth = 720, kHeight = 360;  // two texels a degree
    Image image{kWidth, kHeight, std::vector<std::uint32_t>(kWidth * kHeight, ground)};
    for (const weather::CityPlace& place : weather::kCityPlaces) {
        const Vec3 city = cityPoint(place);
        const int row = static_cast<int>((90.0 - latitudeOf(city)) * 2);
        const int column = static_cast<int>((longitudeOf(city) + 180.0) * 2);
        for (int y = std::max(0, row - 8); y <= std::min(kHeight - 1, row + 8); ++y)
            for (int dx = -12; dx <= 12; ++dx) {
                const int x = (column + dx + kWidth) % kWidth;
                const Vec3 p = fromLatLon(90.0 - (y + 0.5) / 2, (x + 0.5) / 2 - 180.0);
                if (angleBetween(p, city) < kMarkerRadiusDegrees)
                    image.argb[static_cast<std::size_t>(y) * kWidth + x] = kMarker;
            }
    }
    return image;
}

struct Pixel {
    int r, g, b;
    int brightness() const { return r + g + b; }
};

Pixel at(const Image& frame, double x, double y) {
    const std::uint32_t c = frame.argb[static_cast<std::size_t>(std::floor(y)) * frame.width +
                                       static_cast<std::size_t>(std::floor(x))];
    EXPECT_EQ(c >> 24, 0xFFu);
    return {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
            static_cast<int>(c & 0xFF)};
}

class DayNightArtistTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_day = new Image(map(kDay));
        s_night = new Image(map(kNight));
    }
    static void TearDownTestSuite() {
        delete s_day;
        delete s_night;
    }
    // Where the land at p is drawn on frame n at a pixel ratio.
    static ScreenPoint shown(const Vec3& p, int n, int ratio) {
        const ScreenPoint s = fittedView().project(fittedWarp().forward(p), n);
        return {s.x * ratio, s.y * ratio, s.depth};
    }
    static inline Image* s_day = nullptr;
    static inline Image* s_night = nullptr;
};

TEST_F(DayNightArtistTest, LitUnderTheSunDarkAtItsAntipodeTwilightBetween) {
    const DayNightArtist artist(*s_day, *s_night, 1);
    EXPECT_EQ(artist.width(), 180);
    EXPECT_EQ(artist.height(), 183);
    const std::int64_t moment = 1782043200;  // the June solstice, sun over (23.4 N, 0.4 E)
    const GeoPoint sun = subsolarPoint(moment);
    const Vec3 under = fromLatLon(sun.latitude, sun.longitude);
    const Vec3 antipode = -1.0 * under;
    const Vec3 dusk = fromLatLon(0.0, sun.longitude - 90.0);
    // Frames 1, 23 and 12 face the three places.
    const int frames[] = {1, 23, 12};
    Pixel seen[3];
    for (int i = 0; const Vec3& p : {under, antipode, dusk}) {
        const ScreenPoint s = shown(p, frames[i], 1);
        ASSERT_GT(s.depth, 0.5) << frames[i];
        seen[i] = at(artist.frame(frames[i], moment), s.x, s.y);
        ++i;
    }
    EXPECT_GT(seen[0].b, 150);
    EXPECT_GT(seen[0].b, seen[0].r + 60) << "the day map's blue";
    EXPECT_LT(seen[1].brightness(), 3 * 30) << "the night map's dark";
    EXPECT_GT(seen[2].brightness(), seen[1].brightness() + 60) << "half lit at the terminator";
    EXPECT_LT(seen[2].brightness(), seen[0].brightness() - 60);
    // Twelve hours on, the sun stands over the other side.
    const Pixel later = at(artist.frame(1, moment + 12 * 3600), shown(under, 1, 1).x, shown(under, 1, 1).y);
    EXPECT_LT(later.brightness(), 3 * 30);
}

TEST_F(DayNightArtistTest, EachCityStaysOnItsWeatherPictureAtAnyMomentAndRatio) {
    for (const int ratio : {1, 2}) {
        const DayNightArtist artist(*s_day, *s_night, ratio);
        EXPECT_EQ(artist.width(), 180 * ratio);
        for (const std::int64_t moment : {std::int64_t{1774008000}, std::int64_t{1793728800}}) {
            for (const CityError& e : cityErrors(fittedView(), fittedWarp())) {
                SCOPED_TRACE(std::string(e.name) + " at ratio " + std::to_string(ratio) + ", moment " +
                             std::to_string(moment));
                // The fit's own table says where the city is drawn; the frame
                // shows its red spot there.
                const Pixel p = at(artist.frame(e.frame, moment), e.x * ratio, e.y * ratio);
                EXPECT_GT(p.r, 90);
                EXPECT_GT(p.r, 2 * p.g);
                EXPECT_GT(p.r, p.b);
            }
        }
    }
}

TEST_F(DayNightArtistTest, RefusesUnusableMapsAndRatios) {
    const Image square{100, 100, std::vector<std::uint32_t>(100 * 100)};
    const Image short_{720, 360, std::vector<std::uint32_t>(720)};
    EXPECT_THROW(DayNightArtist(Image{}, *s_night, 1), std::invalid_argument);
    EXPECT_THROW(DayNightArtist(*s_day, square, 1), std::invalid_argument);
    EXPECT_THROW(DayNightArtist(short_, *s_night, 1), std::invalid_argument);
    EXPECT_THROW(DayNightArtist(*s_day, *s_night, 3), std::invalid_argument);
    EXPECT_THROW(DayNightArtist(*s_day, *s_night, 1).frame(45, 0), std::out_of_range);
}

}  // namespace
}  // namespace skyroll::globe
