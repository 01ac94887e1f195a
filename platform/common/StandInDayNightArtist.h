#pragma once
// STAND-IN for the globe drawing library (skyroll_globe, "globe/DayNightArtist.h"),
// with the same names and calls, until that library is in the tree: a plain
// orthographic globe, lit from the sun's place for the moment. Only the
// platform adapters (platform/qt/QtFrameArtist.cpp,
// platform/win32/Win32FrameArtist.cpp) include it; with the library in place
// they include its header instead and this file goes.

#include <cstdint>
#include <vector>

namespace skyroll::globe {

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;  // 0xAARRGGBB, top row first
};

class DayNightArtist {
public:
    // Throws std::invalid_argument unless both maps are whole 2:1 pictures
    // and the ratio is 1 to 4.
    DayNightArtist(const Image& dayMap, const Image& nightMap, int pixelRatio);
    // Frame n (1..44) of a turn at the moment, 180 x 183 pixels times the ratio.
    Image frame(int n, std::int64_t unixSecondsUtc) const;

private:
    Image m_day, m_night;
    int m_ratio;
};

}  // namespace skyroll::globe
