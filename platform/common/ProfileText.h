#pragma once
// The text of a profile file as the profile functions take it: by default
// code page 932 bytes; after a UTF-8 byte-order mark, UTF-8; after a UTF-16
// little-endian mark, UTF-16LE. The mark is skipped when reading and written
// back with the text, so a file keeps the coding it was saved in.

#include <string>
#include <string_view>

namespace skyroll::profile {

enum class FileCoding { cp932, utf8, utf16le };

struct ProfileText {
    FileCoding coding = FileCoding::cp932;
    // The text without the mark: the file's bytes for code page 932 and
    // UTF-8 files; the UTF-16 text as UTF-8 for UTF-16 files, where a lone
    // surrogate keeps its three-byte form so that it is written back as it
    // was.
    std::string text;
};

// Tells the coding from the first bytes and decodes. Never fails: bytes that
// are no valid text stay as they are (UTF-8) or are kept as lone code units
// (UTF-16); an odd last byte of a UTF-16 file is no character and is dropped.
ProfileText decodeProfileText(std::string_view bytes);

// The file's bytes: the mark of the coding, then the text in that coding.
std::string encodeProfileText(const ProfileText& text);

// Code page 932 bytes as text of `coding` (UTF-8 for both Unicode codings).
std::string fromCp932(std::string_view bytes, FileCoding coding);

// Text of `coding` as code page 932 bytes; a character code page 932 cannot
// hold (or a lone surrogate, or a byte that is no UTF-8) becomes "?".
std::string toCp932(std::string_view text, FileCoding coding);

}  // namespace skyroll::profile
