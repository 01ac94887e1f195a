// The charset of a page and its conversion to code page 932, over an
// arbitrary charset name and arbitrary page bytes. The input is the charset
// name, a zero byte, then the page; an input without a zero byte is a page
// whose charset comes from its own meta tag.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/download/PageCharset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyroll::platform;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string charset;
    std::string_view page = input;
    if (const std::size_t zero = input.find('\0'); zero != std::string_view::npos && zero <= 64) {
        charset = charsetOfContentType("text/html; charset=" + std::string(input.substr(0, zero)));
        page = input.substr(zero + 1);
    } else {
        charset = charsetOfMetaTag(page);
    }
    for (const char c : charset)
        if (c >= 'A' && c <= 'Z') std::abort();
    const std::string converted = pageToCp932(page, charset);
    if (isCp932Charset(charset) && converted != page) std::abort();
    return 0;
}
