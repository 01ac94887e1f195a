// UTF-8 <-> UTF-32 for the program's own text, by hand: it is simple and
// needs no converter. Code page 932 is converted by the system's own
// converter (Cp932Iconv.cpp, win32/Cp932Win32.cpp).

#include "platform/Cp932.h"

namespace skyroll::cp932 {

namespace {

constexpr char32_t kReplacement = U'\uFFFD';

}  // namespace

std::u32string fromUtf8(std::string_view utf8, bool keepSurrogates) {
    std::u32string text;
    text.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            text.push_back(b);
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte, which rules out
        // overlong forms, surrogates and code points above U+10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        char32_t c = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            c = b & 0x0F;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED && !keepSurrogates) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            c = b & 0x07;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        }
        if (length == 0) {
            text.push_back(kReplacement);
            ++i;
            continue;
        }
        // A sequence broken off early is one replacement for the bytes that
        // belonged to it; the byte that broke it starts afresh.
        std::size_t used = 1;
        bool complete = true;
        while (used < length) {
            if (i + used >= n) {
                complete = false;
                break;
            }
            const unsigned char t = p[i + used];
            const unsigned char lo = used == 1 ? low : 0x80;
            const unsigned char hi = used == 1 ? high : 0xBF;
            if (t < lo || t > hi) {
                complete = false;
                break;
            }
            c = (c << 6) | (t & 0x3F);
            ++used;
        }
        text.push_back(complete ? c : kReplacement);
        i += used;
    }
    return text;
}

std::string toUtf8(std::u32string_view text, bool keepSurrogates) {
    std::string utf8;
    utf8.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || (!keepSurrogates && c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (c >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (c >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

}  // namespace skyroll::cp932
