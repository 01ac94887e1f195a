#include "weather/Sites.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace skyroll::weather {
namespace {

constexpr std::size_t kMaxHostLength = 253;
// Far longer than any value that fits; a value the read returns at its full
// length may have been cut, so it does not fit (see fits()).
constexpr std::size_t kBufferSize = 1024;

bool isHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool isIpv6Char(char c) {
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

bool isPort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    unsigned value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value >= 1 && value <= 65535;
}

constexpr std::size_t kMaxServiceAddressLength = 300;

std::string readValue(platform::FileSystem& files, std::string_view key,
                      const std::filesystem::path& earthIni) {
    return files.readProfileString("SITES", key, "", kBufferSize, earthIni);
}

// False for a value the read may have cut: what is left of it is not the value.
bool fits(const std::string& value) { return value.size() < kBufferSize - 1; }

void reportIgnored(std::ostream* log, std::string_view key, std::string_view value,
                   std::string_view why = {}) {
    if (log == nullptr) return;
    *log << "skyroll: EARTH.INI [SITES] " << key << "=" << value << " ignored";
    if (!why.empty()) *log << ": " << why;
    *log << "\n";
}

std::string readSite(platform::FileSystem& files, std::string_view key, std::string_view fallback,
                     const std::filesystem::path& earthIni, std::ostream* log) {
    std::string value = readValue(files, key, earthIni);
    if (fits(value) && IsPlainHost(value)) return value;
    if (!value.empty()) reportIgnored(log, key, value);
    return std::string(fallback);
}

bool isPathChar(char c) { return isHostChar(c) || c == '_' || c == '~' || c == '/'; }

// Digits only, leading zeros allowed, no sign, at most kLongestRefreshMinutes.
std::optional<int> refreshMinutes(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int minutes = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        minutes = minutes * 10 + (c - '0');
        if (minutes > kLongestRefreshMinutes) return std::nullopt;
    }
    return minutes;
}

}  // namespace

bool IsPlainHost(std::string_view site) {
    std::string_view host = site;
    std::string_view port;
    if (site.starts_with('[')) {
        const std::size_t close = site.find(']');
        if (close == std::string_view::npos) return false;
        host = site.substr(1, close - 1);
        const std::string_view rest = site.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || !isPort(rest.substr(1)))) return false;
        if (host.empty() || host.size() > 45) return false;
        for (char c : host) {
            if (!isIpv6Char(c)) return false;
        }
        return true;
    }
    if (const std::size_t colon = site.find(':'); colon != std::string_view::npos) {
        host = site.substr(0, colon);
        port = site.substr(colon + 1);
        if (!isPort(port)) return false;
    }
    if (host.empty() || host.size() > kMaxHostLength || host.front() == '.' || host.front() == '-')
        return false;
    for (char c : host) {
        if (!isHostChar(c)) return false;
    }
    return true;
}

bool IsServiceAddress(std::string_view address) {
    if (address.size() > kMaxServiceAddressLength) return false;
    std::string_view rest = address;
    if (rest.starts_with("https://")) {
        rest.remove_prefix(8);
    } else if (rest.starts_with("http://")) {
        rest.remove_prefix(7);
    } else {
        return false;
    }
    const std::size_t slash = rest.find('/');
    if (!IsPlainHost(rest.substr(0, slash))) return false;
    if (slash == std::string_view::npos) return true;
    const std::string_view path = rest.substr(slash);
    for (char c : path) {
        if (!isPathChar(c)) return false;
    }
    return path.find("..") == std::string_view::npos;
}

Sites ReadSites(platform::FileSystem& files, const std::filesystem::path& earthIni, std::ostream* log) {
    Sites sites;
    sites.world = readSite(files, "WORLD", kDefaultWorldSite, earthIni, log);
    sites.japan = readSite(files, "JAPAN", kDefaultJapanSite, earthIni, log);

    std::string live = readValue(files, "LIVE", earthIni);
    const bool liveFits = fits(live);
    while (live.ends_with('/')) live.pop_back();
    if (liveFits && IsServiceAddress(live)) {
        sites.live = live;
    } else if (!live.empty()) {
        reportIgnored(log, "LIVE", live);
    }

    const std::string source = readValue(files, "SOURCE", earthIni);
    if (source == "live") {
        sites.source = WeatherSource::Live;
    } else if (source == "pages") {
        sites.source = WeatherSource::Pages;
    } else {
        if (!source.empty()) reportIgnored(log, "SOURCE", source);
        const bool pageSitesNamed =
            !readValue(files, "WORLD", earthIni).empty() || !readValue(files, "JAPAN", earthIni).empty();
        sites.source = pageSitesNamed ? WeatherSource::Pages : WeatherSource::Live;
    }

    const std::string refresh = readValue(files, "REFRESH", earthIni);
    if (sites.source == WeatherSource::Pages) {
        // Eighteen pages and the page folder's lock are for the start-up only.
        if (!refresh.empty()) reportIgnored(log, "REFRESH", refresh, "the page sites are read once per run");
    } else {
        sites.refreshMinutes = kDefaultRefreshMinutes;
        const std::optional<int> minutes = fits(refresh) ? refreshMinutes(refresh) : std::nullopt;
        if (minutes) {
            sites.refreshMinutes = *minutes == 0 ? 0 : std::max(*minutes, kShortestRefreshMinutes);
        } else if (!refresh.empty()) {
            reportIgnored(log, "REFRESH", refresh);
        }
    }
    return sites;
}

}  // namespace skyroll::weather
