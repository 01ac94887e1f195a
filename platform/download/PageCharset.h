#pragma once
// The character set a page declares and its conversion to code page 932.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace skyroll::platform {

// `text` with the ASCII letters in lower case.
std::string lowerAscii(std::string_view text);

// The charset parameter of a Content-Type header value, lower-cased; empty
// when there is none.
std::string charsetOfContentType(std::string_view contentType);

// The charset named by a <meta charset=...> or <meta http-equiv=...
// content="...; charset=..."> tag in the first 8 KiB of the page,
// lower-cased; empty when there is none.
std::string charsetOfMetaTag(std::string_view page);

// True for the names of code page 932 and its Shift_JIS relatives, whose
// bytes are stored as they are.
bool isCp932Charset(std::string_view charset);

// Each invalid byte costs the converter one more step. A page with more of
// them than this is not in the charset it declares.
inline constexpr std::size_t kMaxInvalidPageBytes = 4096;

// Asked between the parts of a conversion: true once it must give up (the
// refresh's time is over). Empty: never.
using ConversionOverdue = std::function<bool()>;

// How much of a page is converted between two askings; a part takes a few
// milliseconds whatever its characters.
inline constexpr std::size_t kConversionPartBytes = 64 * 1024;

// The page in code page 932. Bytes that are not valid in `charset` become one
// replacement character each (then "?"), characters code page 932 cannot
// hold become "?", line ends are kept. A page in code page 932 already, in
// a charset the converter does not know, or with more than 4,096 bytes that
// are not valid in `charset` (it is not in that charset), is returned
// unchanged. The conversion takes time in proportion to the page's length,
// whatever its characters; std::nullopt once `overdue` says so. Each system
// converts with its own converter: iconv, or the code-page API on Windows.
std::optional<std::string> pageToCp932(std::string_view page, std::string_view charset,
                                       const ConversionOverdue& overdue);
inline std::string pageToCp932(std::string_view page, std::string_view charset) {
    return *pageToCp932(page, charset, {});
}

// A downloaded page in code page 932: the charset of the Content-Type header
// value, else of the page's meta tag, converted by pageToCp932; std::nullopt
// when `overdue` says so, before or during the conversion.
std::optional<std::string> pageInCp932(std::string_view body, std::string_view contentType,
                                       const ConversionOverdue& overdue = {});

// For the converters: `text` in code page 932 a part at a time, std::nullopt
// once `overdue` says so.
std::optional<std::string> encodeCp932InParts(std::u32string_view text, const ConversionOverdue& overdue);

}  // namespace skyroll::platform
