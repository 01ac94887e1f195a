#include "platform/win32/Win32Picture.h"

#include <objidl.h>
#include <shlwapi.h>
// GDI+ through its flat API only.
#include <gdiplus.h>

#include <cstring>
#include <span>

#include "platform/NativeFiles.h"
#include "platform/common/PictureFile.h"

namespace skyroll::win32 {

namespace {

// A 32-bit bitmap of the screen's kind, top row first, and its pixels.
HBITMAP topDownBitmap(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = LONG(width);
    info.bmiHeader.biHeight = -LONG(height);  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

namespace gp = Gdiplus::DllExports;

namespace {

std::shared_ptr<const void> fail(std::string* error, const char* why) {
    if (error) *error = why;
    return nullptr;
}

struct GdipBitmap {
    Gdiplus::GpBitmap* bitmap = nullptr;
    ~GdipBitmap() {
        if (bitmap) gp::GdipDisposeImage(bitmap);
    }
};

struct Stream {
    IStream* stream = nullptr;
    ~Stream() {
        if (stream) stream->Release();
    }
};

}  // namespace

Bitmap::~Bitmap() {
    if (m_handle) DeleteObject(m_handle);
}

void Bitmap::draw(HDC dc, int x, int y, const RECT& clip) const {
    RECT target{x, y, x + m_width, y + m_height}, visible;
    if (!IntersectRect(&visible, &target, &clip)) return;
    HDC source = CreateCompatibleDC(dc);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, m_handle);
    const int w = int(visible.right - visible.left), h = int(visible.bottom - visible.top);
    const int sx = int(visible.left) - x, sy = int(visible.top) - y;
    if (m_alpha) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, int(visible.left), int(visible.top), w, h, source, sx, sy, w, h, blend);
    } else {
        BitBlt(dc, int(visible.left), int(visible.top), w, h, source, sx, sy, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

GdiPlus::GdiPlus() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

GdiPlus::~GdiPlus() {
    if (m_token) Gdiplus::GdiplusShutdown(m_token);
}

std::shared_ptr<const void> readBitmapFile(const std::filesystem::path& file, std::string* error) {
    // Read once, bounded and from a regular file only; the bytes checked are
    // the bytes decoded.
    std::string bytes;
    switch (platform::native::readFileBounded(file, platform::kMaxPictureFileBytes, bytes)) {
        case platform::native::ReadStatus::missing:
            return fail(error, "no such file");
        case platform::native::ReadStatus::unreadable:
            return fail(error, "file too large or unreadable");
        case platform::native::ReadStatus::ok:
            break;
    }
    return decodeBitmap(bytes, error);
}

std::shared_ptr<const void> decodeBitmap(std::string_view bytes, std::string* error) {
    const auto header = platform::checkPicture(
        std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()), error);
    if (!header) return nullptr;

    Stream stream{SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), UINT(bytes.size()))};
    if (!stream.stream) return fail(error, "out of memory");
    GdipBitmap decoded;
    if (gp::GdipCreateBitmapFromStream(stream.stream, &decoded.bitmap) != Gdiplus::Ok || !decoded.bitmap)
        return fail(error, "not a readable picture");
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(decoded.bitmap, &width);
    gp::GdipGetImageHeight(decoded.bitmap, &height);
    if (int(width) != header->width || int(height) != header->height)
        return fail(error, "picture size not acceptable");

    Gdiplus::GpRect rect(0, 0, INT(width), INT(height));
    Gdiplus::BitmapData data{};
    if (gp::GdipBitmapLockBits(decoded.bitmap, &rect, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB,
                               &data) != Gdiplus::Ok)
        return fail(error, "picture could not be decoded");

    void* bits = nullptr;
    HBITMAP handle = topDownBitmap(int(width), int(height), &bits);
    bool alpha = false;
    if (handle) {
        for (UINT row = 0; row < height; ++row) {
            auto* to = static_cast<std::uint32_t*>(bits) + std::size_t(row) * width;
            const auto* from =
                static_cast<const unsigned char*>(data.Scan0) + std::ptrdiff_t(row) * data.Stride;
            std::memcpy(to, from, std::size_t(width) * 4);
            for (UINT x = 0; x < width && !alpha; ++x) alpha = (to[x] >> 24) != 0xFF;
        }
    }
    gp::GdipBitmapUnlockBits(decoded.bitmap, &data);
    if (!handle) return fail(error, "out of memory");
    return std::make_shared<const Bitmap>(handle, int(width), int(height), alpha);
}

}  // namespace skyroll::win32

namespace skyroll::win32 {

std::optional<Pixels> readPixelsFile(const std::filesystem::path& file, std::string* error) {
    const auto failed = [error](const char* why) {
        if (error) *error = why;
        return std::nullopt;
    };
    std::string bytes;
    switch (platform::native::readFileBounded(file, platform::kMaxPictureFileBytes, bytes)) {
        case platform::native::ReadStatus::missing:
            return failed("no such file");
        case platform::native::ReadStatus::unreadable:
            return failed("file too large or unreadable");
        case platform::native::ReadStatus::ok:
            break;
    }
    const auto header = platform::checkPicture(
        std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()), error);
    if (!header) return std::nullopt;
    Stream stream{SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), UINT(bytes.size()))};
    if (!stream.stream) return failed("out of memory");
    GdipBitmap decoded;
    if (gp::GdipCreateBitmapFromStream(stream.stream, &decoded.bitmap) != Gdiplus::Ok || !decoded.bitmap)
        return failed("not a readable picture");
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(decoded.bitmap, &width);
    gp::GdipGetImageHeight(decoded.bitmap, &height);
    if (int(width) != header->width || int(height) != header->height)
        return failed("picture size not acceptable");
    Gdiplus::GpRect rect(0, 0, INT(width), INT(height));
    Gdiplus::BitmapData data{};
    if (gp::GdipBitmapLockBits(decoded.bitmap, &rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                               &data) != Gdiplus::Ok)
        return failed("picture could not be decoded");
    Pixels pixels;
    pixels.width = int(width);
    pixels.height = int(height);
    pixels.argb.resize(std::size_t(width) * height);
    for (UINT row = 0; row < height; ++row)
        std::memcpy(pixels.argb.data() + std::size_t(row) * width,
                    static_cast<const unsigned char*>(data.Scan0) + std::ptrdiff_t(row) * data.Stride,
                    std::size_t(width) * 4);
    gp::GdipBitmapUnlockBits(decoded.bitmap, &data);
    return pixels;
}

std::shared_ptr<const void> bitmapFromPixels(int width, int height, const std::uint32_t* argb) {
    void* bits = nullptr;
    HBITMAP handle = topDownBitmap(int(width), int(height), &bits);
    if (!handle) return nullptr;
    auto* to = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0, n = std::size_t(width) * std::size_t(height); i < n; ++i)
        to[i] = argb[i] | 0xFF000000u;
    return std::make_shared<const Bitmap>(handle, width, height, false);
}

}  // namespace skyroll::win32
