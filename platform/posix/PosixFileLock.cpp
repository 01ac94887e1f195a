// FileLock on flock(2): the lock belongs to the open file, so it is released
// when the descriptor is closed, by the destructor or by the death of the
// process.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/FileLock.h"
#include "platform/StopRequest.h"

namespace skyroll::platform {
namespace {

// How often a waiting process looks whether the lock was released or a stop
// was requested.
constexpr std::chrono::milliseconds kRetryInterval{50};

class PosixFileLock final : public FileLock {
public:
    explicit PosixFileLock(int fd) : m_fd(fd) {}
    ~PosixFileLock() override { ::close(m_fd); }
    PosixFileLock(const PosixFileLock&) = delete;
    PosixFileLock& operator=(const PosixFileLock&) = delete;

private:
    int m_fd;
};

}  // namespace

std::unique_ptr<FileLock> lockFile(const std::filesystem::path& file, std::chrono::milliseconds wait,
                                   std::string* failure) {
    const auto fail = [failure](int error) {
        if (failure) *failure = std::generic_category().message(error);
    };
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        fail(errno);
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!stopRequested()) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<PosixFileLock>(fd);
        if (errno != EWOULDBLOCK && errno != EINTR) {
            fail(errno);
            break;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) break;
        // flock has no timeout of its own: look again a little later.
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kRetryInterval, deadline - now));
    }
    ::close(fd);
    return nullptr;
}

}  // namespace skyroll::platform
