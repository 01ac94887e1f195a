#pragma once
// Reading back the generated pictures in the tests: the folders the build
// wrote, and a BMP header parser of the tests' own.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace skyroll::artwork::test {

inline std::filesystem::path dataDir() { return std::filesystem::path(SKYROLL_TEST_DATA_ROOT) / "SKR20"; }
inline std::filesystem::path assetsDir() { return SKYROLL_TEST_ASSETS_DIR; }

inline std::vector<std::uint8_t> readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct Bmp {
    std::int32_t width = 0, height = 0;  // height > 0: bottom-up
    int bits = 0;
    std::uint32_t compression = 0, paletteSize = 0, pixelOffset = 0, declaredSize = 0, stride = 0;
    std::vector<std::uint8_t> bytes;
    // Red, green, blue of a 24-bit pixel, (0, 0) at the top left.
    std::uint32_t rgb(int x, int y) const {
        const std::size_t at = pixelOffset + std::size_t(stride) * (height - 1 - y) + 3u * x;
        return std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 1]) << 8 | bytes[at];
    }
};

inline std::optional<Bmp> readBmp(const std::filesystem::path& file) {
    Bmp bmp;
    bmp.bytes = readAll(file);
    const auto& b = bmp.bytes;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
    const auto u32 = [&b](std::size_t at) {
        return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
    };
    bmp.declaredSize = u32(2);
    bmp.pixelOffset = u32(10);
    bmp.width = static_cast<std::int32_t>(u32(18));
    bmp.height = static_cast<std::int32_t>(u32(22));
    bmp.bits = b[28] | b[29] << 8;
    bmp.compression = u32(30);
    bmp.paletteSize = u32(46);
    bmp.stride = ((std::uint32_t(bmp.width) * bmp.bits + 31) / 32) * 4;
    return bmp;
}

}  // namespace skyroll::artwork::test
