// The downloader's command parser over arbitrary command strings: a parsed
// command always names a folder and an address, its file never leaves the
// folder, and the command written for what was read reads back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/DownloadCommand.h"
#include "platform/PathText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyroll::platform;
    const std::string_view command(reinterpret_cast<const char*>(data), size);
    const auto request = parseW3getvCommand(command);
    if (!request) return 0;
    if (request->folder.empty() || request->address.empty()) std::abort();
    if (!request->file.empty() && !isPlainFileName(request->file)) std::abort();
    if (request->address.find(' ') != std::string::npos) std::abort();
    if (command.find(request->folder) == std::string_view::npos) std::abort();
    if (request->file.empty()) return 0;
    const std::string written =
        makeW3getvCommand(pathFromText(request->folder), request->file, request->address);
    if (written.size() > kMaxCommandLength) return 0;
    const auto again = parseW3getvCommand(written);
    if (!again || again->folder != request->folder || again->file != request->file ||
        again->address != request->address)
        std::abort();
    return 0;
}
