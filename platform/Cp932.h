#pragma once
// Conversion between code page 932 (Shift_JIS as Windows uses it) and the
// program's Unicode text. File contents (weather pages, WEATHER.INI, EARTH.INI
// values) are code page 932; inside the program text is UTF-8 in std::string,
// or UTF-32 where text is searched and measured in characters.

#include <string>
#include <string_view>

namespace skyroll::cp932 {

// Decodes code page 932 bytes. Every byte or byte pair that is not valid code
// page 932 becomes one U+FFFD; decoding never fails and never stops early.
std::u32string decode(std::string_view bytes);

// Encodes to code page 932. A character that code page 932 cannot hold is
// written as "?". Never fails.
std::string encode(std::u32string_view text);

// UTF-8 <-> UTF-32 for the program's own text. Malformed UTF-8 sequences
// become U+FFFD each; never fails. With `keepSurrogates`, a surrogate code
// point (a lone one of a UTF-16 text) is written in the three-byte form UTF-8
// would give it and read back from that form; otherwise it is malformed.
std::u32string fromUtf8(std::string_view utf8, bool keepSurrogates = false);
std::string toUtf8(std::u32string_view text, bool keepSurrogates = false);

// Shorthands: code page 932 bytes <-> UTF-8 text.
inline std::string toUtf8FromCp932(std::string_view bytes) { return toUtf8(decode(bytes)); }
inline std::string toCp932FromUtf8(std::string_view utf8) { return encode(fromUtf8(utf8)); }

}  // namespace skyroll::cp932
