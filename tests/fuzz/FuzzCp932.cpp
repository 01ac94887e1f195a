// The code page 932 decoder over arbitrary bytes, and the conversions around
// it: every result must be well-formed and the decoder must never stop early.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyroll;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u32string text = cp932::decode(bytes);
    // Every byte gives at most one character, and at least every second byte one.
    if (text.size() > size || text.size() * 2 < size) std::abort();
    for (const char32_t c : text)
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) std::abort();
    // Whatever was decoded encodes again and decodes to the same length or less
    // (a character code page 932 cannot hold becomes one "?").
    const std::string again = cp932::encode(text);
    if (cp932::decode(again).size() != text.size()) std::abort();
    // The same bytes taken as UTF-8 survive the round trip through UTF-32.
    const std::u32string wide = cp932::fromUtf8(bytes);
    if (cp932::fromUtf8(cp932::toUtf8(wide)) != wide) std::abort();
    return 0;
}
