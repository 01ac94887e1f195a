#include "platform/qt/CommandLine.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/common/ProgramText.h"

namespace skyroll::qt {
namespace {

// What --help says of this system.
constexpr char kSystemNote[] =
    "Qt's standard options are understood as well, for example -platform NAME and\n"
    "-display DISPLAY (X11).\n"
    "\n"
    "The pictures are read from SKR20 beside the program when that folder exists\n"
    "(the settings and the weather file then live in SKR20/PALAM), otherwise from\n"
    "share/skyroll/SKR20 of the installation, with the settings in\n"
    "$XDG_CONFIG_HOME/skyroll/EARTH.INI and the weather in $XDG_CACHE_HOME/skyroll.\n";

// The options Qt 6 takes out of the command line: QGuiApplication's and
// QApplication's, and those of the X11 platform.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "title",         "icon",   "name",
    "visual",
};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb"};

bool listed(std::string_view name, const auto& list) {
    for (const std::string_view entry : list)
        if (name == entry) return true;
    return false;
}

}  // namespace

CommandLine parseCommandLine(int argc, char** argv) {
    CommandLine result;
    const auto notUnderstood = [&result](std::string_view argument) {
        if (result.wrong.empty()) result.wrong = argument;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return {CommandLine::Ask::Help, {}, {}, {}};
        if (argument == "--version") return {CommandLine::Ask::Version, {}, {}, {}};
        // Qt reads its options with one dash or two.
        std::string_view name = argument;
        if (name.starts_with("--")) name.remove_prefix(1);
        if (!name.starts_with('-') || name.size() < 2) {
            notUnderstood(argument);
            continue;
        }
        name.remove_prefix(1);
        if (listed(name, kQtFlags) || name.starts_with("style=") || name.starts_with("stylesheet=")) continue;
        if (!listed(name, kQtOptionsWithValue) || i + 1 >= argc) {
            notUnderstood(argument);
            continue;
        }
        const std::string_view value = argv[++i];
        if (name == "platform") result.platform = value;
        if (name == "display") result.display = value;
    }
    if (!result.wrong.empty()) result.ask = CommandLine::Ask::Usage;
    return result;
}

std::optional<int> answerCommandLine(const CommandLine& commandLine) {
    switch (commandLine.ask) {
        case CommandLine::Ask::Run:
            return std::nullopt;
        case CommandLine::Ask::Help:
            std::fputs(platform::helpText(kSystemNote).c_str(), stdout);
            return 0;
        case CommandLine::Ask::Version:
            std::fputs(platform::versionText().c_str(), stdout);
            return 0;
        case CommandLine::Ask::Usage:
            break;
    }
    std::fputs(platform::usageErrorText(commandLine.wrong, kSystemNote).c_str(), stderr);
    return 2;
}

std::optional<int> rejectOtherArguments(int argc, char** argv) {
    if (argc <= 1) return std::nullopt;
    CommandLine left;
    left.ask = CommandLine::Ask::Usage;
    left.wrong = argv[1];
    return answerCommandLine(left);
}

PlatformChoice choosePlatform(const CommandLine& commandLine,
                              const std::function<const char*(const char*)>& environment) {
    const auto variable = [&environment](const char* name) {
        const char* value = environment(name);
        return std::string(value ? value : "");
    };
    const bool wayland = variable("XDG_SESSION_TYPE") == "wayland" || !variable("WAYLAND_DISPLAY").empty();
    const std::string chosen =
        commandLine.platform.empty() ? variable("QT_QPA_PLATFORM") : commandLine.platform;
    const std::string display = commandLine.display.empty() ? variable("DISPLAY") : commandLine.display;
    const std::string noDisplay =
        "Skyroll cannot open an X display: DISPLAY is not set, and no -display names one.";
    PlatformChoice choice;
    if (!chosen.empty() && !chosen.starts_with("xcb")) {
        choice.openFailure = "Skyroll cannot open the platform \"" + chosen + "\".";
        choice.note = "chosen by the user";
        return choice;
    }
    if (display.empty()) {
        choice.failure = !chosen.empty() || !wayland
                             ? noDisplay
                             : "Skyroll needs XWayland on a Wayland session, and this one has no X display "
                               "(DISPLAY is not set).";
        return choice;
    }
    if (chosen.empty()) choice.platform = "xcb";
    choice.xDisplay = display;
    choice.openFailure = "Skyroll cannot open the X display \"" + display + "\".";
    choice.note = "X11 on display " + display +
                  (wayland ? ", through XWayland on this Wayland session" : "") +
                  (chosen.empty() ? "" : ", chosen by the user");
    return choice;
}

namespace {

// What Qt said while the platform was being opened.
struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};

QtMessageHandler g_previousHandler = nullptr;
std::string g_openFailure;
std::vector<HeldMessage> g_held;

void holdWhileOpening(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // Qt could not open the platform and would abort now.
        std::fprintf(stderr, "skyroll: %s\n", g_openFailure.c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    g_held.push_back({type, context.category ? context.category : "", text});
}

}  // namespace

PlatformOpening::PlatformOpening(const PlatformChoice& choice) {
    g_openFailure = choice.openFailure;
    g_previousHandler = qInstallMessageHandler(holdWhileOpening);
}

PlatformOpening::~PlatformOpening() {
    qInstallMessageHandler(g_previousHandler);
    for (const HeldMessage& message : g_held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        qt_message_output(message.type, context, message.text);
    }
    g_held.clear();
}

}  // namespace skyroll::qt
