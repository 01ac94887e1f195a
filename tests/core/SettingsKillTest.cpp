// OK in the settings dialog, with the program killed at each step of the
// settings file's replacement (by the kill-point library, preloaded into
// the headless program): the file is always the old one or the new one,
// never the new place beside the old speed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

extern char** environ;

namespace skyroll::test {
namespace {

namespace fs = std::filesystem;

// The program's status as waitpid gives it.
int runTrace(const fs::path& app, const fs::path& script, const std::vector<std::string>& extraEnvironment) {
    const std::vector<std::string> arguments = {SKYROLL_TRACE, "--app",         app.string(),
                                                "--script",    script.string(), "--seconds",
                                                "3",           "--system",      (app / "system").string()};
    std::vector<std::string> environment = extraEnvironment;
    std::string asanOptions = "ASAN_OPTIONS=verify_asan_link_order=0";
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        if (entry.starts_with("ASAN_OPTIONS="))
            asanOptions = entry + ":verify_asan_link_order=0";
        else
            environment.push_back(entry);
    }
    environment.push_back(asanOptions);

    std::vector<char*> argv, envp;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (app / "trace.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        ADD_FAILURE() << "cannot start " << argv[0];
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

TEST(SettingsKill, AKillAtAnyStepOfTheWriteLeavesTheOldOrTheNewFile) {
    const std::string before = "[POSITION]\r\nDISPPOS=1\r\n[SPEED]\r\nROLLSPEED=1\r\n";
    const std::string after = "[POSITION]\r\nDISPPOS=3\r\n[SPEED]\r\nROLLSPEED=4\r\n";
    // The dialog from the menu; another place and another speed; OK.
    const std::string script =
        "0.5 menu mSETTING\n"
        "0.8 option fSetting.Option1(3)\n"
        "0.8 option fSetting.Option2(4)\n"
        "0.9 button fSetting.Command1\n";

    struct Step {
        const char* name;  // the kill library's step; empty: no kill
        const std::string& expected;
    };
    for (const Step& step :
         {Step{"", after}, Step{"write", before}, Step{"rename", before}, Step{"renamed", after}}) {
        SCOPED_TRACE(step.name);
        TempDir dir;
        const fs::path app = dir.path() / "app";
        writeGlobeFrames(app);
        fs::create_directories(app / "system");
        const fs::path palam = app / "SKR20" / "PALAM";
        writeFile(palam / "EARTH.INI", before);
        writeFile(dir.path() / "script", script);

        std::vector<std::string> environment;
        if (*step.name != '\0')
            environment = {std::string("LD_PRELOAD=") + SKYROLL_KILL_LIBRARY,
                           "SKYROLL_KILL_FOLDER=" + palam.string(),
                           std::string("SKYROLL_KILL_STEP=") + step.name};
        const int status = runTrace(app, dir.path() / "script", environment);
        if (*step.name == '\0') {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "not killed: " << status;
        }
        EXPECT_EQ(readFile(palam / "EARTH.INI"), step.expected);
    }
}

}  // namespace
}  // namespace skyroll::test
