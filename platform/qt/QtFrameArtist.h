#pragma once
// The frame artist of the Linux desktop build: the maps decoded once by
// QImage, the frames drawn on a worker thread and kept as screen-ready
// QImages in the toolkit's picture cache (nothing is written to disk).

#include <memory>

#include "platform/FrameArtist.h"

namespace skyroll::qt {

class QtToolkit;

std::unique_ptr<platform::FrameArtist> makeFrameArtist(QtToolkit& toolkit);

}  // namespace skyroll::qt
