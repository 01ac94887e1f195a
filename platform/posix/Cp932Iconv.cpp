// Code page 932 through glibc's iconv "CP932" converter, which maps 0x5C to
// U+005C and 0x7E to U+007E the way Windows does (not to the yen sign and
// overline of JIS X 0201). The Windows build converts through the code-page
// API instead (win32/Cp932Win32.cpp).

#include "platform/Cp932.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

namespace skyroll::cp932 {

namespace {

constexpr char32_t kReplacement = U'\uFFFD';

// The native-order UTF-32 name, so the converter writes straight into a
// std::u32string without a byte-order mark.
constexpr const char* kUtf32 = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// One converter per thread and direction, opened on first use and closed when
// the thread ends. Converters are not safe to share between threads, and
// opening one per call costs more than the conversion of a short text.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns (size_t)-1 with errno set when it
    // stops early, like iconv itself.
    std::size_t convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
        // glibc's iconv takes a non-const input pointer but never writes through it.
        char* inPtr = const_cast<char*>(in);
        const std::size_t result = iconv(m_cd, &inPtr, &inLeft, &out, &outLeft);
        in = inPtr;
        return result;
    }

    void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t m_cd;
};

Converter& decoder() {
    thread_local Converter converter(kUtf32, "CP932");
    return converter;
}

Converter& encoder() {
    thread_local Converter converter("CP932", kUtf32);
    return converter;
}

// The characters of the Basic Multilingual Plane that code page 932 holds,
// asked of the converter once, one character a call. Each character the
// converter cannot write makes it stop, and a stop costs glibc a pass over
// what it had converted ahead: a text of many such characters, given to it
// whole, took seconds. Characters beyond this plane are never in the code
// page.
const std::vector<bool>& encodable() {
    static const std::vector<bool> table = [] {
        std::vector<bool> held(0x10000, false);
        Converter converter("CP932", kUtf32);
        if (!converter.valid()) return held;
        for (char32_t c = 0; c < 0x10000; ++c) {
            const char* in = reinterpret_cast<const char*>(&c);
            std::size_t inLeft = sizeof c;
            char bytes[8];
            char* out = bytes;
            std::size_t outLeft = sizeof bytes;
            held[c] =
                converter.convert(in, inLeft, out, outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
            converter.reset();
        }
        return held;
    }();
    return table;
}

bool isEncodable(char32_t c) { return c < 0x10000 && encodable()[c]; }

// Bytes to skip for one replacement character at an invalid spot: a lead byte
// with a byte of the trail range after it is one unassigned double-byte
// character; anything else (a stray byte, a lead byte before a line end or at
// the end) is a single bad byte, so the byte after it is decoded on its own.
std::size_t invalidLength(const unsigned char* p, std::size_t left) {
    if (left >= 2 && isLeadByte(p[0]) && isTrailByte(p[1])) return 2;
    return 1;
}

// Used only if the converter cannot be opened (glibc without its gconv
// modules): ASCII passes, everything else is replaced.
std::u32string decodeAsciiOnly(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + i;
        if (p[0] < 0x80) {
            text.push_back(p[0]);
            ++i;
        } else {
            text.push_back(kReplacement);
            i += invalidLength(p, bytes.size() - i);
        }
    }
    return text;
}

}  // namespace

std::u32string decode(std::string_view bytes) {
    Converter& converter = decoder();
    if (!converter.valid()) return decodeAsciiOnly(bytes);
    converter.reset();

    // Every byte gives at most one character, valid or not.
    std::u32string text(bytes.size(), U'\0');
    const char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    char* outStart = reinterpret_cast<char*>(text.data());
    char* out = outStart;
    std::size_t outLeft = text.size() * sizeof(char32_t);

    while (inLeft > 0) {
        if (converter.convert(in, inLeft, out, outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;  // E2BIG cannot happen: see above
        const std::size_t skip = invalidLength(reinterpret_cast<const unsigned char*>(in), inLeft);
        const char32_t replacement = kReplacement;
        std::memcpy(out, &replacement, sizeof replacement);
        out += sizeof replacement;
        outLeft -= sizeof replacement;
        in += skip;
        inLeft -= skip;
        converter.reset();
    }
    text.resize(static_cast<std::size_t>(out - outStart) / sizeof(char32_t));
    return text;
}

std::string encode(std::u32string_view text) {
    Converter& converter = encoder();
    std::string bytes;
    if (!converter.valid()) {
        for (char32_t c : text) bytes.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return bytes;
    }
    converter.reset();

    // What the code page cannot hold is "?" before the converter sees it, so
    // that it goes through the text in one call.
    std::u32string held;
    if (!std::all_of(text.begin(), text.end(), isEncodable)) {
        held.assign(text);
        std::replace_if(
            held.begin(), held.end(), [](char32_t c) { return !isEncodable(c); }, U'?');
        text = held;
    }

    // Code page 932 needs at most two bytes per character.
    bytes.assign(text.size() * 2, '\0');
    const char* in = reinterpret_cast<const char*>(text.data());
    std::size_t inLeft = text.size() * sizeof(char32_t);
    char* out = bytes.data();
    std::size_t outLeft = bytes.size();

    while (inLeft > 0) {
        if (converter.convert(in, inLeft, out, outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        // The converter stops at whole characters, so this skips exactly the
        // one it cannot write (or a code point that is no character at all).
        *out++ = '?';
        --outLeft;
        const std::size_t skip = inLeft < sizeof(char32_t) ? inLeft : sizeof(char32_t);
        in += skip;
        inLeft -= skip;
        converter.reset();
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
    return bytes;
}

}  // namespace skyroll::cp932
