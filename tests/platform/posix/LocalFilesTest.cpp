// What the program reads from files it does not control, the home folder it
// falls back on, the local file system (the two layouts it finds at start,
// the cache folder, its file operations), and the lock that lets one
// program run per user.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

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
using skyroll::test::readFile;
using skyroll::test::ScopedEnv;
using skyroll::test::TempDir;
using skyroll::test::treeOf;
using skyroll::test::writeFile;
using skyroll::test::writeGlobeFrames;

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
        ScopedEnv home("HOME", dir.path().c_str());
        EXPECT_EQ(native::userHome(), dir.path());
    }
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        ScopedEnv home("HOME", value);
        ScopedEnv cache("XDG_CACHE_HOME", nullptr);
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

TEST(LocalFileSystem, SystemFolderIsTheUserCacheFolder) {
    TempDir home;
    const std::string xdg = (home.path() / "xdg").string();
    struct Case {
        const char* name;
        const char* xdgCacheHome;
        fs::path expected;
    };
    const Case cases[] = {
        {"XDG_CACHE_HOME set", xdg.c_str(), home.path() / "xdg" / "skyroll"},
        {"XDG_CACHE_HOME unset", nullptr, home.path() / ".cache" / "skyroll"},
        {"XDG_CACHE_HOME empty", "", home.path() / ".cache" / "skyroll"},
        {"XDG_CACHE_HOME relative", "relative/cache", home.path() / ".cache" / "skyroll"},
    };
    ScopedEnv homeEnv("HOME", home.path().c_str());
    for (const Case& c : cases) {
        ScopedEnv xdgEnv("XDG_CACHE_HOME", c.xdgCacheHome);
        EXPECT_EQ(makeLocalFileSystem()->systemFolder(), c.expected) << c.name;
        EXPECT_TRUE(fs::is_directory(c.expected)) << c.name;
    }
}

TEST(LocalFileSystem, FileOperationsReportFailure) {
    TempDir folder;
    const auto files = makeLocalFileSystem(folder.path());
    EXPECT_TRUE(files->createFolder(folder.path() / "a"));
    EXPECT_FALSE(files->createFolder(folder.path() / "a")) << "already there";
    EXPECT_FALSE(files->createFolder(folder.path() / "b" / "c")) << "parent missing";
    EXPECT_TRUE(files->folderExists(folder.path() / "a"));
    EXPECT_TRUE(files->writeFile(folder.path() / "a" / "x.html", "DUMMY DATA\r\n"));
    EXPECT_EQ(readFile(folder.path() / "a" / "x.html"), "DUMMY DATA\r\n");
    EXPECT_FALSE(files->folderExists(folder.path() / "a" / "x.html"));
    EXPECT_FALSE(files->writeFile(folder.path() / "b" / "x.html", "")) << "folder missing";
    EXPECT_EQ(files->deleteFilesEndingWith(folder.path() / "b", ".html"), -1) << "folder missing";
    EXPECT_EQ(files->deleteFilesEndingWith(folder.path() / "a", ".html"), 1);
    EXPECT_EQ(files->deleteFilesEndingWith(folder.path() / "a", ".html"), 0);
}

// A home folder of its own, without XDG_CONFIG_HOME, and a cache folder.
struct Layout {
    Layout() : home("HOME", dir.path().c_str()), config("XDG_CONFIG_HOME", nullptr) {}
    fs::path cache() const { return dir.path() / "cache"; }
    std::unique_ptr<FileSystem> files() {
        return makeLocalFileSystem(cache(), {}, [this](const std::string& note) { notes.push_back(note); });
    }

    TempDir dir;
    ScopedEnv home;
    ScopedEnv config;
    std::vector<std::string> notes;
};

TEST(ProgramFiles, PortableKeepsEverythingInSkr20) {
    Layout l;
    const fs::path app = l.dir.path() / "app";
    writeGlobeFrames(app);
    const ProgramFiles files = l.files()->programFiles(app);
    EXPECT_EQ(files.dataFolder, app / "SKR20");
    EXPECT_EQ(files.earthIni, app / "SKR20" / "PALAM" / "EARTH.INI");
    EXPECT_EQ(files.weatherIni, app / "SKR20" / "PALAM" / "WEATHER.INI");
    EXPECT_TRUE(l.notes.empty());
    EXPECT_EQ(treeOf(app / "SKR20" / "PALAM"), std::vector<std::string>{}) << "no trace of the write check";
    EXPECT_FALSE(fs::exists(l.dir.path() / ".config"));

    // A portable folder without PALAM gets one.
    fs::remove(app / "SKR20" / "PALAM");
    EXPECT_EQ(l.files()->programFiles(app).weatherIni, app / "SKR20" / "PALAM" / "WEATHER.INI");
    EXPECT_TRUE(fs::is_directory(app / "SKR20" / "PALAM"));
}

TEST(ProgramFiles, PortableWithPalamNotWritableKeepsTheWeatherInTheCache) {
    Layout l;
    const fs::path app = l.dir.path() / "app";
    fs::create_directories(app / "SKR20");
    // A file where PALAM should be cannot be written into, even by root.
    writeFile(app / "SKR20" / "PALAM", "");
    const ProgramFiles files = l.files()->programFiles(app);
    EXPECT_EQ(files.earthIni, app / "SKR20" / "PALAM" / "EARTH.INI");
    EXPECT_EQ(files.weatherIni, l.cache() / "WEATHER.INI");
    ASSERT_EQ(l.notes.size(), 1u);
    EXPECT_NE(l.notes[0].find((app / "SKR20" / "PALAM").string()), std::string::npos) << l.notes[0];
    EXPECT_NE(l.notes[0].find((l.cache() / "WEATHER.INI").string()), std::string::npos) << l.notes[0];
}

TEST(ProgramFiles, InstalledUsesTheSharedDataAndTheUserFolders) {
    Layout l;
    const fs::path bin = l.dir.path() / "usr" / "bin";
    fs::create_directories(bin);
    const ProgramFiles files = l.files()->programFiles(bin);
    EXPECT_EQ(files.dataFolder, l.dir.path() / "usr" / "share" / "skyroll" / "SKR20");
    EXPECT_EQ(files.earthIni, l.dir.path() / ".config" / "skyroll" / "EARTH.INI");
    EXPECT_EQ(files.weatherIni, l.cache() / "WEATHER.INI");
    EXPECT_TRUE(fs::is_directory(l.dir.path() / ".config" / "skyroll"));
    EXPECT_TRUE(fs::is_directory(l.cache()));

    const std::string xdg = (l.dir.path() / "xdg").string();
    {
        ScopedEnv config("XDG_CONFIG_HOME", xdg.c_str());
        EXPECT_EQ(l.files()->programFiles(bin).earthIni, l.dir.path() / "xdg" / "skyroll" / "EARTH.INI");
    }
    EXPECT_TRUE(l.notes.empty());
}

}  // namespace
}  // namespace skyroll::platform
