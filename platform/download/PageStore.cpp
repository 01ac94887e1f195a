#include "platform/download/PageStore.h"

#include <fstream>
#include <system_error>

#include "platform/PathText.h"

namespace skyroll::platform {

namespace fs = std::filesystem;

fs::path folderOf(const W3getvRequest& request) { return pathFromText(request.folder); }

bool storePage(const W3getvRequest& request, std::string_view bytes) {
    if (!isPlainFileName(request.file)) return false;
    const fs::path folder = folderOf(request);
    std::error_code error;
    if (!fs::is_directory(folder, error)) return false;
    // std::filesystem and the file streams reach the file system with wide
    // paths on Windows, whatever the ANSI code page is.
    const fs::path target = folder / request.file;
    fs::remove(target, error);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace skyroll::platform
