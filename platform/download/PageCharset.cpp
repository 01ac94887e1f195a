// The charset a page declares; shared by every downloader. The conversion
// itself is the system's (PageCharsetIconv.cpp, win32/PageCharsetWin32.cpp).

#include "platform/download/PageCharset.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "platform/Cp932.h"

namespace skyroll::platform {
namespace {

constexpr std::size_t kMetaSearchLength = 8 * 1024;
constexpr std::size_t kMaxCharsetLength = 40;

char lowerAsciiChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isCharsetNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

// The name after "charset" at `at` (lower-cased text): optional blanks, "=",
// optional blanks and quotes, then the name itself.
std::string charsetNameAt(std::string_view lower, std::size_t at) {
    at += std::string_view("charset").size();
    while (at < lower.size() && lower[at] == ' ') ++at;
    if (at >= lower.size() || lower[at] != '=') return {};
    ++at;
    while (at < lower.size() && (lower[at] == ' ' || lower[at] == '"' || lower[at] == '\'')) ++at;
    std::size_t end = at;
    while (end < lower.size() && end - at < kMaxCharsetLength && isCharsetNameChar(lower[end])) ++end;
    return std::string(lower.substr(at, end - at));
}

}  // namespace

std::string lowerAscii(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](char c) { return lowerAsciiChar(c); });
    return result;
}

std::string charsetOfContentType(std::string_view contentType) {
    const std::string lower = lowerAscii(contentType.substr(0, 1024));
    const std::size_t at = lower.find("charset");
    return at == std::string::npos ? std::string() : charsetNameAt(lower, at);
}

std::string charsetOfMetaTag(std::string_view page) {
    // Only ASCII matters here; lower-casing the bytes of a double-byte
    // character cannot make a tag out of it.
    const std::string lower = lowerAscii(page.substr(0, kMetaSearchLength));
    for (std::size_t meta = lower.find("<meta"); meta != std::string::npos;
         meta = lower.find("<meta", meta + 1)) {
        const std::size_t end = std::min(lower.find('>', meta), lower.size());
        const std::string_view tag = std::string_view(lower).substr(meta, end - meta);
        const std::size_t at = tag.find("charset");
        if (at == std::string_view::npos) continue;
        std::string name = charsetNameAt(tag, at);
        if (!name.empty()) return name;
    }
    return {};
}

bool isCp932Charset(std::string_view charset) {
    static constexpr std::array<std::string_view, 10> kNames{
        "shift_jis",   "shift-jis", "sjis",       "x-sjis", "cp932",
        "windows-31j", "ms_kanji",  "csshiftjis", "ms932",  "csWindows31J"};
    const std::string lower = lowerAscii(charset);
    return std::any_of(kNames.begin(), kNames.end(),
                       [&](std::string_view n) { return lowerAscii(n) == lower; });
}

std::optional<std::string> pageInCp932(std::string_view body, std::string_view contentType,
                                       const ConversionOverdue& overdue) {
    // A page that comes late is not converted, in whatever charset it is.
    if (overdue && overdue()) return std::nullopt;
    std::string charset = charsetOfContentType(contentType);
    if (charset.empty()) charset = charsetOfMetaTag(body);
    return pageToCp932(body, charset, overdue);
}

std::optional<std::string> encodeCp932InParts(std::u32string_view text, const ConversionOverdue& overdue) {
    // A character takes 1 to 4 bytes of a page: a part of characters is no
    // longer to convert than a part of bytes.
    constexpr std::size_t kPartCharacters = kConversionPartBytes;
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); at += kPartCharacters) {
        if (overdue && overdue()) return std::nullopt;
        bytes += cp932::encode(text.substr(at, kPartCharacters));
    }
    return bytes;
}

}  // namespace skyroll::platform
