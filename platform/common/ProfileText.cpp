// The codings of profile files, told by the mark at their start as the
// profile functions of Windows (under Wine) tell them. UTF-16 is converted by
// hand: a file may hold lone surrogates, which no converter keeps, and the
// conversion is a few lines.

#include "platform/common/ProfileText.h"

#include "platform/Cp932.h"

namespace skyroll::profile {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16leMark = "\xFF\xFE";
constexpr char32_t kNoCharacter = U'\uFFFD';

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// UTF-16LE as UTF-8, pairs of surrogates as their characters and lone ones
// kept in their three-byte form.
std::string utf8FromUtf16le(std::string_view bytes) {
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t at) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * at]) |
                                     (static_cast<unsigned char>(bytes[2 * at + 1]) << 8));
    };
    std::u32string text;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            text.push_back(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else {
            text.push_back(u);
        }
    }
    return cp932::toUtf8(text, true);
}

void appendUtf16le(std::string& out, char32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

std::string utf16leFromUtf8(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char32_t c : cp932::fromUtf8(text, true)) {
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
    std::u32string characters = cp932::fromUtf8(text, true);
    for (char32_t& c : characters)
        if (isSurrogate(c)) c = kNoCharacter;
    return cp932::encode(characters);
}

}  // namespace skyroll::profile
