// FileLock on LockFileEx: the lock belongs to the open handle, so it is
// released when the handle is closed, by the destructor or by the death of
// the process.

#include <windows.h>

#include <algorithm>
#include <string>
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

// The system's text for an error code, as UTF-8.
std::string errorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide(text ? text : L"", length);
    LocalFree(text);
    while (!wide.empty() &&
           (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' || wide.back() == L'.'))
        wide.pop_back();
    if (wide.empty()) return "error " + std::to_string(error);
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr,
                        nullptr);
    return utf8;
}

}  // namespace

std::unique_ptr<FileLock> lockFile(const std::filesystem::path& file, std::chrono::milliseconds wait,
                                   std::string* failure) {
    // A reparse point (a link) is opened as itself, not followed.
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (failure) *failure = errorText(GetLastError());
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!stopRequested()) {
        OVERLAPPED whole{};
        if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                       &whole))
            return std::make_unique<Win32FileLock>(handle);
        if (const DWORD error = GetLastError(); error != ERROR_LOCK_VIOLATION) {
            if (failure) *failure = errorText(error);
            break;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) break;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kRetryInterval, deadline - now));
    }
    CloseHandle(handle);
    return nullptr;
}

}  // namespace skyroll::platform
