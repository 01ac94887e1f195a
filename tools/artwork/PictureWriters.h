#pragma once
// Writers of the picture formats the program reads. Every writer produces the
// same bytes for the same picture: no time stamps, no uninitialised padding.
// Each throws std::runtime_error when the file cannot be written.

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "tools/artwork/Raster.h"

namespace skyroll::artwork {

using Palette = std::vector<Rgba>;

// 24-bit BMP, bottom-up, rows padded to four bytes; alpha is ignored.
void writeBmp24(const std::filesystem::path& file, const Raster& picture);
// 8-bit BMP with a 256-entry palette; `indices` holds one entry per pixel, top row first.
void writeBmp8(const std::filesystem::path& file, int width, int height,
               const std::vector<std::uint8_t>& indices, const Palette& palette);
// Baseline JPEG at the given quality (1..100).
void writeJpeg(const std::filesystem::path& file, const Raster& picture, int quality);
// GIF89a with one transparent palette entry; the palette has 2..256 entries.
void writeGif(const std::filesystem::path& file, int width, int height,
              const std::vector<std::uint8_t>& indices, const Palette& palette, int transparentIndex);
// Windows icon with one 32-bit image (alpha) and its AND mask (alpha < 128 is see-through).
void writeIco(const std::filesystem::path& file, const Raster& picture);
// PNG, 8-bit RGB, or RGBA with `alpha`: pictures meant for people (contact
// sheet, evidence) and the desktop's icons.
void writePng(const std::filesystem::path& file, const Raster& picture, bool alpha = false);

// Bytes of a 24-bit BMP, for writers and tests alike.
std::vector<std::uint8_t> encodeBmp24(const Raster& picture);

}  // namespace skyroll::artwork
