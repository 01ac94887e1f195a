#pragma once
// The hosts of the two weather sites, configured in EARTH.INI:
//   [SITES]
//   WORLD=host[:port]
//   JAPAN=host[:port]

#include <filesystem>
#include <string>
#include <string_view>

namespace skyroll::weather {

struct Sites {
    std::string world;  // host or host:port
    std::string japan;
};

// Used when EARTH.INI names no usable host: a mirror of both sites on this
// machine (see weather/README.md).
inline constexpr std::string_view kDefaultWorldSite = "localhost:8018";
inline constexpr std::string_view kDefaultJapanSite = "localhost:8018";

// True for a plain host name, IPv4 address or bracketed IPv6 address,
// optionally followed by ":port": no blanks, no slash, no scheme.
bool IsPlainHost(std::string_view site);

// Hosts from EARTH.INI, section "SITES", keys "WORLD" and "JAPAN"; a value that
// is not a plain host or host:port is ignored as if absent; defaults when absent.
Sites ReadSites(const std::filesystem::path& earthIni);

}  // namespace skyroll::weather
