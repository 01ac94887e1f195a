#pragma once
// The open weather service behind the live weather source: one HTTP request
// that answers for many places at once.

#include <optional>
#include <string>

namespace skyroll::platform {

class WeatherService {
public:
    virtual ~WeatherService() = default;

    // GETs `address` (http or https) within the downloader's bounds: connect
    // time, time per request, size, and the time of a whole refresh, counted
    // from this request (the live source asks once per refresh, and a
    // program that runs for days refreshes again and again). Returns the
    // body of a 2xx answer; std::nullopt on any failure (refused, no answer
    // in time, an HTTP error status, too large, not http(s)).
    virtual std::optional<std::string> fetch(const std::string& address) = 0;
};

}  // namespace skyroll::platform
