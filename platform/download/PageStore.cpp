#include "platform/download/PageStore.h"

#include "platform/PathText.h"

namespace skyroll::platform {

namespace fs = std::filesystem;

fs::path folderOf(const W3getvRequest& request) { return pathFromText(request.folder); }

bool storePage(FileSystem& files, const W3getvRequest& request, std::string_view bytes) {
    if (!isPlainFileName(request.file)) return false;
    // Without the folder there is nothing to remove, and the write fails.
    const fs::path folder = folderOf(request);
    if (folder.empty()) return false;
    const fs::path target = folder / request.file;
    files.removeFile(target);
    return files.writeFile(target, bytes);
}

bool storePage(const W3getvRequest& request, std::string_view bytes) {
    return storePage(*makeLocalFileSystem(), request, bytes);
}

}  // namespace skyroll::platform
