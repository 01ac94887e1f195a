#include "tools/artwork/DayMap.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <csetjmp>

namespace skyroll::artwork {

namespace {

constexpr std::uintmax_t kMaxMapBytes = 64u << 20;
constexpr int kMaxMapSide = 16384;

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void onJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
}

}  // namespace

DayMap DayMap::load(const std::filesystem::path& file, const std::string& what) {
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(file, ec);
    if (ec)
        throw std::runtime_error(what + " " + file.string() +
                                 " not found (install the package xplanet-images)");
    if (bytes > kMaxMapBytes) throw std::runtime_error(what + " " + file.string() + " is too large");
    std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(file.c_str(), "rb"), &std::fclose);
    if (!in) throw std::runtime_error("cannot open " + what + " " + file.string());

    jpeg_decompress_struct info{};
    JpegFailure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = onJpegError;
    // The decoder reports a broken file by jumping back here; nothing with a
    // destructor is created between this point and the jumps.
    std::vector<unsigned char> pixels;
    int width = 0, height = 0;
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&info);
        throw std::runtime_error(what + " " + file.string() + " is not a readable JPEG");
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in.get());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    if (width < 16 || height < 8 || width > kMaxMapSide || height > kMaxMapSide ||
        info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        throw std::runtime_error(what + " " + file.string() + " has an unusable size");
    }
    pixels.resize(std::size_t(width) * height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + std::size_t(info.output_scanline) * width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);

    DayMap map(width, height);
    for (std::size_t i = 0; i < map.m_texels.size(); ++i)
        map.m_texels[i] = {pixels[3 * i] / 255.0, pixels[3 * i + 1] / 255.0, pixels[3 * i + 2] / 255.0};
    return map;
}

Colour DayMap::sample(double latitude, double longitude) const {
    const double u = (longitude + 180.0) / 360.0 * m_width - 0.5;
    const double v = (90.0 - latitude) / 180.0 * m_height - 0.5;
    const double fu = std::floor(u), fv = std::floor(v);
    const double tu = u - fu, tv = v - fv;
    const auto texel = [this](int x, int y) {
        x = ((x % m_width) + m_width) % m_width;
        y = std::clamp(y, 0, m_height - 1);
        return m_texels[std::size_t(y) * m_width + x];
    };
    const int x0 = static_cast<int>(fu), y0 = static_cast<int>(fv);
    return mix(mix(texel(x0, y0), texel(x0 + 1, y0), tu), mix(texel(x0, y0 + 1), texel(x0 + 1, y0 + 1), tu),
               tv);
}

DayMap DayMap::warped(const GlobeWarp& warp) const {
    const InverseWarpGrid grid(warp);
    DayMap out(m_width, m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            out.m_texels[std::size_t(y) * m_width + x] =
                sample(grid.source((x + 0.5) / m_width, (y + 0.5) / m_height));
    return out;
}

DayMap DayMap::halved() const {
    DayMap out(m_width / 2, m_height / 2);
    for (int y = 0; y < out.m_height; ++y)
        for (int x = 0; x < out.m_width; ++x) {
            const auto at = [this](int u, int v) { return m_texels[std::size_t(v) * m_width + u]; };
            out.m_texels[std::size_t(y) * out.m_width + x] =
                0.25 *
                (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1));
        }
    return out;
}

Raster DayMap::toRaster() const {
    Raster raster(m_width, m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) raster.at(x, y) = toRgba(m_texels[std::size_t(y) * m_width + x]);
    return raster;
}

}  // namespace skyroll::artwork
