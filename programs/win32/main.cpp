// skyroll.exe: the desktop program on Windows. It sets up the platform
// services and hands over to the program, which runs until "EXIT", a fatal
// failure, or Windows asking it to end (taskkill, the end of the session).

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "app/Program.h"
#include "platform/FileSystem.h"
#include "platform/NativeFiles.h"
#include "platform/common/ProgramLock.h"
#include "platform/common/ProgramText.h"
#include "platform/win32/StopSignals.h"
#include "platform/win32/Win32FrameArtist.h"
#include "platform/win32/Win32Support.h"
#include "platform/win32/Win32Toolkit.h"
#include "platform/win32/Win32Wallpaper.h"
#include "platform/winhttp/WinHttp.h"
#include "programs/AssembleServices.h"
// After the platform headers: windows.h defines some of their names as
// macros. shellapi.h needs windows.h first.
#include <shellapi.h>
#include <windows.h>

namespace {

// What --help says of this system.
constexpr char kSystemNote[] =
    "The pictures are read from SKR20 beside the program (the settings and the\n"
    "weather file live in SKR20\\PALAM; when that folder cannot be written, the\n"
    "weather file goes to %LOCALAPPDATA%\\Skyroll). What the program keeps for\n"
    "itself (the user's wallpaper while the space picture is on) is there too.\n";

// A program of the GUI subsystem has no console of its own: text goes to the
// standard handle a caller gave it (a pipe, a file, a console), else to a
// message box.
void say(std::string_view text, bool error) {
    const HANDLE handle = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        DWORD mode = 0;
        DWORD written = 0;
        if (GetConsoleMode(handle, &mode)) {
            const std::wstring wide = skyroll::win32::widen(text);
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
            return;
        }
        // A pipe or a file takes UTF-8.
        if (WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return;
    }
    MessageBoxW(nullptr, skyroll::win32::widen(text).c_str(), L"Skyroll",
                error ? MB_ICONERROR : MB_ICONINFORMATION);
}

// The program's notes, one line each on standard error when there is one.
void note(std::string_view category, const std::string& text) {
    std::fprintf(stderr, "skyroll.%.*s: %s\n", static_cast<int>(category.size()), category.data(),
                 text.c_str());
    std::fflush(stderr);
}

// --help and --version answer; anything else is a usage error (2).
std::optional<int> answerCommandLine() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) return std::nullopt;
    std::optional<int> status;
    for (int i = 1; i < count && !status; ++i) {
        const std::wstring_view argument = arguments[i];
        if (argument == L"--help" || argument == L"-h") {
            say(skyroll::platform::helpText(kSystemNote), false);
            status = 0;
        } else if (argument == L"--version") {
            say(skyroll::platform::versionText(), false);
            status = 0;
        }
    }
    if (!status && count > 1) {
        say(skyroll::platform::usageErrorText(skyroll::win32::narrow(arguments[1]), kSystemNote), true);
        status = 2;
    }
    LocalFree(arguments);
    return status;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (const auto status = answerCommandLine()) return *status;

    const auto files = skyroll::platform::makeLocalFileSystem(
        {}, {}, [](const std::string& text) { note("program", text); });
    // The data folder SKR20 lies beside the executable; the folder comes from
    // the system, never from the current folder.
    const std::filesystem::path appFolder = skyroll::platform::native::executableFolder();
    if (appFolder.empty()) {
        say("Skyroll cannot find the folder of its own executable.\n", true);
        return 1;
    }
    // One program per user: a second one would take the first one's space
    // picture for the user's wallpaper. It leaves before touching the desktop.
    const skyroll::platform::ProgramLock onePerUser = skyroll::platform::lockProgram(*files);
    if (onePerUser.unusable) {
        // Started from the Start menu there is no console: the message
        // window says it too.
        skyroll::win32::Win32Toolkit messages;
        messages.showFatalMessage(onePerUser.message);
        return 1;
    }
    if (!onePerUser.message.empty()) note("program", onePerUser.message);
    if (onePerUser.otherRunning) return 0;

    skyroll::win32::Win32Toolkit toolkit;
    // The keeper gives the user's wallpaper back, after a crash too.
    const auto wallpaperLog = [](const std::string& message) { note("wallpaper", message); };
    const auto wallpaperService = skyroll::platform::win32::makeWin32Wallpaper();
    // The transfers are waited for through the message loop: the windows
    // keep answering during the weather refresh, and Windows asking the
    // program to end (below) ends it within a second.
    const skyroll::platform::TransferWait wait = [&toolkit](void* done, unsigned long ms) {
        return toolkit.waitForObject(done, ms);
    };
    const auto downloader = skyroll::platform::makeWinHttpDownloader({}, wait);
    const auto weather = skyroll::platform::makeWinHttpWeatherService({}, wait);
    const auto artist = skyroll::win32::makeFrameArtist(toolkit);
    skyroll::programs::AssembledServices services(
        {toolkit, *files, *wallpaperService, wallpaperLog, *downloader, *weather, *artist});

    // The globe's window is made before the event loop runs, where no
    // handler reports a failure: one that cannot be made (no desktop to put
    // it on) is said here, and what was set up is undone on the way out.
    try {
        skyroll::app::Program program(services.services(), appFolder);
        // Windows asking the program to end ends it as "EXIT" would, from the
        // event loop; a nested loop it interrupts ends by ProgramEnded.
        skyroll::platform::win32::StopSignals stopSignals(
            [&] { toolkit.dispatch([&] { program.endNow(); }); });
        if (!stopSignals.installed()) note("program", "the program cannot be asked to end by the system");
        return program.run();
    } catch (const std::exception& e) {
        say(std::string("Skyroll cannot start: ") + e.what() + "\n", true);
        return 1;
    }
}
