// The native file operations on POSIX systems.

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <vector>

#include "platform/NativeFiles.h"
#include "platform/common/PictureFile.h"

namespace skyroll::platform {

namespace native {
namespace {

namespace fs = std::filesystem;

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes a rename in `folder` durable; the file is complete either way.
void syncFolder(const fs::path& folder) {
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

}  // namespace

ReadStatus readFileBounded(const fs::path& file, std::size_t maxSize, std::string& content, bool cutAtMax) {
    // O_NONBLOCK: opening a named pipe with no writer would otherwise wait
    // for one forever. Regular files ignore the flag when read.
    int fd = -1;
    do {
        fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return (errno == ENOENT || errno == ENOTDIR || errno == ENXIO) ? ReadStatus::missing
                                                                       : ReadStatus::unreadable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadStatus::missing;
    }
    content.clear();
    char chunk[16 * 1024];
    ReadStatus status = ReadStatus::ok;
    while (true) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            status = ReadStatus::unreadable;
            break;
        }
        if (got == 0) break;
        if (content.size() + static_cast<std::size_t>(got) > maxSize) {
            if (cutAtMax)
                content.append(chunk, maxSize - content.size());
            else
                status = ReadStatus::unreadable;
            break;
        }
        content.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return status;
}

bool replaceFileAtomically(const fs::path& target, std::string_view content) {
    // The old file's permission bits go to the new one; a new file gets the
    // usual ones (0666 less the umask).
    std::optional<mode_t> mode;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) mode = old.st_mode & 07777;

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::random_device random;
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, ".skyroll-%08x%08x.tmp", random(), random());
        temporary = folder / name;
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = (!mode || ::fchmod(fd, *mode) == 0) && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

bool createNewFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool replaceWithFile(const fs::path& written, const fs::path& target) {
    const int fd = ::open(written.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(written.c_str(), target.c_str()) != 0) return false;
    syncFolder(target.has_parent_path() ? target.parent_path() : fs::path("."));
    return true;
}

fs::path executableFolder() {
    // The kernel's own record of the executable, as bytes: no conversion to
    // text that a folder name in another encoding could fail.
    std::vector<char> buffer(4096);
    while (true) {
        const ssize_t got = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (got < 0) return {};
        if (static_cast<std::size_t>(got) < buffer.size()) {
            const fs::path executable(std::string(buffer.data(), static_cast<std::size_t>(got)));
            // A replaced or removed executable reads as "<path> (deleted)":
            // no folder to trust then.
            if (!executable.is_absolute() || !executable.has_parent_path()) return {};
            return executable.parent_path();
        }
        if (buffer.size() >= 1u << 20) return {};
        buffer.resize(buffer.size() * 2);
    }
}

fs::path userHome() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        const fs::path base(home);
        if (base.is_absolute()) return base;
    }
    // As other programs do without $HOME: the user database's entry.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (error != 0 || found == nullptr || found->pw_dir == nullptr) return {};
    const fs::path base(found->pw_dir);
    return base.is_absolute() ? base : fs::path();
}

namespace {

// $<variable>/skyroll when the variable holds an absolute path (the base
// directory rules ignore a relative one), else <home>/<fallback>/skyroll.
fs::path xdgFolder(const char* variable, const char* fallback) {
    if (const char* xdg = std::getenv(variable); xdg != nullptr && *xdg != '\0') {
        const fs::path base(xdg);
        if (base.is_absolute()) return base / "skyroll";
    }
    const fs::path home = userHome();
    return home.empty() ? fs::path() : home / fallback / "skyroll";
}

}  // namespace

fs::path userConfigFolder() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

fs::path userStateFolder() { return xdgFolder("XDG_STATE_HOME", ".local/state"); }

fs::path userCacheFolder() { return xdgFolder("XDG_CACHE_HOME", ".cache"); }

fs::path defaultSystemFolder() { return userCacheFolder(); }

}  // namespace native

std::optional<FileIdentity> identifyFile(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    FileIdentity id;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    id.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    return id;
}

}  // namespace skyroll::platform
