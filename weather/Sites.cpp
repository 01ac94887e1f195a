#include "weather/Sites.h"

#include <cstddef>

#include "platform/ProfileFile.h"

namespace skyroll::weather {
namespace {

constexpr std::size_t kMaxHostLength = 253;
constexpr std::size_t kBufferSize = 300;

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

std::string readSite(std::string_view key, std::string_view fallback, const std::filesystem::path& earthIni) {
    std::string value = profile::getPrivateProfileString("SITES", key, "", kBufferSize, earthIni);
    return IsPlainHost(value) ? value : std::string(fallback);
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

Sites ReadSites(const std::filesystem::path& earthIni) {
    return {readSite("WORLD", kDefaultWorldSite, earthIni), readSite("JAPAN", kDefaultJapanSite, earthIni)};
}

}  // namespace skyroll::weather
