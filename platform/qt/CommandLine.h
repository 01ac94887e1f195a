#pragma once
// The command line of the desktop program and the window system it opens.
// Everything here runs before QApplication, which ends the process when it
// cannot open its platform: --help and --version answer with no display, a
// usage error is one with or without a display, and a display that cannot be
// opened is one clear message with status 1.

#include <functional>
#include <optional>
#include <string>

namespace skyroll::qt {

struct CommandLine {
    enum class Ask { Run, Help, Version, Usage };
    Ask ask = Ask::Run;
    std::string wrong;     // Usage: the first argument that is not understood
    std::string platform;  // -platform NAME; empty when not given
    std::string display;   // -display NAME; empty when not given
};

// Reads the program's own options and the Qt options it lets through (every
// option Qt 6 takes, in its -name and --name forms); an option that needs a
// value and has none is not understood.
CommandLine parseCommandLine(int argc, char** argv);

// Help and version on standard output (0); a usage error on standard error
// (2); nothing when the program is to run.
std::optional<int> answerCommandLine(const CommandLine& commandLine);

// After QApplication has taken its own options out of argv: prints the
// usage on standard error and returns 2 when any argument is left (an X11
// option on another platform); otherwise nothing.
std::optional<int> rejectOtherArguments(int argc, char** argv);

// The window system the program opens. It places, shapes and drags its own
// windows, which a native Wayland client may not do: unless the user chose a
// platform (-platform, QT_QPA_PLATFORM) it runs on X11, through XWayland on a
// Wayland session.
struct PlatformChoice {
    std::string platform;     // the platform to ask Qt for; empty: the user's choice stands
    std::string xDisplay;     // the X display the program opens; empty when it does not run on X11
    std::string failure;      // not empty: the program cannot start, and this says why
    std::string openFailure;  // what to say when Qt cannot open the platform or the display
    std::string note;         // the choice, to be logged once
};

// `environment` reads a variable (nullptr when it is not set).
PlatformChoice choosePlatform(const CommandLine& commandLine,
                              const std::function<const char*(const char*)>& environment);

// Held while QApplication is built: when Qt cannot open the platform or the
// display, the program prints one message naming it and ends with status 1
// instead of Qt's abort. Qt's other messages of that time are passed on once
// the platform is open.
class PlatformOpening final {
public:
    explicit PlatformOpening(const PlatformChoice& choice);
    ~PlatformOpening();
    PlatformOpening(const PlatformOpening&) = delete;
    PlatformOpening& operator=(const PlatformOpening&) = delete;
};

}  // namespace skyroll::qt
