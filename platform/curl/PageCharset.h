#pragma once
// The character set a page declares and its conversion to code page 932.

#include <string>
#include <string_view>

namespace skyroll::platform {

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

// The page in code page 932. Bytes that are not valid in `charset` become one
// replacement character each (then "?"), characters code page 932 cannot
// hold become "?", line ends are kept. A page in code page 932 already, in
// a charset the converter does not know, or with more than 4,096 bytes that
// are not valid in `charset` (it is not in that charset), is returned
// unchanged. The conversion takes time in proportion to the page's length.
std::string pageToCp932(std::string_view page, std::string_view charset);

}  // namespace skyroll::platform
