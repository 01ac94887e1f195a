#pragma once
// The frame artist of the Linux desktop build: the maps decoded once by
// QImage, the frames drawn on a worker thread and kept as screen-ready
// QImages in the toolkit's picture caches (nothing is written to disk). On a
// dense screen they are drawn at twice the size, published as
// EarthMap_N@2x.bmp beside an EarthMap_N.bmp halved from it, as the pictures
// the program loads from files are.

#include <QtGlobal>
#include <functional>
#include <memory>

#include "platform/FrameArtist.h"

namespace skyroll::qt {

class QtToolkit;

// `screenRatio`: the device pixels to the pixel of the densest screen, asked
// at each draw; null: the application's.
std::unique_ptr<platform::FrameArtist> makeFrameArtist(QtToolkit& toolkit,
                                                       std::function<qreal()> screenRatio = {});

}  // namespace skyroll::qt
