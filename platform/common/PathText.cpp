#include "platform/PathText.h"

namespace skyroll::platform {

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxFileNameBytes) return false;
    if (name == "." || name.find("..") != std::string_view::npos) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\' || byte == ':') return false;
        // C1 controls, U+0080..U+009F, are C2 80..C2 9F in UTF-8.
        if (byte == 0xC2 && i + 1 < name.size()) {
            const auto next = static_cast<unsigned char>(name[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return false;
        }
    }
    return true;
}

}  // namespace skyroll::platform
