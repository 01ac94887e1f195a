// The conversion of a page to code page 932 through iconv.

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/Cp932.h"
#include "platform/download/PageCharset.h"

namespace skyroll::platform {

std::optional<std::string> pageToCp932(std::string_view page, std::string_view charset,
                                       const ConversionOverdue& overdue) {
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
    // Bytes left when overdue was last asked; it is asked first thing.
    std::size_t askedAt = inLeft + kConversionPartBytes;
    while (inLeft > 0) {
        if (askedAt - inLeft >= kConversionPartBytes) {
            if (overdue && overdue()) {
                iconv_close(cd);
                return std::nullopt;
            }
            askedAt = inLeft;
        }
        char* out = reinterpret_cast<char*>(chunk.data());
        std::size_t outLeft = sizeof(chunk);
        const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        text.append(chunk.data(), (sizeof(chunk) - outLeft) / sizeof(char32_t));
        if (result != static_cast<std::size_t>(-1)) break;
        if (error == E2BIG) continue;
        // An invalid byte, or an incomplete sequence at the end: one
        // replacement character for one byte, then go on.
        if (++invalidBytes > kMaxInvalidPageBytes) {
            iconv_close(cd);
            return std::string(page);
        }
        text.push_back(U'\uFFFD');
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return encodeCp932InParts(text, overdue);
}

}  // namespace skyroll::platform
