// The command line and the choice of the window system, read before Qt opens
// any: Wayland sessions run through XWayland, and what cannot start says why.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/qt/CommandLine.h"

namespace skyroll::qt {
namespace {

CommandLine parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "skyroll");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, QtOptionsPassUnknownOrIncompleteOnesAreUsageErrors) {
    using Ask = CommandLine::Ask;
    const CommandLine qt =
        parse({"-platform", "xcb", "--display", ":3", "-style=fusion", "-reverse", "-name", "n"});
    EXPECT_EQ(qt.ask, Ask::Run);
    EXPECT_EQ(qt.platform, "xcb");
    EXPECT_EQ(qt.display, ":3");
    for (const auto& [arguments, wrong] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{{{"--bogus"}, "--bogus"},
                                                                       {{"-platform"}, "-platform"},
                                                                       {{"-reverse", "-display"}, "-display"},
                                                                       {{"stray", "-q"}, "stray"},
                                                                       {{"-platform=xcb"}, "-platform=xcb"},
                                                                       {{"-"}, "-"}}) {
        const CommandLine line = parse(arguments);
        EXPECT_EQ(line.ask, Ask::Usage) << wrong;
        EXPECT_EQ(line.wrong, wrong);
    }
    EXPECT_EQ(parse({"--bogus", "--help"}).ask, Ask::Help);
    EXPECT_EQ(parse({"-platform", "nosuch", "--version"}).ask, Ask::Version);
}

TEST(CommandLine, X11UnlessTheUserChoseAndAClearFailureWithoutADisplay) {
    const auto choose = [](std::vector<std::string> arguments, std::map<std::string, std::string> variables) {
        const auto environment = [&variables](const char* name) -> const char* {
            const auto found = variables.find(name);
            return found == variables.end() ? nullptr : found->second.c_str();
        };
        return choosePlatform(parse(std::move(arguments)), environment);
    };
    // A Wayland session with XWayland: X11, and the log says through what.
    PlatformChoice choice = choose({}, {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}});
    EXPECT_EQ(choice.platform, "xcb");
    EXPECT_EQ(choice.xDisplay, ":1");
    EXPECT_TRUE(choice.failure.empty());
    EXPECT_EQ(choice.note, "X11 on display :1, through XWayland on this Wayland session");
    // -display wins over DISPLAY: the program's display is the one it opens.
    choice = choose({"-display", ":62"}, {{"DISPLAY", ":61"}, {"XDG_SESSION_TYPE", "x11"}});
    EXPECT_EQ(choice.xDisplay, ":62");
    EXPECT_EQ(choice.openFailure, "Skyroll cannot open the X display \":62\".");
    // The user's platform stands, from the command line before the variable.
    choice = choose({"-platform", "nosuch"}, {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":1"}});
    EXPECT_TRUE(choice.platform.empty() && choice.xDisplay.empty() && choice.failure.empty());
    EXPECT_EQ(choice.openFailure, "Skyroll cannot open the platform \"nosuch\".");
    choice = choose({}, {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}});
    EXPECT_TRUE(choice.platform.empty() && choice.failure.empty());
    // No X display: XWayland is missing on a Wayland session, else any display.
    EXPECT_NE(choose({}, {{"XDG_SESSION_TYPE", "wayland"}}).failure.find("needs XWayland"),
              std::string::npos);
    EXPECT_NE(choose({}, {}).failure.find("DISPLAY is not set"), std::string::npos);
    EXPECT_NE(choose({"-platform", "xcb"}, {{"WAYLAND_DISPLAY", "w"}}).failure.find("DISPLAY is not set"),
              std::string::npos);
}

}  // namespace
}  // namespace skyroll::qt
