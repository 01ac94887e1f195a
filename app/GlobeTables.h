#pragma once
// The speeds of turning and the places on the screen, each keyed by the
// one-digit code that EARTH.INI and the settings dialog use.

#include <array>
#include <cstdint>
#include <string_view>

namespace skyroll::app {

struct Speed {
    std::string_view code;
    std::string_view menuItem;
    std::int16_t interval;  // frame interval in milliseconds
};

inline constexpr std::array<Speed, 5> kSpeeds{{
    {"0", "mMAX", 1},
    {"1", "mHI", 30},
    {"2", "mNOR", 100},
    {"3", "mLOW", 200},
    {"4", "mMIN", 1000},
}};

// A place computes Top and Left in twips, in single precision, from the
// screen's and the window's width and height.
struct Place {
    std::string_view code;
    float (*top)(float screenW, float screenH, float w, float h);
    float (*left)(float screenW, float screenH, float w, float h);
};

// Margins: 300 twips from the top, left and right edges, 500 from the bottom.
inline constexpr std::array<Place, 5> kPlaces{{
    {"0", [](float, float, float, float) { return 300.0f; },
     [](float sw, float, float w, float) { return sw - w - 300.0f; }},
    {"1", [](float, float sh, float, float h) { return sh - (h + 500.0f); },
     [](float sw, float, float w, float) { return sw - w - 300.0f; }},
    {"2", [](float, float sh, float, float h) { return (sh - h) / 2.0f; },
     [](float sw, float, float w, float) { return (sw - w) / 2.0f; }},
    {"3", [](float, float, float, float) { return 300.0f; }, [](float, float, float, float) { return 300.0f; }},
    {"4", [](float, float sh, float, float h) { return sh - (h + 500.0f); },
     [](float, float, float, float) { return 300.0f; }},
}};

}  // namespace skyroll::app
