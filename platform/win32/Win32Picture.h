#pragma once
// Pictures for the Win32 toolkit: BMP, GIF and JPEG files checked with
// checkPicture, decoded by GDI+ into 32-bit device-independent bitmaps
// (premultiplied alpha) and drawn unscaled.

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyroll::win32 {

class Bitmap {
public:
    Bitmap(HBITMAP handle, int width, int height, bool alpha)
        : m_handle(handle), m_width(width), m_height(height), m_alpha(alpha) {}
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Draws the picture with its top-left corner at (x, y), clipped to `clip`.
    void draw(HDC dc, int x, int y, const RECT& clip) const;

private:
    HBITMAP m_handle;
    int m_width, m_height;
    bool m_alpha;  // has transparent pixels: blended, not copied
};

// Starts GDI+ for the lifetime of the object.
class GdiPlus {
public:
    GdiPlus();
    ~GdiPlus();
    GdiPlus(const GdiPlus&) = delete;
    GdiPlus& operator=(const GdiPlus&) = delete;
    bool started() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

// Reads, checks and decodes a picture file; null, with the reason in `error`,
// on failure. The reader of the toolkit's picture cache (shared Bitmap).
std::shared_ptr<const void> readBitmapFile(const std::filesystem::path& file, std::string* error);
// Checks and decodes a picture held in memory (an embedded one).
std::shared_ptr<const void> decodeBitmap(std::string_view bytes, std::string* error);

// A picture's pixels as 0xAARRGGBB (straight alpha), top row first.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
};
// Reads, checks and decodes a picture file into pixels; std::nullopt, with
// the reason in `error`, on failure.
std::optional<Pixels> readPixelsFile(const std::filesystem::path& file, std::string* error);
// An opaque Bitmap of `width` x `height` 0xAARRGGBB pixels (the alpha is
// ignored), shared as the picture cache holds one; null when out of memory.
std::shared_ptr<const void> bitmapFromPixels(int width, int height, const std::uint32_t* argb);

}  // namespace skyroll::win32
