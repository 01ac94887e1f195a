// FileLock on LockFileEx: the lock belongs to the open handle, so it is
// released when the handle is closed, by the destructor or by the death of
// the process.

#include <windows.h>

#include <algorithm>
#include <thread>

#include "platform/FileLock.h"
#include "platform/StopRequest.h"

namespace skyroll::platform {
namespace {

// How often a waiting process looks whether the lock was released or a stop
// was requested.
constexpr std::chrono::milliseconds kRetryInterval{50};

class Win32FileLock final : public FileLock {
public:
    explicit Win32FileLock(HANDLE file) : m_file(file) {}
    ~Win32FileLock() override { CloseHandle(m_file); }
    Win32FileLock(const Win32FileLock&) = delete;
    Win32FileLock& operator=(const Win32FileLock&) = delete;

private:
    HANDLE m_file;
};

}  // namespace

std::unique_ptr<FileLock> lockFile(const std::filesystem::path& file, std::chrono::milliseconds wait) {
    // A reparse point (a link) is opened as itself, not followed.
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!stopRequested()) {
        OVERLAPPED whole{};
        if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
            return std::make_unique<Win32FileLock>(handle);
        if (GetLastError() != ERROR_LOCK_VIOLATION) break;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) break;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kRetryInterval, deadline - now));
    }
    CloseHandle(handle);
    return nullptr;
}

}  // namespace skyroll::platform
