#include "platform/curl/PageCharset.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstddef>

#include "platform/Cp932.h"

namespace skyroll::platform {
namespace {

constexpr std::size_t kMetaSearchLength = 8 * 1024;
constexpr std::size_t kMaxCharsetLength = 40;
// Each invalid byte costs one more call of the converter. A page with more
// of them than this is not in the charset it declares.
constexpr std::size_t kMaxInvalidBytes = 4096;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerAscii(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](char c) { return lowerAscii(c); });
    return result;
}

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

std::string pageToCp932(std::string_view page, std::string_view charset) {
    if (charset.empty() || isCp932Charset(charset)) return std::string(page);
    const char* utf32 = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
    const std::string from(charset);
    iconv_t cd = iconv_open(utf32, from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(page);

    std::u32string text;
    std::size_t invalidBytes = 0;
    std::array<char32_t, 4096> chunk;
    // glibc's iconv takes a non-const input pointer but never writes through it.
    char* in = const_cast<char*>(page.data());
    std::size_t inLeft = page.size();
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(chunk.data());
        std::size_t outLeft = sizeof(chunk);
        const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        text.append(chunk.data(), (sizeof(chunk) - outLeft) / sizeof(char32_t));
        if (result != static_cast<std::size_t>(-1)) break;
        if (error == E2BIG) continue;
        // An invalid byte, or an incomplete sequence at the end: one
        // replacement character for one byte, then go on.
        if (++invalidBytes > kMaxInvalidBytes) {
            iconv_close(cd);
            return std::string(page);
        }
        text.push_back(U'\uFFFD');
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return cp932::encode(text);
}

}  // namespace skyroll::platform
