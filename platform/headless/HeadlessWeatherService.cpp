#include "platform/headless/HeadlessWeatherService.h"

#include <fstream>
#include <system_error>

namespace skyroll::headless {

HeadlessWeatherService::HeadlessWeatherService(std::filesystem::path answerFile)
    : m_answerFile(std::move(answerFile)) {}

std::optional<std::string> HeadlessWeatherService::fetch(const std::string& address) {
    m_addresses.push_back(address);
    if (m_latency > 0 && m_wait) m_wait(m_latency);
    if (m_answerFile.empty()) return std::nullopt;
    std::error_code error;
    const auto size = std::filesystem::file_size(m_answerFile, error);
    if (error || size > kMaxAnswerBytes) return std::nullopt;
    std::ifstream in(m_answerFile, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
    return bytes;
}

}  // namespace skyroll::headless
