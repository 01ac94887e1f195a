#pragma once
// Twips and pixels. Windows sit at whole pixels: a position set in twips goes
// to the nearest pixel (halves away from zero) and reads back as pixels times
// twips per pixel. Every toolkit converts with these, so they agree.

#include <cmath>

namespace skyroll::platform {

inline long twipsToPixels(double twips, double twipsPerPixel) {
    return std::lround(twips / twipsPerPixel);
}

inline double snapTwips(double twips, double twipsPerPixel) {
    return static_cast<double>(twipsToPixels(twips, twipsPerPixel)) * twipsPerPixel;
}

// Twips per pixel of a screen with `dpi` logical dots per inch.
inline double twipsPerPixelForDpi(double dpi) { return 1440.0 / dpi; }

}  // namespace skyroll::platform
