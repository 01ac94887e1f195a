#pragma once
// UTF-16 as the wide-character functions give it, turned into code points.

#include <string>
#include <string_view>

namespace skyroll::win32 {

// Appends the code points of `wide`; a lone surrogate becomes U+FFFD.
inline void appendUtf16(std::u32string& text, std::wstring_view wide) {
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char32_t unit = static_cast<char16_t>(wide[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size()) {
            const char32_t low = static_cast<char16_t>(wide[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        text.push_back((unit >= 0xD800 && unit <= 0xDFFF) ? U'\uFFFD' : unit);
    }
}

}  // namespace skyroll::win32
