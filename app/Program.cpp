#include "app/Program.h"

#include <utility>

namespace skyroll::app {

Program::Program(platform::Services& services, std::filesystem::path appFolder) : m_services(services) {
    // With no window left loaded, the program ends.
    m_globe = std::make_unique<fSky_Roll>(services, m_state, std::move(appFolder),
                                          [this] { m_services.toolkit.quit(0); });
    services.toolkit.setFailureHandler([this](const std::string& message) { fail(message); });
}

Program::~Program() = default;

void Program::start() {
    try {
        m_globe->Form_Load();
        m_globe->form().show();
    } catch (const std::exception& e) {
        fail(e.what());
    }
}

int Program::run() {
    start();
    return m_services.toolkit.run();
}

void Program::endNow() {
    // A signal while a failure is being reported still ends with its status.
    m_services.toolkit.quit(m_failing ? 1 : 0);
    m_globe->Form_Unload();
}

void Program::fail(const std::string& message) {
    if (m_failing) return;
    m_failing = true;
    // One message, then what a normal exit undoes on the desktop, then a
    // non-zero status.
    m_services.toolkit.showFatalMessage(message);
    m_services.toolkit.quit(1);
    m_globe->Form_Unload();
}

}  // namespace skyroll::app
