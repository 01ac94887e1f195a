// Profile files read and written the way the Windows ANSI profile functions
// treat them. The text is never decoded for parsing: names are compared byte
// by byte, in a code page 932 file walking double-byte characters so that a
// trail byte (which may equal an ASCII letter, "[", "]" or "\") is never
// folded or taken for a delimiter. A file with a byte-order mark is parsed as
// UTF-8 (ProfileText.h), where no byte of a longer character is ASCII; names
// and values cross into it and back as code page 932.

#include "platform/common/ProfileFile.h"

#include <optional>
#include <vector>

#include "platform/NativeFiles.h"
#include "platform/common/ProfileText.h"

namespace skyroll::profile {

namespace {

namespace fs = std::filesystem;

// Settings files are a few lines long; anything bigger is not one of ours.
constexpr std::size_t kMaxFileSize = 1024 * 1024;
// Symbolic links followed before giving up (as the kernel's own limit).
constexpr int kMaxLinkHops = 40;
constexpr std::string_view kNewLineEnd = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Length of the character at `i` as far as delimiters go. In code page 932:
// two for a lead byte followed by a trail byte, else one; a lead byte before a
// line end, blank or "=" stands alone, as it does when Windows converts the
// file, so no delimiter is swallowed. In UTF-8 every byte counts alone: the
// bytes of a longer character are never ASCII.
std::size_t charLength(std::string_view s, std::size_t i, FileCoding coding = FileCoding::cp932) {
    if (coding == FileCoding::cp932 && i + 1 < s.size() && isLeadByte(static_cast<unsigned char>(s[i])) &&
        isTrailByte(static_cast<unsigned char>(s[i + 1])))
        return 2;
    return 1;
}

// Position of the first single-byte `c` in `s`, never a trail byte.
std::size_t findChar(std::string_view s, char c, FileCoding coding) {
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i, coding))
        if (s[i] == c) return i;
    return std::string_view::npos;
}

// Position of the last single-byte `c` in `s`, never a trail byte.
std::size_t findLastChar(std::string_view s, char c, FileCoding coding) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i, coding))
        if (s[i] == c) found = i;
    return found;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char foldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Section and key names match without regard to the case of ASCII letters;
// both bytes of a double-byte character must match exactly.
bool sameName(std::string_view a, std::string_view b, FileCoding coding) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t length = charLength(a, i, coding);
        if (length == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (foldAscii(a[i]) != foldAscii(b[i])) {
            return false;
        }
        i += length;
    }
    return true;
}

// One line of the file: its text and its own line end (LF, CR LF, CR or
// nothing on a last line), both views into the file's content.
struct Line {
    std::string_view text;
    std::string_view end;
};

// Line ends are found byte by byte: CR and LF are never trail bytes.
std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t stop = start;
        while (stop < content.size() && !isLineEnd(content[stop])) ++stop;
        std::size_t next = stop;
        if (next < content.size()) {
            const bool crlf = content[next] == '\r' && next + 1 < content.size() && content[next + 1] == '\n';
            next += crlf ? 2 : 1;
        }
        lines.push_back({content.substr(start, stop - start), content.substr(stop, next - stop)});
        start = next;
    }
    return lines;
}

// The name of a section line "[name]" (leading blanks allowed, the name ends
// at the line's last "]", blanks inside the brackets dropped); nothing for
// any other line. A "[" line without "]" is not a section line.
std::optional<std::string_view> sectionName(std::string_view line, FileCoding coding) {
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const std::size_t close = findLastChar(line, ']', coding);
    if (close == std::string_view::npos) return std::nullopt;
    return trimBlanks(line.substr(0, close));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// The key and value of a "key=value" line, both without the blanks around
// them; nothing for a line without "=".
std::optional<KeyLine> keyLine(std::string_view line, FileCoding coding) {
    const std::size_t equals = findChar(line, '=', coding);
    if (equals == std::string_view::npos) return std::nullopt;
    return KeyLine{trimBlanks(line.substr(0, equals)), trimBlanks(line.substr(equals + 1))};
}

// A value enclosed in a pair of the same quote loses that pair. A quote can
// never be a trail byte, so the last byte is a character of its own.
std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Cuts to what fits a buffer of `bufferSize` bytes with its terminating zero.
// A double-byte character that does not fit whole is left out rather than
// leaving half of it behind.
std::string cutToBuffer(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    const std::size_t limit = bufferSize - 1;
    if (value.size() <= limit) return std::string(value);
    std::size_t end = 0;
    while (end < value.size()) {
        const std::size_t length = charLength(value, end);
        if (end + length > limit) break;
        end += length;
    }
    return std::string(value.substr(0, end));
}

// The value of the first key line matching `key` in the first section
// matching `section`.
std::optional<std::string_view> findValue(std::string_view content, std::string_view section,
                                          std::string_view key, FileCoding coding) {
    bool inSection = false;
    for (const Line& line : splitLines(content)) {
        if (const auto name = sectionName(line.text, coding)) {
            if (inSection) return std::nullopt;  // only the first matching section counts
            inSection = sameName(*name, section, coding);
            continue;
        }
        if (!inSection) continue;
        if (const auto entry = keyLine(line.text, coding); entry && sameName(entry->key, key, coding))
            return entry->value;
    }
    return std::nullopt;
}

// The file a write really changes: the end of a chain of symbolic links, so
// the link stays a link and its target gets the new content.
std::optional<fs::path> resolveLinks(fs::path path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        if (status.type() == fs::file_type::none) return std::nullopt;
        if (status.type() != fs::file_type::symlink) return path;
        const fs::path target = fs::read_symlink(path, error);
        if (error) return std::nullopt;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return std::nullopt;
}

// The new content of the file with `key` set in `section`.
std::string withValue(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value, FileCoding coding) {
    const std::vector<Line> lines = splitLines(content);
    std::string keyText = std::string(key) + "=" + std::string(value);

    // Find the first matching section, and in it the first matching key or
    // else the last line that is not blank.
    std::optional<std::size_t> replaceAt;
    std::optional<std::size_t> insertAfter;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].text, coding)) {
            if (inSection) break;
            inSection = sameName(*name, section, coding);
            if (inSection) insertAfter = i;
            continue;
        }
        if (!inSection) continue;
        if (const auto entry = keyLine(lines[i].text, coding); entry && sameName(entry->key, key, coding)) {
            replaceAt = i;
            break;
        }
        if (!trimBlanks(lines[i].text).empty()) insertAfter = i;
    }

    std::string result;
    result.reserve(content.size() + section.size() + keyText.size() + 8);
    if (replaceAt || insertAfter) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            result += (replaceAt && *replaceAt == i) ? std::string_view(keyText) : lines[i].text;
            result += lines[i].end;
            if (!replaceAt && *insertAfter == i) {
                if (lines[i].end.empty()) result += kNewLineEnd;
                result += keyText;
                result += kNewLineEnd;
            }
        }
        return result;
    }
    result = content;
    if (!lines.empty() && lines.back().end.empty()) result += kNewLineEnd;
    result += "[";
    result += section;
    result += "]";
    result += kNewLineEnd;
    result += keyText;
    result += kNewLineEnd;
    return result;
}

bool hasByte(std::string_view s, std::string_view bytes) { return s.find_first_of(bytes) != s.npos; }

// Whether an entry can be written so that it reads back as written: a name
// that is not empty, no line end or zero byte in any part, a key that holds
// no "=" and would not read as a section line. Names come trimmed.
bool isWritable(const ProfileEntry& entry) {
    using namespace std::string_view_literals;
    const std::string_view breaking = "\r\n\0"sv;
    return !entry.section.empty() && !entry.key.empty() && !hasByte(entry.section, breaking) &&
           !hasByte(entry.key, breaking) && !hasByte(entry.value, breaking) &&
           findChar(entry.key, '=', FileCoding::cp932) == std::string_view::npos && entry.key.front() != '[';
}

}  // namespace

std::string getPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::filesystem::path& file) {
    try {
        std::string content;
        if (platform::native::readFileBounded(file, kMaxFileSize, content) == platform::native::ReadStatus::ok) {
            const ProfileText text = decodeProfileText(content);
            const FileCoding coding = text.coding;
            const std::string sectionName = fromCp932(trimBlanks(section), coding);
            const std::string keyName = fromCp932(trimBlanks(key), coding);
            if (const auto value = findValue(text.text, sectionName, keyName, coding))
                return cutToBuffer(toCp932(unquote(*value), coding), bufferSize);
        }
        // Only the default's trailing spaces go, as with the Windows function.
        while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
        return cutToBuffer(defaultValue, bufferSize);
    } catch (...) {
        return {};
    }
}

bool writePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::filesystem::path& file) {
    const ProfileEntry entry{section, key, value};
    return writePrivateProfileStrings({&entry, 1}, file);
}

bool writePrivateProfileStrings(std::span<const ProfileEntry> entries, const std::filesystem::path& file) {
    try {
        std::vector<ProfileEntry> trimmed;
        for (const ProfileEntry& entry : entries) {
            trimmed.push_back({trimBlanks(entry.section), trimBlanks(entry.key), entry.value});
            if (!isWritable(trimmed.back())) return false;
        }

        const std::optional<fs::path> target = resolveLinks(file);
        if (!target) return false;

        std::error_code error;
        const fs::file_status status = fs::status(*target, error);
        std::string content;
        if (status.type() != fs::file_type::not_found) {
            if (!fs::is_regular_file(status)) return false;
            // Checked on the bits rather than by asking for access, which a
            // privileged user is always granted.
            if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
            if (platform::native::readFileBounded(*target, kMaxFileSize, content) != platform::native::ReadStatus::ok)
                return false;
        }

        // A new file is code page 932, as Windows makes it; one with a mark
        // keeps its coding.
        ProfileText text = decodeProfileText(content);
        const FileCoding coding = text.coding;
        for (const ProfileEntry& entry : trimmed)
            text.text = withValue(text.text, fromCp932(entry.section, coding), fromCp932(entry.key, coding),
                                  fromCp932(entry.value, coding), coding);
        const std::string updated = encodeProfileText(text);
        if (updated.size() > kMaxFileSize) return false;
        return platform::native::replaceFileAtomically(*target, updated);
    } catch (...) {
        return false;
    }
}

bool replaceFileAtomically(const fs::path& file, std::string_view content) {
    return platform::native::replaceFileAtomically(file, content);
}

}  // namespace skyroll::profile
