#include "weather/LiveDownloader.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/Cp932.h"
#include "platform/DownloadCommand.h"
#include "platform/common/AnswerCache.h"
#include "platform/download/PageStore.h"
#include "weather/LiveAnswer.h"
#include "weather/WeatherTables.h"

namespace skyroll::weather {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kStored = 0;
constexpr std::int32_t kFailed = 1;

bool isRegionFile(std::string_view file) {
    return std::any_of(kRegions.begin(), kRegions.end(), [&](const Region& r) { return r.file == file; });
}

bool everyCityKnown(std::string_view file, const LiveConditions& conditions) {
    for (std::size_t row = 0; row < kCities.size(); ++row)
        if (kCities[row].file == file && !conditions[row]) return false;
    return true;
}

}  // namespace

fs::path LiveAnswerFile(const fs::path& worldTempDir) {
    return worldTempDir.parent_path() / "live-weather.json";
}

LiveDownloader::LiveDownloader(platform::FileSystem& files, platform::WeatherService& service,
                               std::string base, fs::path answerFile)
    : m_files(files), m_service(service), m_base(std::move(base)), m_answerFile(std::move(answerFile)) {}

const LiveConditions& LiveDownloader::conditions() {
    if (m_conditions) return *m_conditions;
    const std::string address = LiveAddress(m_base);
    if (const auto kept = platform::readKeptAnswer(m_files, m_answerFile, address, kMaxAnswerBytes)) {
        LiveAnswer answer = ReadLiveAnswer(*kept, kCities.size());
        if (answer.complete) return m_conditions.emplace(std::move(answer.conditions));
    }
    m_asked = true;
    const std::optional<std::string> body = m_service.fetch(address);
    LiveAnswer answer = body ? ReadLiveAnswer(*body, kCities.size()) : ReadLiveAnswer({}, kCities.size());
    // Only a whole answer is kept: after a partial one the next start asks again.
    if (answer.complete) platform::keepAnswer(m_files, m_answerFile, address, *body);
    return m_conditions.emplace(std::move(answer.conditions));
}

bool LiveDownloader::knowsAnyCity() {
    const LiveConditions& known = conditions();
    return std::any_of(known.begin(), known.end(), [](const auto& city) { return city.has_value(); });
}

std::int32_t LiveDownloader::W3getv(std::string& command, std::int32_t& /*option*/) {
    const std::optional<platform::W3getvRequest> request = platform::parseW3getvCommand(command);
    if (!request || request->file.empty()) return kFailed;
    if (!isRegionFile(request->file)) {
        platform::storePage(m_files, *request, {});
        return kFailed;
    }
    const LiveConditions& known = conditions();
    const std::string page = cp932::encode(MakeLivePage(request->file, known));
    const bool stored = platform::storePage(m_files, *request, page);
    return stored && everyCityKnown(request->file, known) ? kStored : kFailed;
}

}  // namespace skyroll::weather
