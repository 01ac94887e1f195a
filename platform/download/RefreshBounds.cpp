#include "platform/download/RefreshBounds.h"

#include <algorithm>

namespace skyroll::platform {

std::string hostOf(std::string_view address) {
    std::string lower(address.substr(0, 2048));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    std::string_view rest(lower);
    if (rest.starts_with("http://")) {
        rest.remove_prefix(7);
    } else if (rest.starts_with("https://")) {
        rest.remove_prefix(8);
    } else {
        return {};
    }
    return std::string(rest.substr(0, rest.find_first_of("/?#")));
}

void RefreshBounds::start() {
    if (!m_deadline) m_deadline = m_limits.now() + m_limits.refreshTimeout;
}

std::chrono::milliseconds RefreshBounds::left() const {
    if (!m_deadline) return m_limits.refreshTimeout;
    return std::chrono::duration_cast<std::chrono::milliseconds>(*m_deadline - m_limits.now());
}

}  // namespace skyroll::platform
