#pragma once
// Profile (INI) files with the behaviour of the Windows ANSI profile
// functions GetPrivateProfileStringA and WritePrivateProfileStringA.
// Sections, keys and values are byte strings in code page 932: names compare
// without regard to the case of ASCII letters only, and a trail byte of a
// double-byte character is never case-folded or taken for a delimiter.
// A file that starts with a UTF-8 or UTF-16LE byte-order mark is read and
// written in that coding, as the profile functions do under Wine (see
// ProfileText.h); what goes in and out is still code page 932.

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace skyroll::profile {

// Reads the value of `key` in `section` of `file` the way
// GetPrivateProfileStringA does with a buffer of `bufferSize` bytes:
// - the first line of the first matching section whose key matches is used;
// - blanks and tabs around the value are dropped, then one pair of enclosing
//   single or double quotes is removed;
// - the result is cut to bufferSize - 1 bytes (never inside the buffer's
//   terminating zero);
// - `defaultValue` (its trailing blanks dropped, cut the same way) is returned
//   when the file, the section or the key does not exist or cannot be read.
// A file larger than 1 MiB is treated as unreadable. Never throws.
std::string getPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::filesystem::path& file);

// Sets `key` in `section` of `file` to `value` the way
// WritePrivateProfileStringA does: replaces the value of the first matching
// key in place, or adds the key at the end of the section, or adds the
// section at the end of the file; creates the file (never its folder).
// Every other line keeps its bytes and line ends. The new content goes to a
// temporary file in the same folder (the target of a symbolic link), which
// gets the old file's permissions and is renamed over the old file, so a
// crash never leaves half a file.
// Returns false, leaving the file as it was, when it cannot be written
// (read-only file or folder, missing folder, unreadable old file).
bool writePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& file);

// One key to set, as writePrivateProfileString takes it.
using platform::ProfileEntry;

// Sets every entry, in order, as writePrivateProfileString would, in one
// replacement of the file: either all of them are written or, when one is
// refused or the file cannot be written, none, and false is returned. A new
// file holds the sections in the order the entries first name them.
bool writePrivateProfileStrings(std::span<const ProfileEntry> entries, const std::filesystem::path& file);

// Replaces `file` with `content` the same way: a temporary file in the same
// folder, flushed to disk and renamed over it. False, leaving the file as it
// was, when it cannot be written.
bool replaceFileAtomically(const std::filesystem::path& file, std::string_view content);

}  // namespace skyroll::profile
