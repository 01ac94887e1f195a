#pragma once
// How far each city of the weather tour stands from the centre of its weather
// picture on its own frame, for a given view and warp.

#include <iosfwd>
#include <string_view>
#include <vector>

#include "globe/GlobeView.h"
#include "globe/GlobeWarp.h"

namespace skyroll::globe {

struct CityError {
    std::string_view key;   // weather key of the tour entry
    std::string_view name;  // English name
    int frame = 0;
    double targetX = 0, targetY = 0;  // centre of the weather picture, pixels
    double x = 0, y = 0, depth = 0;   // where the city is drawn on the frame
    double distance() const;
    bool visible() const { return depth > 0.0; }
};

// One row per tour entry, in tour order.
std::vector<CityError> cityErrors(const GlobeView& view, const GlobeWarp& warp);

double medianDistance(const std::vector<CityError>& errors);

void printErrorTable(std::ostream& out, const std::vector<CityError>& errors);

}  // namespace skyroll::globe
