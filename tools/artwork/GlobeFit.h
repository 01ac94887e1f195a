#pragma once
// The fit behind the fitted globe: chooses the view (front longitude, tilt,
// roll; the globe fills the frame and turns a fixed step) and the warp of the
// day map so the tour's cities come as close to their weather pictures as a
// steadily turning globe allows, with no land moved more than a bound.
// Run once with --fit; its result is written into globe/FittedGlobe.cpp by hand.

#include <iosfwd>

#include "tools/artwork/GlobeLibrary.h"

namespace skyroll::artwork {

struct FitSettings {
    double robustScalePx = 30.0;  // errors beyond this count less and less (soft L1)
    double outlierScalePx = 3.0;  // the same for New York and Vancouver
    double capPx = 19.0;          // errors beyond this cost much more
    double capPenalty = 5.0;
    double narrowRidge = 0.35;        // pixels of error worth one degree of narrow push
    double wideRidge = 0.25;          // same for the wide pushes
    double displacementLimit = 11.5;  // degrees; the penalty starts here
    double displacementPenalty = 30.0;
    double minAreaRatio = 0.8;  // warped land keeps between 4/5 and 5/4 of its area
    double maxAreaRatio = 1.25;
    double areaPenalty = 100.0;
    int iterations = 60;  // about a minute
};

struct FitResult {
    GlobeView view;
    GlobeWarp warp;
};

FitResult fitGlobe(const FitSettings& settings, std::ostream& log);

// Writes the result as C++ for globe/FittedGlobe.cpp.
void printFittedSource(std::ostream& out, const FitResult& result);

}  // namespace skyroll::artwork
