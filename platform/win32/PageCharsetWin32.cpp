// The conversion of a page to code page 932 through the code-page API, with
// the contract of the iconv one: each invalid byte one "?", the rest
// converted, line ends kept, a page with too many invalid bytes unchanged.
// UTF-16 has no code page MultiByteToWideChar takes; it is read here. Where
// the system has no ISO-2022-JP code page (Wine has none), the page is
// reshaped to EUC-JP, whose code page it has: both carry JIS X 0208, one
// behind escape sequences, the other with the high bit set.

#include <windows.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/Cp932.h"
#include "platform/download/PageCharset.h"
#include "platform/win32/Utf16.h"

namespace skyroll::platform {
namespace {

constexpr char32_t kReplacement = U'\uFFFD';
// A page with bad bytes is converted in parts of about this size.
constexpr std::size_t kPartBytes = 64 * 1024;

// How the bytes of a charset group into characters: what the slow path
// needs to put one replacement per byte of a character that does not convert.
enum class Kind { SingleByte, Utf8, EucJp, Iso2022, Utf16, Utf16Le, Utf16Be };

struct Charset {
    std::string_view name;
    Kind kind;
    std::array<UINT, 3> codePages;  // the first one the system has is used; 0: none
};

constexpr std::array<Charset, 21> kCharsets{{
    {"utf-8", Kind::Utf8, {65001}},
    {"utf8", Kind::Utf8, {65001}},
    {"euc-jp", Kind::EucJp, {20932, 51932}},
    {"eucjp", Kind::EucJp, {20932, 51932}},
    {"x-euc-jp", Kind::EucJp, {20932, 51932}},
    {"iso-2022-jp", Kind::Iso2022, {50220, 50221, 50222}},
    {"csiso2022jp", Kind::Iso2022, {50220, 50221, 50222}},
    {"utf-16", Kind::Utf16, {}},
    {"utf-16le", Kind::Utf16Le, {}},
    {"utf-16be", Kind::Utf16Be, {}},
    {"iso-8859-1", Kind::SingleByte, {28591}},
    {"iso8859-1", Kind::SingleByte, {28591}},
    {"latin1", Kind::SingleByte, {28591}},
    {"l1", Kind::SingleByte, {28591}},
    {"windows-1252", Kind::SingleByte, {1252}},
    {"cp1252", Kind::SingleByte, {1252}},
    {"us-ascii", Kind::SingleByte, {20127}},
    {"ascii", Kind::SingleByte, {20127}},
    {"ansi_x3.4-1968", Kind::SingleByte, {20127}},
    {"iso-ir-100", Kind::SingleByte, {28591}},
    {"iso_8859-1", Kind::SingleByte, {28591}},
}};

const Charset* charsetNamed(std::string_view name) {
    const std::string lower = lowerAscii(name);
    const auto found =
        std::find_if(kCharsets.begin(), kCharsets.end(), [&](const Charset& c) { return c.name == lower; });
    return found == kCharsets.end() ? nullptr : &*found;
}

UINT codePageOf(const Charset& charset) {
    for (UINT codePage : charset.codePages)
        if (codePage != 0 && IsValidCodePage(codePage)) return codePage;
    return 0;
}

// Converts bytes that are all valid, or fails. At most one UTF-16 unit per
// byte for every code page here.
bool convert(UINT codePage, DWORD flags, std::string_view bytes, std::u32string& text) {
    if (bytes.empty()) return true;
    std::wstring wide(bytes.size(), L'\0');
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    if (n <= 0) return false;
    skyroll::win32::appendUtf16(text, std::wstring_view(wide).substr(0, static_cast<std::size_t>(n)));
    return true;
}

bool inRange(unsigned char b, unsigned char low, unsigned char high) { return b >= low && b <= high; }

// Length of the character at `p`, by the shape of the bytes alone.
std::size_t characterLength(Kind kind, const unsigned char* p, std::size_t left) {
    if (kind == Kind::Utf8) {
        const std::size_t expected = inRange(p[0], 0xC2, 0xDF)   ? 2
                                     : inRange(p[0], 0xE0, 0xEF) ? 3
                                     : inRange(p[0], 0xF0, 0xF4) ? 4
                                                                 : 1;
        std::size_t length = 1;
        while (length < expected && length < left && inRange(p[length], 0x80, 0xBF)) ++length;
        return length;
    }
    if (kind == Kind::EucJp) {
        if (p[0] == 0x8F && left >= 3 && inRange(p[1], 0xA1, 0xFE) && inRange(p[2], 0xA1, 0xFE)) return 3;
        if ((p[0] == 0x8E || inRange(p[0], 0xA1, 0xFE)) && left >= 2 && inRange(p[1], 0xA1, 0xFE)) return 2;
    }
    return 1;
}

// Converts the characters [first, last) of `page` (their starts in
// `starts`), halving a part that does not convert until each bad character
// is one replacement per byte. False once more than the allowed number of
// bytes were invalid.
bool convertParts(UINT codePage, Kind kind, std::string_view page, const std::vector<std::size_t>& starts,
                  std::size_t first, std::size_t last, std::u32string& text, std::size_t& invalid) {
    const std::size_t from = starts[first], to = starts[last];
    if (convert(codePage, MB_ERR_INVALID_CHARS, page.substr(from, to - from), text)) return true;
    if (last - first == 1) {
        invalid += to - from;
        text.append(to - from, kReplacement);
        return invalid <= kMaxInvalidPageBytes;
    }
    const std::size_t middle = first + (last - first) / 2;
    return convertParts(codePage, kind, page, starts, first, middle, text, invalid) &&
           convertParts(codePage, kind, page, starts, middle, last, text, invalid);
}

// std::nullopt when the page is not in this charset, or once `overdue` says so.
std::optional<std::u32string> decodeMultiByte(UINT codePage, Kind kind, std::string_view page,
                                              const ConversionOverdue& overdue) {
    std::u32string text;
    text.reserve(page.size());
    // Most pages are clean: one call for all of it, a few milliseconds for
    // the largest page.
    if (overdue()) return std::nullopt;
    if (convert(codePage, MB_ERR_INVALID_CHARS, page, text)) return text;
    // Otherwise a part at a time, so that a page that is not in this charset
    // at all is given up at its first parts.
    text.clear();
    std::size_t invalid = 0;
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < page.size();) {
        if (overdue()) return std::nullopt;
        starts.clear();
        std::size_t next = at;
        while (next < page.size() && next - at < kPartBytes) {
            starts.push_back(next);
            next += characterLength(kind, reinterpret_cast<const unsigned char*>(page.data()) + next,
                                    page.size() - next);
        }
        starts.push_back(next);
        if (!convertParts(codePage, kind, page, starts, 0, starts.size() - 1, text, invalid))
            return std::nullopt;
        at = next;
    }
    return text;
}

std::optional<std::u32string> decodeUtf16(Kind kind, std::string_view page,
                                          const ConversionOverdue& overdue) {
    bool bigEndian = kind == Kind::Utf16Be;
    // "UTF-16" says its order with a byte order mark, else it is big-endian.
    if (kind == Kind::Utf16 && page.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(page[0]), b1 = static_cast<unsigned char>(page[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
            bigEndian = b0 == 0xFE;
            page.remove_prefix(2);
        }
    }
    std::wstring wide;
    wide.reserve(page.size() / 2);
    for (std::size_t i = 0; i + 1 < page.size(); i += 2) {
        if (i % kConversionPartBytes == 0 && overdue()) return std::nullopt;
        const auto b0 = static_cast<unsigned char>(page[i]), b1 = static_cast<unsigned char>(page[i + 1]);
        wide.push_back(static_cast<wchar_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0));
    }
    std::u32string text;
    skyroll::win32::appendUtf16(text, wide);
    const std::size_t invalid =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), kReplacement)) * 2;
    if (page.size() % 2 != 0) text.push_back(kReplacement);
    if (invalid + page.size() % 2 > kMaxInvalidPageBytes) return std::nullopt;
    return text;
}

// ISO-2022-JP as EUC-JP: the sets it switches between are ASCII (and JIS
// X 0201 Roman, read as ASCII), JIS X 0208 and half-width katakana.
std::string eucJpOfIso2022Jp(std::string_view page) {
    enum class Set { Ascii, Jis0208, Katakana } set = Set::Ascii;
    std::string euc;
    euc.reserve(page.size());
    for (std::size_t i = 0; i < page.size();) {
        const std::string_view rest = page.substr(i);
        if (rest.starts_with("\x1B(B") || rest.starts_with("\x1B(J")) {
            set = Set::Ascii;
            i += 3;
            continue;
        }
        if (rest.starts_with("\x1B$@") || rest.starts_with("\x1B$B")) {
            set = Set::Jis0208;
            i += 3;
            continue;
        }
        if (rest.starts_with("\x1B(I")) {
            set = Set::Katakana;
            i += 3;
            continue;
        }
        const auto b = static_cast<unsigned char>(page[i]);
        if (set == Set::Jis0208 && i + 1 < page.size() && inRange(b, 0x21, 0x7E) &&
            inRange(static_cast<unsigned char>(page[i + 1]), 0x21, 0x7E)) {
            euc.push_back(static_cast<char>(b | 0x80));
            euc.push_back(static_cast<char>(page[i + 1] | 0x80));
            i += 2;
            continue;
        }
        if (set == Set::Katakana && inRange(b, 0x21, 0x5F)) {
            euc.push_back('\x8E');
            euc.push_back(static_cast<char>(b | 0x80));
        } else {
            // Line ends, and bytes no set holds: these stay invalid in EUC-JP too.
            euc.push_back(page[i]);
        }
        ++i;
    }
    return euc;
}

}  // namespace

std::optional<std::string> pageToCp932(std::string_view page, std::string_view charset,
                                       const ConversionOverdue& overdue) {
    if (charset.empty() || isCp932Charset(charset)) return std::string(page);
    const Charset* known = charsetNamed(charset);
    if (known == nullptr) return std::string(page);
    // Whether a decoding that gave up did so for the time or for the page.
    bool late = false;
    const ConversionOverdue asked = [&] { return late = late || (overdue && overdue()); };
    std::optional<std::u32string> text;
    if (known->kind == Kind::Utf16 || known->kind == Kind::Utf16Le || known->kind == Kind::Utf16Be) {
        text = decodeUtf16(known->kind, page, asked);
    } else if (const UINT codePage = codePageOf(*known); codePage == 0) {
        if (known->kind != Kind::Iso2022) return std::string(page);
        const Charset* eucJp = charsetNamed("euc-jp");
        const UINT eucCodePage = codePageOf(*eucJp);
        if (eucCodePage == 0) return std::string(page);
        text = decodeMultiByte(eucCodePage, Kind::EucJp, eucJpOfIso2022Jp(page), asked);
    } else if (known->kind == Kind::Iso2022) {
        // These code pages take no flags: Windows replaces what it cannot read.
        if (asked()) return std::nullopt;
        text.emplace();
        if (!convert(codePage, 0, page, *text)) return std::string(page);
    } else {
        text = decodeMultiByte(codePage, known->kind, page, asked);
    }
    if (late) return std::nullopt;
    return text ? encodeCp932InParts(*text, asked) : std::string(page);
}

}  // namespace skyroll::platform
