// skyroll-trace: runs the whole program on the headless platform for a span
// of virtual time and prints what a user could see, one line per change.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "tools/trace/Simulation.h"
#include "tools/trace/TraceScript.h"

namespace {

constexpr const char* kUsage =
    "usage: skyroll-trace --app DIR [--seconds S] [--script FILE] [--screen WxH] [--tpp N]\n"
    "                     [--pages DIR] [--live FILE] [--system DIR] [--wallpaper PATH]\n"
    "  --app DIR        application folder whose SKR20 the program uses\n"
    "  --seconds S      span of virtual time to run (default 10)\n"
    "  --script FILE    timed user actions (see docs/trace.md)\n"
    "  --screen WxH     screen size in twips (default 15360x11520)\n"
    "  --tpp N          twips per pixel (default 15)\n"
    "  --pages DIR      weather pages served instead of downloads (default: none, empty pages)\n"
    "  --live FILE      the weather service's answer for the live source (default: none, it fails)\n"
    "  --system DIR     folder standing in for the system folder (default: a new temporary folder)\n"
    "  --wallpaper PATH the user's wallpaper setting (default /home/user/wallpaper.png)\n";

[[noreturn]] void usage(const std::string& why) {
    std::cerr << "skyroll-trace: " << why << "\n" << kUsage;
    std::exit(2);
}

double positive(const std::string& text, const char* what) {
    try {
        std::size_t used = 0;
        const double v = std::stod(text, &used);
        if (used == text.size() && v > 0 && v < 1e7) return v;
    } catch (const std::exception&) {
    }
    usage(std::string("bad ") + what + ": " + text);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace skyroll;
    trace::SimulationOptions options;
    double seconds = 10;
    std::filesystem::path script;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (i + 1 >= argc) usage("missing value for " + arg);
        const std::string value = argv[++i];
        if (arg == "--app") {
            options.appFolder = std::filesystem::absolute(value);
        } else if (arg == "--seconds") {
            seconds = positive(value, "span");
        } else if (arg == "--script") {
            script = value;
        } else if (arg == "--screen") {
            const auto x = value.find('x');
            if (x == std::string::npos) usage("bad screen size: " + value);
            options.screen.widthTwips = positive(value.substr(0, x), "screen width");
            options.screen.heightTwips = positive(value.substr(x + 1), "screen height");
        } else if (arg == "--tpp") {
            options.screen.twipsPerPixelX = options.screen.twipsPerPixelY = positive(value, "twips per pixel");
        } else if (arg == "--pages") {
            options.pagesFolder = value;
        } else if (arg == "--live") {
            options.liveAnswer = value;
        } else if (arg == "--system") {
            options.systemFolder = value;
        } else if (arg == "--wallpaper") {
            options.userWallpaper = value;
        } else {
            usage("unknown option " + arg);
        }
    }
    if (options.appFolder.empty()) usage("--app is required");

    std::filesystem::path ownSystemFolder;
    if (options.systemFolder.empty()) {
        ownSystemFolder = std::filesystem::temp_directory_path() /
                          ("skyroll-trace-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(ownSystemFolder);
        options.systemFolder = ownSystemFolder;
    }

    std::vector<trace::ScriptAction> actions;
    if (!script.empty()) {
        std::ifstream in(script, std::ios::binary);
        if (!in) usage("cannot read script " + script.string());
        std::ostringstream text;
        text << in.rdbuf();
        try {
            actions = trace::parseScript(text.str());
        } catch (const std::exception& e) {
            std::cerr << "skyroll-trace: " << e.what() << "\n";
            return 2;
        }
    }

    const auto appFolder = options.appFolder;
    options.observer = [&appFolder](const headless::Record& r) {
        std::cout << trace::formatLine(r, appFolder) << '\n';
    };
    trace::Simulation sim(options);
    sim.toolkit().setRecording(false);
    trace::schedule(sim.toolkit(), actions);
    sim.start();
    sim.runFor(seconds);
    if (!sim.toolkit().ended()) {
        std::printf("%.3f program running\n", sim.toolkit().now());
    }
    std::cout.flush();
    if (!ownSystemFolder.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(ownSystemFolder, ec);
    }
    return sim.toolkit().ended() ? sim.toolkit().exitCode() : 0;
}
