#include "tools/trace/Simulation.h"

#include <utility>

namespace skyroll::trace {
namespace {

std::unique_ptr<platform::FileSystem> localFiles(const SimulationOptions& options) {
    if (options.files) return nullptr;
    return platform::makeLocalFileSystem(options.systemFolder,
                                         options.stateFolder.empty() && !options.systemFolder.empty()
                                             ? options.systemFolder / "state"
                                             : options.stateFolder);
}

}  // namespace

Simulation::Simulation(SimulationOptions options)
    : m_toolkit(options.screen),
      m_localFiles(localFiles(options)),
      m_files(options.files ? *options.files : *m_localFiles),
      m_desktop(m_toolkit, options.userWallpaper),
      m_downloader(options.pagesFolder),
      m_weather(options.liveAnswer),
      m_artist(m_toolkit),
      m_assembled(std::make_unique<programs::AssembledServices>(programs::ServicePieces{
          m_toolkit, m_files, m_desktop,
          [this](const std::string& message) { m_toolkit.record("desktop", "log", message); }, m_downloader,
          m_weather, m_artist})) {
    if (options.observer) m_toolkit.setObserver(std::move(options.observer));
    m_program = std::make_unique<app::Program>(m_assembled->services(), options.appFolder);
}

Simulation::~Simulation() = default;

void Simulation::start() { m_program->start(); }

std::vector<headless::Record> Simulation::records(std::string_view subject, std::string_view what) const {
    std::vector<headless::Record> found;
    for (const auto& r : m_toolkit.records())
        if ((subject.empty() || r.subject == subject) && (what.empty() || r.what == what)) found.push_back(r);
    return found;
}

std::string Simulation::last(std::string_view subject, std::string_view what) const {
    const auto& all = m_toolkit.records();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->subject == subject && it->what == what) return it->value;
    return {};
}

}  // namespace skyroll::trace
