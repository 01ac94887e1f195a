#pragma once
// The generator draws with the globe library's geometry (view, warp, the
// fitted numbers, the city errors) as if it were its own.

#include "globe/CityErrors.h"
#include "globe/FittedGlobe.h"
#include "globe/GlobeSamples.h"
#include "globe/GlobeView.h"
#include "globe/GlobeWarp.h"
#include "globe/Vec3.h"

namespace skyroll::artwork {
using namespace skyroll::globe;
}  // namespace skyroll::artwork
