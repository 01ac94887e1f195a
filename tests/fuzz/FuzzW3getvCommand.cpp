// The downloader's command parser over arbitrary command strings: a parsed
// command always names a folder and an address, and its file never leaves
// the folder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/download/W3getvCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyroll::platform;
    const std::string_view command(reinterpret_cast<const char*>(data), size);
    const auto request = parseW3getvCommand(command);
    if (!request) return 0;
    if (request->folder.empty() || request->address.empty()) std::abort();
    if (!request->file.empty() && !isPlainFileName(request->file)) std::abort();
    if (request->address.find(' ') != std::string::npos) std::abort();
    if (command.find(request->folder) == std::string_view::npos) std::abort();
    return 0;
}
