// The profile file's read and write over arbitrary file bytes and an
// arbitrary section, key and value. The input is the section, the key and
// the value, each ended by a zero byte, then the file's bytes. A file that
// starts with a byte-order mark (seeds in tests/fuzz/seeds/profile) keeps it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/common/ProfileFile.h"
#include "tests/fuzz/FuzzFolder.h"

namespace {

std::string_view nextField(std::string_view& input) {
    const std::size_t zero = input.find('\0');
    if (zero == std::string_view::npos) {
        const std::string_view field = input;
        input = {};
        return field;
    }
    const std::string_view field = input.substr(0, zero);
    input.remove_prefix(zero + 1);
    return field;
}

// Names and values that every profile file gives back as they were written:
// no blanks at the ends, no quotes, no delimiters, no line ends.
bool plain(std::string_view text) {
    if (text.empty() || text.size() > 64) return false;
    for (const char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

std::string firstBytes(const std::filesystem::path& file, std::size_t count) {
    std::string bytes(count, '\0');
    std::ifstream in(file, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyroll;
    static const fuzz::FuzzFolder folder;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view section = nextField(input);
    const std::string_view key = nextField(input);
    const std::string_view value = nextField(input);
    const auto file =
        folder.write("EARTH.INI", reinterpret_cast<const std::uint8_t*>(input.data()), input.size());

    const std::string before = profile::getPrivateProfileString(section, key, "", 500, file);
    if (before.size() > 499) std::abort();
    const bool written = profile::writePrivateProfileString(section, key, value, file);
    const std::string after = profile::getPrivateProfileString(section, key, "-", 500, file);
    if (after.size() > 499) std::abort();
    if (plain(section) && plain(key) && plain(value) && (!written || after != value)) std::abort();
    if (written) {
        for (const std::string_view mark : {std::string_view("\xEF\xBB\xBF"), std::string_view("\xFF\xFE")}) {
            if (input.starts_with(mark) && !firstBytes(file, mark.size()).starts_with(mark)) std::abort();
        }
    }
    return 0;
}
