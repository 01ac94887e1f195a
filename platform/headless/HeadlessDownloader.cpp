#include "platform/headless/HeadlessDownloader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "platform/DownloadCommand.h"
#include "platform/PathText.h"
#include "platform/StopRequest.h"
#include "platform/download/PageStore.h"

namespace skyroll::headless {
namespace {

namespace fs = std::filesystem;

// The path part of an address, as a relative path under the pages folder;
// std::nullopt when it is no http(s) address or would leave the folder.
std::optional<fs::path> pagePathOf(std::string_view address) {
    const std::size_t scheme = address.find("://");
    if (scheme == std::string_view::npos) return std::nullopt;
    const std::string_view schemeName = address.substr(0, scheme);
    if (schemeName != "http" && schemeName != "https") return std::nullopt;
    std::string_view rest = address.substr(scheme + 3);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    rest = rest.substr(slash + 1);
    rest = rest.substr(0, rest.find_first_of("?#"));
    fs::path relative;
    while (!rest.empty()) {
        const std::string_view part = rest.substr(0, rest.find('/'));
        rest.remove_prefix(std::min(rest.size(), part.size() + 1));
        if (part.empty()) continue;
        if (!platform::isPlainFileName(part)) return std::nullopt;
        relative /= std::string(part);
    }
    if (relative.empty()) return std::nullopt;
    return relative;
}

std::optional<std::string> readPage(const fs::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return std::nullopt;
    const auto size = fs::file_size(file, error);
    if (error || size > HeadlessDownloader::kMaxPageBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != bytes.size()) return std::nullopt;
    return bytes;
}

}  // namespace

HeadlessDownloader::HeadlessDownloader(std::filesystem::path pagesFolder)
    : m_pagesFolder(std::move(pagesFolder)) {}

std::int32_t HeadlessDownloader::W3getv(std::string& command, std::int32_t& /*option*/) {
    m_commands.push_back(command);
    if (m_whileTransferring) m_whileTransferring();
    const std::optional<platform::W3getvRequest> request = platform::parseW3getvCommand(command);
    if (!request || request->file.empty()) return 1;

    std::optional<std::string> page;
    if (!m_pagesFolder.empty() && !platform::stopRequested()) {
        if (const std::optional<fs::path> relative = pagePathOf(request->address))
            page = readPage(m_pagesFolder / *relative);
    }

    const bool stored = platform::storePage(*request, page ? *page : std::string());
    return stored && page ? 0 : 1;
}

}  // namespace skyroll::headless
