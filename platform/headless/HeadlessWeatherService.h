#pragma once
// The headless platform's weather service: never opens a socket. Every
// request is answered with the bytes of one answer file (a recorded answer
// of the service); without one, or when it is missing or larger than the
// downloader's limit, every request fails. An answer may be made to take
// its time, with the program's event loop running meanwhile, as a desktop
// build's transfer waits.

#include <cstddef>
#include <filesystem>
#include <functional>
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

    // Later requests are answered from `file` (empty: they fail).
    void setAnswerFile(std::filesystem::path file) { m_answerFile = std::move(file); }
    // Later requests end `seconds` after they are made, answered or failed:
    // `wait` is called with the seconds and runs the event loop meanwhile.
    void answerAfter(double seconds, std::function<void(double)> wait) {
        m_latency = seconds;
        m_wait = std::move(wait);
    }

private:
    std::filesystem::path m_answerFile;
    std::vector<std::string> m_addresses;
    double m_latency = 0;
    std::function<void(double)> m_wait;
};

}  // namespace skyroll::headless
