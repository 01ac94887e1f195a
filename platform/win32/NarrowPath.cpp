#include "platform/win32/NarrowPath.h"

#include <exception>

namespace skyroll::platform::win32 {

namespace fs = std::filesystem;

std::optional<std::string> narrowPath(const fs::path& path) {
    try {
        return path.string();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<fs::path> pathFromNarrow(std::string_view text) {
    // Both readings a library may give narrow text; the one that gives the
    // same text back is the path it came from.
    try {
        const fs::path asUtf8(std::u8string(text.begin(), text.end()));
        if (narrowPath(asUtf8) == text) return asUtf8;
    } catch (const std::exception&) {
        // not UTF-8: the other reading
    }
    try {
        const fs::path asNative{std::string(text)};
        if (narrowPath(asNative) == text) return asNative;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

}  // namespace skyroll::platform::win32
