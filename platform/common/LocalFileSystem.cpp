// The file system on std::filesystem. The folder that stands in for the
// system folder and the per-user folders come from the native file
// operations, each system's own; the per-user configuration folder holds the
// settings of an installed program.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/NativeFiles.h"
#include "platform/common/ProfileFile.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;

// `folder`, made with its parents when missing; empty when it cannot be.
fs::path madeFolder(const fs::path& folder) {
    if (folder.empty()) return {};
    std::error_code error;
    if (fs::is_directory(folder, error)) return folder;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) return {};
    return folder;
}

// Whether a new file can be made in `folder`. Asked of the folder itself by
// making and removing a file of our own: permission bits do not tell about
// read-only mounts, and root passes them all.
bool canWriteIn(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return false;
    std::random_device random;
    const fs::path probe = folder / (".skyroll-" + std::to_string(random()) + ".tmp");
    // Never opens, and so never removes, a file that is already there.
    if (!native::createNewFile(probe)) return false;
    fs::remove(probe, error);
    return true;
}

class LocalFileSystem final : public FileSystem {
public:
    LocalFileSystem(fs::path systemFolderOverride, fs::path stateFolderOverride,
                    std::function<void(const std::string&)> log)
        : m_override(std::move(systemFolderOverride)),
          m_stateOverride(std::move(stateFolderOverride)),
          m_log(std::move(log)) {}

    fs::path systemFolder() override {
        return madeFolder(m_override.empty() ? native::defaultSystemFolder() : m_override);
    }

    ProgramFiles programFiles(const fs::path& appFolder) override {
        std::error_code error;
        const fs::path portable = appFolder / "SKR20";
        if (!fs::is_directory(portable, error)) {
            const fs::path config = madeFolder(native::userConfigFolder());
            const fs::path cache = weatherFolder();
            return {appFolder.parent_path() / "share" / "skyroll" / "SKR20",
                    config.empty() ? fs::path() : config / "EARTH.INI",
                    cache.empty() ? fs::path() : cache / "WEATHER.INI"};
        }
        const fs::path palam = portable / "PALAM";
        if (!fs::exists(palam, error)) fs::create_directory(palam, error);
        ProgramFiles files{portable, palam / "EARTH.INI", palam / "WEATHER.INI"};
        if (!canWriteIn(palam)) {
            const fs::path cache = weatherFolder();
            files.weatherIni = cache.empty() ? fs::path() : cache / "WEATHER.INI";
            if (m_log)
                m_log("The folder " + palam.string() + " cannot be written: the weather file is kept in " +
                      (cache.empty() ? std::string("no folder") : files.weatherIni.string()) + " instead.");
        }
        return files;
    }

    fs::path stateFolder() override {
        return madeFolder(m_stateOverride.empty() ? native::userStateFolder() : m_stateOverride);
    }

    bool folderExists(const fs::path& folder) override {
        std::error_code error;
        return fs::is_directory(fs::symlink_status(folder, error));
    }

    bool createFolder(const fs::path& folder) override {
        std::error_code error;
        return fs::create_directory(folder, error) && !error;
    }

    ReadStatus readFile(const fs::path& file, std::size_t maxSize, std::string& content,
                        bool cutAtMax) override {
        return native::readFileBounded(file, maxSize, content, cutAtMax);
    }

    bool writeFile(const fs::path& file, std::string_view bytes) override {
        return write(file, bytes, std::ios::trunc);
    }

    bool appendFile(const fs::path& file, std::string_view bytes) override {
        return write(file, bytes, std::ios::app);
    }

    bool replaceWithFile(const fs::path& written, const fs::path& target) override {
        return native::replaceWithFile(written, target);
    }

    bool removeFile(const fs::path& file) override {
        std::error_code error;
        fs::remove(file, error);
        return !error;
    }

    std::string readProfileString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::size_t bufferSize,
                                  const fs::path& file) override {
        return profile::getPrivateProfileString(section, key, defaultValue, bufferSize, file);
    }

    bool writeProfileStrings(std::span<const ProfileEntry> entries, const fs::path& file) override {
        return profile::writePrivateProfileStrings(entries, file);
    }

    std::unique_ptr<FileLock> lock(const fs::path& file, std::chrono::milliseconds wait,
                                   std::string* failure) override {
        return lockFile(file, wait, failure);
    }

    int deleteFilesEndingWith(const fs::path& folder, std::string_view suffix) override {
        return deleteMatching(folder, [suffix](const fs::directory_entry& entry) {
            const std::string name = entry.path().filename().string();
            std::error_code error;
            return name.size() >= suffix.size() &&
                   name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                   entry.is_regular_file(error);
        });
    }

    int deleteLeftovers(const fs::path& folder, const std::vector<fs::path>& alsoNamed) override {
        return deleteMatching(
            folder,
            [&alsoNamed](const fs::directory_entry& entry) {
                const fs::path name = entry.path().filename();
                std::error_code error;
                return (isTemporaryFileName(name) ||
                        std::find(alsoNamed.begin(), alsoNamed.end(), name) != alsoNamed.end()) &&
                       entry.is_regular_file(error) && !entry.is_symlink(error);
            },
            [this](const fs::path& file) {
                if (m_log) m_log("a leftover temporary file is removed: " + file.string());
            });
    }

private:
    // std::filesystem and the file streams reach the file system with wide
    // paths on Windows, whatever the ANSI code page is.
    static bool write(const fs::path& file, std::string_view bytes, std::ios::openmode mode) {
        std::ofstream out(file, std::ios::binary | mode);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        return !out.fail();
    }

    // The folder of the weather file outside the program's folder: the
    // per-user cache folder (on Windows never the system folder, where only
    // the page folder belongs), or the folder given for the system folder.
    fs::path weatherFolder() {
        return madeFolder(m_override.empty() ? native::userCacheFolder() : m_override);
    }

    // Deletes the entries of `folder` (never followed when it is a link) that
    // `matches`; -1 when the folder cannot be listed or one cannot be deleted.
    // Collected first: removing entries while a directory is being read may
    // or may not show them to the iteration.
    template <typename Matches>
    static int deleteMatching(const fs::path& folder, Matches matches,
                              const std::function<void(const fs::path&)>& deleted = {}) {
        std::vector<fs::path> matching;
        std::error_code error;
        if (fs::is_symlink(fs::symlink_status(folder, error))) return -1;
        fs::directory_iterator it(folder, error);
        if (error) return -1;
        for (; it != fs::directory_iterator(); it.increment(error)) {
            if (error) return -1;
            if (matches(*it)) matching.push_back(it->path());
        }
        if (error) return -1;
        for (const fs::path& file : matching) {
            if (!fs::remove(file, error) || error) return -1;
            if (deleted) deleted(file);
        }
        return static_cast<int>(matching.size());
    }

    fs::path m_override;
    fs::path m_stateOverride;
    std::function<void(const std::string&)> m_log;
};

}  // namespace

std::unique_ptr<FileSystem> makeLocalFileSystem(std::filesystem::path systemFolderOverride,
                                                std::filesystem::path stateFolderOverride,
                                                std::function<void(const std::string&)> log) {
    return std::make_unique<LocalFileSystem>(std::move(systemFolderOverride), std::move(stateFolderOverride),
                                             std::move(log));
}

bool isTemporaryFileName(const fs::path& name) {
    // Compared on the system's own form of the name (wide on Windows), so a
    // name no code page can hold is simply not ours.
    const auto& text = name.native();
    constexpr std::string_view prefix = ".skyroll-", suffix = ".tmp";
    if (text.size() <= prefix.size() + suffix.size() || text.size() > prefix.size() + 40 + suffix.size())
        return false;
    const auto matches = [&](std::size_t at, std::string_view part) {
        for (std::size_t i = 0; i < part.size(); ++i)
            if (text[at + i] != static_cast<unsigned char>(part[i])) return false;
        return true;
    };
    if (!matches(0, prefix) || !matches(text.size() - suffix.size(), suffix)) return false;
    for (std::size_t i = prefix.size(); i < text.size() - suffix.size(); ++i) {
        const auto c = text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-')) return false;
    }
    return true;
}

}  // namespace skyroll::platform
