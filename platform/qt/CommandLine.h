#pragma once
// The command line of the desktop program: --help and --version answer
// before any window system is opened; Qt's own options (-platform, -display
// and the like) are taken by QApplication; anything else is a usage error.

#include <optional>

namespace skyroll::qt {

// Before QApplication: prints the help or the version on standard output and
// returns 0 when asked for one; otherwise nothing.
std::optional<int> answerInformationOptions(int argc, char** argv);

// After QApplication has taken its own options out of argv: prints the
// usage on standard error and returns 2 when any argument is left;
// otherwise nothing.
std::optional<int> rejectOtherArguments(int argc, char** argv);

}  // namespace skyroll::qt
