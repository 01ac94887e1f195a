#pragma once
// The headless platform's weather service: never opens a socket. Every
// request is answered with the bytes of one answer file (a recorded answer
// of the service); without one, or when it is missing or larger than the
// downloader's limit, every request fails.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/WeatherService.h"

namespace skyroll::headless {

class HeadlessWeatherService final : public platform::WeatherService {
public:
    static constexpr std::size_t kMaxAnswerBytes = 4 * 1024 * 1024;

    explicit HeadlessWeatherService(std::filesystem::path answerFile = {});

    std::optional<std::string> fetch(const std::string& address) override;

    // Every address asked for, in order.
    const std::vector<std::string>& addresses() const { return m_addresses; }

private:
    std::filesystem::path m_answerFile;
    std::vector<std::string> m_addresses;
};

}  // namespace skyroll::headless
