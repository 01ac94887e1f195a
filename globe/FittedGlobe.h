#pragma once
// The view and warp found by the artwork generator's fit
// (tools/artwork/GlobeFit.h, about a minute), kept as numbers so the
// generator and the program draw the same globe without fitting again.

#include "globe/GlobeView.h"
#include "globe/GlobeWarp.h"

namespace skyroll::globe {

GlobeView fittedView();
GlobeWarp fittedWarp();

}  // namespace skyroll::globe
