#include "platform/DownloadCommand.h"

#include "platform/PathText.h"

namespace skyroll::platform {
namespace {

constexpr std::string_view kFolderOption = "-d ", kCodeOption = " -j ", kFileOption = " -o ";

}  // namespace

std::string makeW3getvCommand(const std::filesystem::path& folder, std::string_view file,
                              std::string_view address) {
    return "-d " + pathText(folder) + " -j sjis -o " + std::string(file) + " " + std::string(address);
}

std::optional<W3getvRequest> parseW3getvCommand(std::string_view command) {
    if (command.size() > kMaxCommandLength || !command.starts_with(kFolderOption)) return std::nullopt;
    const std::size_t lastBlank = command.rfind(' ');
    const std::string_view address = command.substr(lastBlank + 1);
    const std::string_view rest = command.substr(0, lastBlank);
    const std::size_t fileOption = rest.rfind(kFileOption);
    if (address.empty() || fileOption == std::string_view::npos || fileOption < kFolderOption.size())
        return std::nullopt;
    std::string_view file = rest.substr(fileOption + kFileOption.size());
    file = file.substr(0, file.find(' '));
    const std::string_view head = rest.substr(0, fileOption);
    std::size_t folderEnd = head.rfind(kCodeOption);
    if (folderEnd == std::string_view::npos || folderEnd < kFolderOption.size()) folderEnd = head.size();
    const std::string_view folder = head.substr(kFolderOption.size(), folderEnd - kFolderOption.size());
    if (folder.empty()) return std::nullopt;
    return W3getvRequest{std::string(folder), isPlainFileName(file) ? std::string(file) : std::string(),
                         std::string(address)};
}

}  // namespace skyroll::platform
