#pragma once
// The program: the globe window as start-up object, the main event loop, and
// the one way it ends on a failure.

#include <filesystem>
#include <memory>
#include <string>

#include "app/SkyRoll.h"
#include "platform/Services.h"

namespace skyroll::app {

class Program {
public:
    Program(platform::Services& services, std::filesystem::path appFolder);
    ~Program();

    // Loads the globe window and shows it; its first activation follows as
    // an event.
    void start();
    // start(), then the main event loop; the exit status.
    int run();
    // Ends the program now with the clean-up of the globe window's unload
    // (safe to call twice), as on a terminating signal.
    void endNow();

    fSky_Roll& globe() { return *m_globe; }
    ProgramState& state() { return m_state; }

private:
    void fail(const std::string& message);

    platform::Services& m_services;
    ProgramState m_state;
    std::unique_ptr<fSky_Roll> m_globe;
    bool m_failing = false;
};

}  // namespace skyroll::app
