#pragma once
// A scenario: the program on the headless platform in a private application
// folder with simple globe frames, ready to start.

#include <memory>
#include <string>

#include "tests/support/TestFiles.h"
#include "tools/trace/Simulation.h"

namespace skyroll::test {

struct Scenario {
    explicit Scenario(headless::ScreenOptions screen = {}) {
        writeGlobeFrames(app());
        options.appFolder = app();
        options.systemFolder = dir.path() / "system";
        std::filesystem::create_directories(options.systemFolder);
        options.screen = screen;
        sim = std::make_unique<trace::Simulation>(options);
    }
    // Ends the run the way a crash does, without the unload, and makes a new
    // one on the same folders whose desktop shows what the old one left.
    void crashAndRestart() {
        options.userWallpaper = sim->desktop().wallpaperSetting();
        sim.reset();
        sim = std::make_unique<trace::Simulation>(options);
    }
    std::filesystem::path app() const { return dir.path() / "app"; }
    std::filesystem::path earthIni() const { return app() / "SKR20" / "PALAM" / "EARTH.INI"; }
    void writeEarthIni(std::string_view text) { writeFile(earthIni(), text); }
    // Starts the program and lets the first activation run.
    void start() {
        sim->start();
        sim->runFor(0);
    }
    headless::HeadlessToolkit& toolkit() { return sim->toolkit(); }
    app::fSky_Roll& globe() { return sim->globe(); }
    platform::Form& form() { return sim->globe().form(); }
    bool checked(std::string_view item) { return form().menu(item).checked(); }

    TempDir dir;
    trace::SimulationOptions options;
    std::unique_ptr<trace::Simulation> sim;
};

}  // namespace skyroll::test
