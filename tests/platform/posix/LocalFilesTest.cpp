// What the program reads from files it does not control, the home folder it
// falls back on, and the lock that lets one program run per user.

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/NativeFiles.h"
#include "platform/common/AnswerCache.h"
#include "platform/common/ProfileFile.h"
#include "platform/common/ProgramLock.h"
#include "tests/support/TestFiles.h"
#include "weather/WeatherFile.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;
using skyroll::test::TempDir;
using skyroll::test::writeFile;

class Env {
public:
    Env(const char* name, const char* value) : m_name(name) {
        if (const char* old = ::getenv(name)) m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~Env() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    Env(const Env&) = delete;
    Env& operator=(const Env&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(UntrustedFiles, OnlyRegularFilesAreReadAndNothingWaitsOnAPipe) {
    TempDir dir;
    const fs::path regular = dir.path() / "regular";
    writeFile(regular, "skyroll-answer 1\nhttp://a\n[S]\r\nK=v\r\n");
    struct Case {
        const char* name;
        fs::path file;
        bool read;
    };
    const Case cases[] = {
        {"regular file", regular, true},
        {"link to a regular file", dir.path() / "link", true},
        {"named pipe without a writer", dir.path() / "pipe", false},
        {"link to the named pipe", dir.path() / "pipe-link", false},
        {"folder", dir.path(), false},
        {"device", "/dev/zero", false},
        {"missing", dir.path() / "missing", false},
    };
    fs::create_symlink(regular, dir.path() / "link");
    ASSERT_EQ(::mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
    fs::create_symlink(dir.path() / "pipe", dir.path() / "pipe-link");

    const auto files = makeLocalFileSystem();
    for (const Case& c : cases) {
        std::string content = "left over";
        const native::ReadStatus status = native::readFileBounded(c.file, 1 << 20, content);
        EXPECT_EQ(status, c.read ? native::ReadStatus::ok : native::ReadStatus::missing) << c.name;
        EXPECT_EQ(profile::getPrivateProfileString("S", "K", "none", 64, c.file), c.read ? "v" : "none")
            << c.name;
        EXPECT_EQ(weather::ReadPageFile(*files, c.file).empty(), !c.read) << c.name;
        EXPECT_EQ(
            readKeptAnswer(*files, c.file, "http://a", 1024, WallClock::time_point(std::chrono::seconds(2)))
                .has_value(),
            c.read)
            << c.name;
    }
    // A write through the link goes to its target; a pipe is never written.
    EXPECT_TRUE(profile::writePrivateProfileString("S", "K", "w", dir.path() / "link"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
    EXPECT_EQ(profile::getPrivateProfileString("S", "K", "", 64, regular), "w");
    EXPECT_FALSE(profile::writePrivateProfileString("S", "K", "w", dir.path() / "pipe"));
    EXPECT_TRUE(fs::is_fifo(dir.path() / "pipe"));

    // A page longer than the most that is read gives its start.
    writeFile(regular, std::string(weather::kMaxPageRead + 10, 'x'));
    EXPECT_EQ(weather::ReadPageFile(*files, regular).size(), weather::kMaxPageRead);
}

// A link planted where a new file is written beside the one it replaces is
// removed, not written through: what it points to stays as it was.
TEST(UntrustedFiles, ALinkAtANewFileIsNotWrittenThrough) {
    TempDir dir;
    const fs::path target = dir.path() / "target";
    writeFile(target, "not ours");
    const fs::path weatherIni = dir.path() / "WEATHER.INI";
    const fs::path answer = dir.path() / "live-weather.json";
    fs::create_symlink(target, weather::NewWeatherFile(weatherIni));
    fs::create_symlink(target, answer.string() + ".new");
    const auto files = makeLocalFileSystem();
    weather::BeginWeatherFile(*files, weatherIni);
    weather::EndWeatherFile(*files, weatherIni);
    EXPECT_TRUE(keepAnswer(*files, answer, "http://a", "[]"));
    EXPECT_EQ(test::readFile(target), "not ours");
    EXPECT_EQ(test::readFile(weatherIni), "[WEATHER]\r\n");
    EXPECT_EQ(readKeptAnswer(*files, answer, "http://a", 16), "[]");
    EXPECT_FALSE(fs::is_symlink(weatherIni) || fs::is_symlink(answer));
}

TEST(UserHome, WithoutAUsableHomeVariableTheUserDatabaseTells) {
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    const fs::path expected = entry->pw_dir;
    TempDir dir;
    {
        Env home("HOME", dir.path().c_str());
        EXPECT_EQ(native::userHome(), dir.path());
    }
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        Env home("HOME", value);
        Env cache("XDG_CACHE_HOME", nullptr);
        EXPECT_EQ(native::userHome(), expected) << (value ? value : "unset");
        EXPECT_EQ(native::defaultSystemFolder(), expected / ".cache" / "skyroll")
            << (value ? value : "unset");
    }
}

TEST(ProgramLock, OneProgramPerUserAndTheLockGoesWithIt) {
    TempDir dir;
    const auto files = makeLocalFileSystem(dir.path() / "cache", dir.path() / "state");
    ProgramLock first = lockProgram(*files);
    ASSERT_TRUE(first.lock);
    EXPECT_FALSE(first.otherRunning);
    EXPECT_TRUE(first.message.empty());

    // A second program of the same user, here a second open of the same file.
    const ProgramLock second = lockProgram(*files);
    EXPECT_FALSE(second.lock);
    EXPECT_TRUE(second.otherRunning);
    EXPECT_NE(second.message.find("already running"), std::string::npos) << second.message;

    first.lock.reset();
    EXPECT_TRUE(lockProgram(*files).lock) << "released with its holder";

    // A lock file that cannot be used is no other program: the start fails,
    // naming the file and the reason. A link in its place is not followed.
    const fs::path lockPath = dir.path() / "state" / "skyroll.lock";
    fs::remove(lockPath);
    fs::create_symlink(dir.path() / "elsewhere", lockPath);
    const ProgramLock linked = lockProgram(*files);
    EXPECT_FALSE(linked.lock);
    EXPECT_FALSE(linked.otherRunning);
    EXPECT_TRUE(linked.unusable);
    EXPECT_NE(linked.message.find(lockPath.string() + ": it is not a plain file"), std::string::npos)
        << linked.message;
    EXPECT_FALSE(fs::exists(dir.path() / "elsewhere"));
    fs::remove(lockPath);
    fs::create_directory(lockPath);
    const ProgramLock folder = lockProgram(*files);
    EXPECT_TRUE(folder.unusable && !folder.otherRunning);
    EXPECT_NE(folder.message.find("cannot open its lock file " + lockPath.string()), std::string::npos)
        << folder.message;

    // No state folder at all: the program runs, and says it is unlocked.
    writeFile(dir.path() / "blocked", "");
    const auto nowhere = makeLocalFileSystem(dir.path() / "cache", dir.path() / "blocked" / "state");
    const ProgramLock unlocked = lockProgram(*nowhere);
    EXPECT_FALSE(unlocked.lock);
    EXPECT_FALSE(unlocked.otherRunning);
    EXPECT_FALSE(unlocked.message.empty());
}

}  // namespace
}  // namespace skyroll::platform
