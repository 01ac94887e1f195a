// The headless platform's picture loader over arbitrary file bytes: a loaded
// picture has a size within the limits and, for a BMP, one pixel per point.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/common/PictureFile.h"
#include "tests/fuzz/FuzzFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyroll::platform;
    static const skyroll::fuzz::FuzzFolder folder;
    const auto file = folder.write("frame.bmp", data, size);
    std::string error;
    const auto picture = readPictureFile(file, &error);
    if (!picture) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (picture->width <= 0 || picture->height <= 0 || picture->width > kMaxPictureSide ||
        picture->height > kMaxPictureSide)
        std::abort();
    if (picture->format == PictureFormat::Bmp &&
        picture->pixels.size() != static_cast<std::size_t>(picture->width) * picture->height)
        std::abort();
    return 0;
}
