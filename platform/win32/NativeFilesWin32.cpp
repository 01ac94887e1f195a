// The native file operations on Windows, all through the wide-character
// functions, so that a path means the same whatever the ANSI code page is.

#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <optional>

#include "platform/NativeFiles.h"
#include "platform/common/PictureFile.h"
#include "platform/win32/Win32Folders.h"

namespace skyroll::platform {

namespace {

namespace fs = std::filesystem;

// Closes a handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    // Closes now, telling whether the close itself succeeded.
    bool close() {
        const bool ok = valid() && CloseHandle(m_handle) != 0;
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle;
};

bool writeAll(HANDLE file, std::string_view data) {
    while (!data.empty()) {
        const DWORD chunk = data.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(data.size());
        DWORD written = 0;
        if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
        data.remove_prefix(written);
    }
    return true;
}

// A name for a temporary file that no other writer of this process or
// another one picks at the same moment; CREATE_NEW settles the rest.
fs::path temporaryBeside(const fs::path& folder, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    wchar_t name[64];
    std::swprintf(name, 64, L".skyroll-%08lx-%08x-%08lx.tmp",
                  static_cast<unsigned long>(GetCurrentProcessId()), counter.fetch_add(1) + attempt,
                  static_cast<unsigned long>(GetTickCount()));
    return folder / name;
}

// True when a new file can be made in `folder`: tried, not guessed, since
// the answer depends on the account, the folder's rights and virtualisation.
bool canCreateFilesIn(const fs::path& folder) {
    if (folder.empty()) return false;
    const fs::path probe = temporaryBeside(folder, 0);
    Handle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.valid();
}

}  // namespace

namespace native {

ReadStatus readFileBounded(const fs::path& file, std::size_t maxSize, std::string& content, bool cutAtMax) {
    Handle handle(CreateFileW(file.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(file.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return (folder || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                   ? ReadStatus::missing
                   : ReadStatus::unreadable;
    }
    // Only files on a disk: a pipe or a device reads as missing.
    if (GetFileType(handle.get()) != FILE_TYPE_DISK) return ReadStatus::missing;
    content.clear();
    char chunk[16 * 1024];
    while (true) {
        DWORD got = 0;
        if (!ReadFile(handle.get(), chunk, sizeof chunk, &got, nullptr)) return ReadStatus::unreadable;
        if (got == 0) break;
        if (content.size() + got > maxSize) {
            if (!cutAtMax) return ReadStatus::unreadable;
            content.append(chunk, maxSize - content.size());
            break;
        }
        content.append(chunk, got);
    }
    return ReadStatus::ok;
}

bool replaceFileAtomically(const fs::path& target, std::string_view content) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(L".");
    fs::path temporary;
    std::optional<Handle> file;
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        temporary = temporaryBeside(folder, attempt);
        file.emplace(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file->valid()) break;
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (!file->valid()) return false;

    bool ok = writeAll(file->get(), content) && FlushFileBuffers(file->get()) != 0;
    ok = file->close() && ok;
    if (ok) {
        // ReplaceFileW keeps the old file's security; a new target (or a file
        // system that cannot replace) takes a plain move. The attributes that
        // a user sets (hidden, say) are carried over by hand: not every
        // implementation of ReplaceFileW keeps them (Wine's does not).
        const DWORD attributes = GetFileAttributesW(target.c_str());
        const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
        constexpr DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                   FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (exists && (attributes & kCarried) != 0)
            SetFileAttributesW(temporary.c_str(), attributes & kCarried);
        // Never over a folder in the file's place (under Wine these calls
        // succeed over one).
        if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) ok = false;
        ok = ok && ((exists && ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0) ||
                    MoveFileExW(temporary.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
    }
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

bool createNewFile(const fs::path& file) {
    return Handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr))
        .valid();
}

bool replaceWithFile(const fs::path& written, const fs::path& target) {
    {
        Handle file(CreateFileW(written.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() || FlushFileBuffers(file.get()) == 0) return false;
    }
    return MoveFileExW(written.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           0;
}

fs::path executableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (buffer.size() <= 32768) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            const fs::path executable(std::wstring_view(buffer.data(), length));
            return executable.is_absolute() ? executable.parent_path() : fs::path();
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

fs::path userHome() {
    PWSTR profile = nullptr;
    fs::path home;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &profile))) home = fs::path(profile);
    CoTaskMemFree(profile);
    return home;
}

namespace {

// <known folder>\Skyroll; empty when the system does not know the folder.
fs::path knownFolderOfOurs(REFKNOWNFOLDERID id) {
    PWSTR base = nullptr;
    fs::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &base)) && base != nullptr && *base != L'\0')
        folder = fs::path(base) / L"Skyroll";
    CoTaskMemFree(base);
    return folder.is_absolute() ? folder : fs::path();
}

}  // namespace

fs::path userConfigFolder() { return knownFolderOfOurs(FOLDERID_RoamingAppData); }

fs::path userStateFolder() { return knownFolderOfOurs(FOLDERID_LocalAppData); }

fs::path userCacheFolder() { return knownFolderOfOurs(FOLDERID_LocalAppData); }

fs::path defaultSystemFolder() {
    fs::path system;
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH) system = fs::path(std::wstring_view(buffer, length));
    return win32::writableFolderOr(system, knownFolderOfOurs(FOLDERID_LocalAppData));
}

}  // namespace native

namespace win32 {

fs::path writableFolderOr(const fs::path& preferred, const fs::path& fallback) {
    return canCreateFilesIn(preferred) ? preferred : fallback;
}

}  // namespace win32

std::optional<FileIdentity> identifyFile(const std::filesystem::path& file) {
    Handle handle(CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!GetFileInformationByHandle(handle.get(), &info) ||
        !GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &times, sizeof times) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    FileIdentity id;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    id.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    // 100-nanosecond units; only equality matters.
    id.mtimeNs = times.LastWriteTime.QuadPart * 100;
    id.ctimeNs = times.ChangeTime.QuadPart * 100;
    return id;
}

}  // namespace skyroll::platform
