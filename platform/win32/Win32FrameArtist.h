#pragma once
// The frame artist of the Windows build: the maps decoded once by GDI+, the
// frames drawn on a worker thread and kept as bitmaps in the toolkit's
// picture cache (nothing is written to disk).

#include <memory>

#include "platform/FrameArtist.h"

namespace skyroll::win32 {

class Win32Toolkit;

std::unique_ptr<platform::FrameArtist> makeFrameArtist(Win32Toolkit& toolkit);

}  // namespace skyroll::win32
