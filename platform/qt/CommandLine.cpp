#include "platform/qt/CommandLine.h"

#include <cstdio>
#include <string_view>

namespace skyroll::qt {
namespace {

constexpr char kUsage[] =
    "Usage: skyroll [OPTION]...\n"
    "The Earth turning in a round window on the desktop, with the weather of the world.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Qt's standard options are understood as well, for example -platform NAME and\n"
    "-display DISPLAY (X11).\n"
    "\n"
    "The pictures are read from SKR20 beside the program when that folder exists\n"
    "(the settings and the weather file then live in SKR20/PALAM), otherwise from\n"
    "share/skyroll/SKR20 of the installation, with the settings in\n"
    "$XDG_CONFIG_HOME/skyroll/EARTH.INI and the weather in $XDG_CACHE_HOME/skyroll.\n";

}  // namespace

std::optional<int> answerInformationOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::fputs("Skyroll " SKYROLL_VERSION "\n", stdout);
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<int> rejectOtherArguments(int argc, char** argv) {
    if (argc <= 1) return std::nullopt;
    const std::string_view argument = argv[1];
    std::fprintf(stderr, "skyroll: %s '%s'\n\n",
                 argument.starts_with('-') ? "unknown option" : "unexpected argument", argv[1]);
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace skyroll::qt
