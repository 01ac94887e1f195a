// skyroll: the desktop program on Qt. It sets up the platform services and
// hands over to the program, which runs until "EXIT", a fatal failure or a
// terminating signal.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

#include "app/Program.h"
#include "platform/FileSystem.h"
#include "platform/NativeFiles.h"
#include "platform/common/ProgramLock.h"
#include "platform/curl/CurlDownloader.h"
#include "platform/curl/CurlWeatherService.h"
#include "platform/qt/CommandLine.h"
#include "platform/qt/FontSubstitution.h"
#include "platform/qt/Logging.h"
#include "platform/qt/QtFrameArtist.h"
#include "platform/qt/QtToolkit.h"
#include "platform/qt/SignalPipe.h"
#include "platform/wallpaper/WallpaperServices.h"
#include "programs/AssembleServices.h"

int main(int argc, char** argv) {
    const skyroll::qt::CommandLine commandLine = skyroll::qt::parseCommandLine(argc, argv);
    if (const auto status = skyroll::qt::answerCommandLine(commandLine)) return *status;
    const skyroll::qt::PlatformChoice platform = skyroll::qt::choosePlatform(commandLine, std::getenv);
    if (!platform.failure.empty()) {
        std::fprintf(stderr, "skyroll: %s\n", platform.failure.c_str());
        return 1;
    }
    if (!platform.platform.empty()) qputenv("QT_QPA_PLATFORM", platform.platform.c_str());
    // The wallpaper service works on the display the windows are on, which
    // -display may name instead of DISPLAY.
    if (!platform.xDisplay.empty()) qputenv("DISPLAY", platform.xDisplay.c_str());
    // Our windows are small. Qt's shared-memory path to the X server waits
    // for a round trip before every paint, which costs a turning globe far
    // more than sending its 180 x 183 pixels down the connection.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    auto opening = std::make_optional<skyroll::qt::PlatformOpening>(platform);
    QApplication application(argc, argv);
    opening.reset();
    if (const auto status = skyroll::qt::rejectOtherArguments(argc, argv)) return *status;
    qCInfo(skyroll::qt::lcPlatform).noquote()
        << "platform" << QGuiApplication::platformName() + ":" << QString::fromStdString(platform.note);
    skyroll::qt::installFontSubstitutions();

    const auto files = skyroll::platform::makeLocalFileSystem(
        {}, {}, [](const std::string& note) { qCWarning(skyroll::qt::lcProgram, "%s", note.c_str()); });
    // The data folder SKR20 lies beside the executable, or the program is
    // installed; the file system tells which. The folder comes from the
    // system, never from the current folder.
    const std::filesystem::path appFolder = skyroll::platform::native::executableFolder();
    if (appFolder.empty()) {
        qCCritical(skyroll::qt::lcProgram, "Skyroll cannot find the folder of its own executable.");
        return 1;
    }
    // One program per user: a second one would take the first one's space
    // picture for the user's wallpaper. It leaves before touching the desktop.
    const skyroll::platform::ProgramLock onePerUser = skyroll::platform::lockProgram(*files);
    if (onePerUser.unusable) {
        // Started from the applications menu there is no terminal to read
        // standard error: the message window says it too.
        skyroll::qt::QtToolkit toolkit;
        skyroll::qt::SignalPipe signalPipe([&](int) { toolkit.quit(1); });
        toolkit.showFatalMessage(onePerUser.message);
        return 1;
    }
    if (!onePerUser.message.empty()) qCWarning(skyroll::qt::lcProgram, "%s", onePerUser.message.c_str());
    if (onePerUser.otherRunning) return 0;

    skyroll::qt::QtToolkit toolkit;
    // For measuring what the picture cache saves: SKYROLL_PICTURE_CACHE=off
    // reads and decodes every picture on every load.
    if (qgetenv("SKYROLL_PICTURE_CACHE") == "off") toolkit.pictureCaches().setEnabled(false);
    // The wallpaper service of this session, and the keeper that gives the
    // user's wallpaper back, after a crash too.
    const auto wallpaperLog = [](const std::string& message) {
        qCInfo(skyroll::qt::lcWallpaper).noquote() << QString::fromStdString(message);
    };
    const auto wallpaperService = skyroll::wallpaper::chooseWallpaperService(wallpaperLog);
    // Pages and the weather service's request wait through the event loop:
    // the menu and a terminating signal are answered while the weather is
    // fetched, and the globe turns on during a refresh while it runs.
    const skyroll::platform::EventLoopWait waitThroughLoop = [&toolkit](std::chrono::milliseconds slice) {
        toolkit.runUntil(toolkit.monotonicSeconds() + static_cast<double>(slice.count()) / 1000.0);
    };
    const auto downloader = skyroll::platform::makeCurlDownloader({}, waitThroughLoop);
    const auto weather = skyroll::platform::makeCurlWeatherService({}, waitThroughLoop);
    const auto artist = skyroll::qt::makeFrameArtist(toolkit);
    skyroll::programs::AssembledServices services(
        {toolkit, *files, *wallpaperService, wallpaperLog, *downloader, *weather, *artist});

    // The globe's window is made before the event loop runs, where no
    // handler reports a failure: one that cannot be made is said here, and
    // what was set up is undone on the way out.
    try {
        skyroll::app::Program program(services.services(), appFolder);
        // For measuring: the day-and-night frames drawn afresh more often.
        if (const int ms = qEnvironmentVariableIntValue("SKYROLL_DAYNIGHT_REDRAW_MS"); ms > 0)
            program.globe().DayNightRedrawMs = ms;
        // A terminating signal ends the program as "EXIT" would, from the
        // event loop; a nested loop it interrupts ends by ProgramEnded.
        skyroll::qt::SignalPipe signalPipe([&](int) { toolkit.dispatch([&] { program.endNow(); }); });
        return program.run();
    } catch (const std::exception& e) {
        qCCritical(skyroll::qt::lcProgram, "Skyroll cannot start: %s", e.what());
        return 1;
    }
}
