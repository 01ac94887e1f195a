// Code page 932 through the Windows code-page API. Windows' own table gives
// the single bytes 0x80, 0xA0 and 0xFD to 0xFF characters of their own
// (U+0080 and private-use characters); they are no Shift_JIS text, so they
// decode to U+FFFD here as they do on Linux, and both builds read a page
// alike.

#include <windows.h>

#include <string>

#include "platform/Cp932.h"
#include "platform/win32/Utf16.h"

namespace skyroll::cp932 {

namespace {

constexpr UINT kCodePage = 932;
constexpr char32_t kReplacement = U'\uFFFD';

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
bool isStrayByte(unsigned char b) { return b == 0x80 || b == 0xA0 || b >= 0xFD; }

// Converts bytes that are all valid, or fails. At most one UTF-16 unit per byte.
bool decodeValid(std::string_view bytes, std::wstring& wide) {
    if (bytes.empty()) {
        wide.clear();
        return true;
    }
    wide.resize(bytes.size());
    const int n =
        MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                            wide.data(), static_cast<int>(wide.size()));
    if (n <= 0) return false;
    wide.resize(static_cast<std::size_t>(n));
    return true;
}

// Length of the character at `p`: a lead byte with a byte of the trail range
// after it is one character (or one unassigned pair), anything else one byte.
std::size_t charLength(const unsigned char* p, std::size_t left) {
    return (left >= 2 && isLeadByte(p[0]) && isTrailByte(p[1])) ? 2 : 1;
}

bool hasStrayByte(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + i;
        const std::size_t length = charLength(p, bytes.size() - i);
        if (length == 1 && isStrayByte(p[0])) return true;
        i += length;
    }
    return false;
}

}  // namespace

std::u32string decode(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    std::wstring wide;
    // Most pages are clean: one call for all of it.
    if (!hasStrayByte(bytes) && decodeValid(bytes, wide)) {
        skyroll::win32::appendUtf16(text, wide);
        return text;
    }
    // Otherwise character by character, so each bad spot is one replacement
    // and the characters around it survive.
    for (std::size_t i = 0; i < bytes.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + i;
        const std::size_t length = charLength(p, bytes.size() - i);
        if (length == 1 && p[0] < 0x80) {
            text.push_back(p[0]);
        } else if ((length == 1 && isStrayByte(p[0])) || !decodeValid(bytes.substr(i, length), wide)) {
            text.push_back(kReplacement);
        } else {
            skyroll::win32::appendUtf16(text, wide);
        }
        i += length;
    }
    return text;
}

std::string encode(std::u32string_view text) {
    // Code page 932 holds no character beyond the Basic Multilingual Plane:
    // those (and surrogates, and what is no code point) are "?" before the
    // call, so each gives exactly one.
    std::wstring wide;
    wide.reserve(text.size());
    for (char32_t c : text) {
        const bool bmp = c < 0x10000 && !(c >= 0xD800 && c <= 0xDFFF);
        wide.push_back(bmp ? static_cast<wchar_t>(c) : L'?');
    }
    if (wide.empty()) return {};
    // No best fit: "é" must not quietly become "e". At most two bytes a
    // character: one call, not a first one that only measures (each goes
    // through every character the code page cannot hold the slow way).
    std::string bytes(wide.size() * 2, '\0');
    const int written =
        WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                            bytes.data(), static_cast<int>(bytes.size()), "?", nullptr);
    if (written <= 0) return std::string(wide.size(), '?');
    bytes.resize(static_cast<std::size_t>(written));
    return bytes;
}

}  // namespace skyroll::cp932
