#pragma once
// Pictures for the Win32 toolkit: BMP, GIF and JPEG files checked with
// checkPicture, decoded by GDI+ into 32-bit device-independent bitmaps
// (premultiplied alpha) and drawn unscaled.

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

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

}  // namespace skyroll::win32
