#include "globe/CityErrors.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "weather/WeatherTables.h"

namespace skyroll::globe {

namespace {
constexpr double kTwipsPerPixel = 15.0;
constexpr double kHalfPicture = 15.0;  // the weather picture is 30 x 30 pixels
}  // namespace

double CityError::distance() const { return std::hypot(x - targetX, y - targetY); }

std::vector<CityError> cityErrors(const GlobeView& view, const GlobeWarp& warp) {
    std::vector<CityError> rows;
    for (const weather::TourEntry& entry : weather::WeatherTour) {
        const weather::CityPlace& place = cityPlace(entry.key);
        CityError row;
        row.key = entry.key;
        row.name = place.english;
        row.frame = entry.frame;
        row.targetX = entry.pictureLeft / kTwipsPerPixel + kHalfPicture;
        row.targetY = entry.pictureTop / kTwipsPerPixel + kHalfPicture;
        const ScreenPoint shown = view.project(warp.forward(cityPoint(place)), entry.frame);
        row.x = shown.x;
        row.y = shown.y;
        row.depth = shown.depth;
        rows.push_back(row);
    }
    return rows;
}

double medianDistance(const std::vector<CityError>& errors) {
    std::vector<double> d;
    for (const CityError& e : errors) d.push_back(e.distance());
    std::sort(d.begin(), d.end());
    if (d.empty()) return 0.0;
    const std::size_t n = d.size();
    return n % 2 ? d[n / 2] : 0.5 * (d[n / 2 - 1] + d[n / 2]);
}

void printErrorTable(std::ostream& out, const std::vector<CityError>& errors) {
    char line[160];
    out << "frame  city            picture centre   drawn at          error px\n";
    int within8 = 0;
    double worst = 0.0;
    for (const CityError& e : errors) {
        std::snprintf(line, sizeof line, "%5d  %-14.14s  (%6.1f,%6.1f)  (%6.1f,%6.1f)%s  %6.1f\n", e.frame,
                      std::string(e.name).c_str(), e.targetX, e.targetY, e.x, e.y, e.visible() ? " " : "*",
                      e.distance());
        out << line;
        within8 += e.distance() <= 8.0 ? 1 : 0;
        if (e.name != "New York" && e.name != "Vancouver") worst = std::max(worst, e.distance());
    }
    std::snprintf(line, sizeof line,
                  "median %.1f px, %d of %zu within 8 px, worst apart from New York and Vancouver %.1f px"
                  " (* = behind the globe)\n",
                  medianDistance(errors), within8, errors.size(), worst);
    out << line;
}

}  // namespace skyroll::globe
