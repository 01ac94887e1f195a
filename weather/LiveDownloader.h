#pragma once
// The live weather source behind W3getv: the first call asks the open weather
// service once for all 28 cities (or takes an answer kept from the last 10
// minutes); every call then stores the page it names, made from that answer,
// in code page 932. The refresh does not know which source it talks to.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Downloader.h"
#include "platform/FileSystem.h"
#include "platform/WeatherService.h"
#include "weather/LiveWeather.h"

namespace skyroll::weather {

// Where a successful answer is kept: beside the page folder, whose start-up
// clean-up leaves it alone.
std::filesystem::path LiveAnswerFile(const std::filesystem::path& worldTempDir);

class LiveDownloader final : public platform::Downloader {
public:
    // The largest answer read back from the kept file; the service's own
    // fetch is bounded by the downloader's limit.
    static constexpr std::size_t kMaxAnswerBytes = 4 * 1024 * 1024;

    // `base`: the service's base address, e.g. "https://api.open-meteo.com".
    // The answer is kept and the pages are stored through `files`.
    LiveDownloader(platform::FileSystem& files, platform::WeatherService& service, std::string base,
                   std::filesystem::path answerFile);

    // Stores the page named by the command ("-d <folder> -j sjis -o <file>
    // <address>"; the address is not used). Returns 0 when every city of the
    // page has its weather, non-zero otherwise: its cities then carry "不明".
    // An unknown file name stores an empty page and fails.
    std::int32_t W3getv(std::string& command, std::int32_t& option) override;

    // The service was asked (at most once per downloader).
    bool asked() const { return m_asked; }

    // Asks the service now (or reads the kept answer), unless that was done
    // already; true when the answer gives the weather of at least one city.
    // False when it failed as a whole: refused, no answer in time, an HTTP
    // error, not the expected answer.
    bool knowsAnyCity();

private:
    const LiveConditions& conditions();

    platform::FileSystem& m_files;
    platform::WeatherService& m_service;
    std::string m_base;
    std::filesystem::path m_answerFile;
    std::optional<LiveConditions> m_conditions;
    bool m_asked = false;
};

}  // namespace skyroll::weather
