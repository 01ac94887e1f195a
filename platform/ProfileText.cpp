// The codings of profile files, told by the mark at their start as the
// profile functions of Windows (under Wine) tell them. UTF-16 is converted by
// hand: a file may hold lone surrogates, which no converter keeps, and the
// conversion is a few lines.

#include "platform/ProfileText.h"

#include <utility>

#include "platform/Cp932.h"

namespace skyroll::profile {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16leMark = "\xFF\xFE";
constexpr char32_t kNoCharacter = U'\uFFFD';

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Appends `c` in UTF-8; a surrogate gets the three-byte form UTF-8 would
// give it, which only this file ever reads back.
void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The code point at `i` and its length in bytes. Surrogates are taken (the
// three-byte forms appendUtf8 writes); a byte that starts no whole sequence
// is U+FFFD of length one.
std::pair<char32_t, std::size_t> codePointAt(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(s[at]); };
    const unsigned char b = byte(i);
    if (b < 0x80) return {b, 1};
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
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        c = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    }
    if (length == 0 || i + length > s.size()) return {kNoCharacter, 1};
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char t = byte(i + k);
        if (t < (k == 1 ? low : 0x80) || t > (k == 1 ? high : 0xBF)) return {kNoCharacter, 1};
        c = (c << 6) | (t & 0x3F);
    }
    return {c, length};
}

std::string utf8FromUtf16le(std::string_view bytes) {
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t at) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * at]) |
                                     (static_cast<unsigned char>(bytes[2 * at + 1]) << 8));
    };
    std::string text;
    text.reserve(units * 3);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char32_t next = unit(i + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                appendUtf8(text, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(text, u);
    }
    return text;
}

void appendUtf16le(std::string& out, char32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

std::string utf16leFromUtf8(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        const auto [c, length] = codePointAt(text, i);
        i += length;
        if (c >= 0x10000) {
            appendUtf16le(bytes, 0xD800 + ((c - 0x10000) >> 10));
            appendUtf16le(bytes, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            appendUtf16le(bytes, c);
        }
    }
    return bytes;
}

}  // namespace

ProfileText decodeProfileText(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) return {FileCoding::utf8, std::string(bytes.substr(kUtf8Mark.size()))};
    if (bytes.starts_with(kUtf16leMark))
        return {FileCoding::utf16le, utf8FromUtf16le(bytes.substr(kUtf16leMark.size()))};
    return {FileCoding::cp932, std::string(bytes)};
}

std::string encodeProfileText(const ProfileText& text) {
    switch (text.coding) {
        case FileCoding::utf8:
            return std::string(kUtf8Mark) + text.text;
        case FileCoding::utf16le:
            return std::string(kUtf16leMark) + utf16leFromUtf8(text.text);
        case FileCoding::cp932:
            break;
    }
    return text.text;
}

std::string fromCp932(std::string_view bytes, FileCoding coding) {
    return coding == FileCoding::cp932 ? std::string(bytes) : cp932::toUtf8FromCp932(bytes);
}

std::string toCp932(std::string_view text, FileCoding coding) {
    if (coding == FileCoding::cp932) return std::string(text);
    std::u32string characters;
    characters.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto [c, length] = codePointAt(text, i);
        characters.push_back(isSurrogate(c) ? kNoCharacter : c);
        i += length;
    }
    return cp932::encode(characters);
}

}  // namespace skyroll::profile
