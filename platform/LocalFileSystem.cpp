// The file system on std::filesystem; the folder that stands in for the system
// folder comes from the native file operations.

#include <fstream>
#include <system_error>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/NativeFiles.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;

class LocalFileSystem final : public FileSystem {
public:
    explicit LocalFileSystem(fs::path systemFolderOverride) : m_override(std::move(systemFolderOverride)) {}

    fs::path systemFolder() override {
        const fs::path folder = m_override.empty() ? native::defaultSystemFolder() : m_override;
        if (folder.empty()) return {};
        std::error_code error;
        if (fs::is_directory(folder, error)) return folder;
        fs::create_directories(folder, error);
        if (error || !fs::is_directory(folder, error)) return {};
        return folder;
    }

    bool folderExists(const fs::path& folder) override {
        std::error_code error;
        return fs::is_directory(folder, error);
    }

    bool createFolder(const fs::path& folder) override {
        std::error_code error;
        return fs::create_directory(folder, error) && !error;
    }

    bool writeFile(const fs::path& file, std::string_view bytes) override {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        return !out.fail();
    }

    int deleteFilesEndingWith(const fs::path& folder, std::string_view suffix) override {
        // Collected first: removing entries while a directory is being read
        // may or may not show them to the iteration.
        std::vector<fs::path> matching;
        std::error_code error;
        fs::directory_iterator it(folder, error);
        if (error) return -1;
        for (; it != fs::directory_iterator(); it.increment(error)) {
            if (error) return -1;
            const std::string name = it->path().filename().string();
            if (name.size() < suffix.size() ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            std::error_code typeError;
            if (it->is_regular_file(typeError)) matching.push_back(it->path());
        }
        if (error) return -1;
        for (const fs::path& file : matching) {
            if (!fs::remove(file, error) || error) return -1;
        }
        return static_cast<int>(matching.size());
    }

private:
    fs::path m_override;
};

}  // namespace

std::unique_ptr<FileSystem> makeLocalFileSystem(std::filesystem::path systemFolderOverride) {
    return std::make_unique<LocalFileSystem>(std::move(systemFolderOverride));
}

}  // namespace skyroll::platform
