#pragma once
// The view and warp found by the fit (tools/artwork/GlobeFit.h), kept as
// numbers so every build draws the same globe quickly.

#include "tools/artwork/GlobeView.h"
#include "tools/artwork/GlobeWarp.h"

namespace skyroll::artwork {

GlobeView fittedView();
GlobeWarp fittedWarp();

}  // namespace skyroll::artwork
