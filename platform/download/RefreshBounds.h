#pragma once
// What one downloader remembers from call to call: the refresh's bound,
// counted from its first call, and the hosts that are down.

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "platform/download/DownloadLimits.h"

namespace skyroll::platform {

// "host[:port]" of an http or https address, lower-cased; empty for any other
// address.
std::string hostOf(std::string_view address);

// True when `address` starts with "http://" or "https://".
inline bool isWebAddress(std::string_view address) {
    return address.starts_with("http://") || address.starts_with("https://");
}

class RefreshBounds {
public:
    explicit RefreshBounds(DownloadLimits limits) : m_limits(std::move(limits)) {}

    const DownloadLimits& limits() const { return m_limits; }

    // Starts the refresh's clock on the first call; later calls leave it.
    void start();
    // Starts the clock of a new refresh now, whatever the last one left.
    void restart() { m_deadline = m_limits.now() + m_limits.refreshTimeout; }
    // Time left of the refresh's bound; zero or less once it is over.
    std::chrono::milliseconds left() const;
    bool over() const { return left().count() <= 0; }
    // The bounds of one transfer, each cut to `left` (one reading of left()).
    std::chrono::milliseconds connectTimeout(std::chrono::milliseconds left) const {
        return std::min(m_limits.connectTimeout, left);
    }
    std::chrono::milliseconds pageTimeout(std::chrono::milliseconds left) const {
        return std::min(m_limits.pageTimeout, left);
    }

    // A host that refused a connection, could not be found or timed out gets
    // no further request.
    bool isDown(const std::string& host) const { return m_downHosts.contains(host); }
    void markDown(const std::string& host) { m_downHosts.insert(host); }

private:
    DownloadLimits m_limits;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    std::set<std::string> m_downHosts;
};

}  // namespace skyroll::platform
