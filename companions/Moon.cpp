#include "companions/Moon.h"

#include <utility>

#include "core/Failure.h"
#include "forms/Layouts.h"
#include "forms/WindowShape.h"

namespace skyroll::companions {

namespace {
constexpr std::int16_t kMoonFrames = 23;
}

fMoon::fMoon(platform::Toolkit& toolkit, const platform::Form& globe, std::filesystem::path moonFolder,
             platform::RegionHandle& windowRegion, const std::int16_t& rollInterval)
    : m_toolkit(toolkit),
      m_globe(globe),
      m_moonFolder(std::move(moonFolder)),
      m_windowRegion(windowRegion),
      m_rollInterval(rollInterval) {}

fMoon::~fMoon() = default;

void fMoon::Show() {
    if (Loaded()) return;
    // The window of the last opening is gone already; none of its handlers
    // can be running now, since opening is a command of the globe window.
    m_form.reset();
    m_form = m_toolkit.createForm(app::MoonLayout(), *this);
    Form_Load();
    m_form->show();
}

void fMoon::Unload() {
    if (Loaded()) m_form->unload();
}

void fMoon::Form_Load() {
    platform::Control& picture = m_form->control("Picture1");
    picture.setHeight(109);
    picture.setWidth(111);
    MoonDir = m_moonFolder;
    m_form->setHeight(1650);
    m_form->setWidth(1600);
    picture.setTop(0);
    picture.setLeft(0);
    // Just left of the globe, its top 1650 twips below the globe's top; no
    // check against the screen's edges.
    m_form->setTop(m_form->height() + m_globe.top());
    m_form->setLeft(m_globe.left() - m_form->width());
    app::CutToEllipse(m_toolkit, *m_form, m_windowRegion);
    // The creation picture shows until the first tick, 100 ms from now.
}

void fMoon::Timer1_Timer() {
    // The moon follows a change of the globe's speed with its next tick.
    m_form->control("Timer1").setInterval(m_rollInterval);
    MoonFrameNo = static_cast<std::int16_t>(MoonFrameNo + 1);
    LoadMoonFrame("MoonMap_" + std::to_string(MoonFrameNo) + ".bmp");
    if (MoonFrameNo == kMoonFrames) MoonFrameNo = 0;
}

void fMoon::LoadMoonFrame(const std::string& fileName) {
    const std::filesystem::path file = MoonDir / fileName;
    if (!m_form->control("Picture1").loadPicture(file))
        throw FatalError("Skyroll cannot show the moon picture \"" + file.string() +
                         "\": the file is missing or is not a picture.");
}

void fMoon::Picture1_MouseMove(int button, int /*shift*/, float x, float y) {
    if (button != 1) return;
    // Each move puts the window's centre under the pointer, as with the globe.
    const double left = x - m_form->width() / 2.0 + m_form->left();
    m_form->setLeft(left);
    const double top = y - m_form->height() / 2.0 + m_form->top();
    m_form->setTop(top);
}

void fMoon::timer(std::string_view timer) {
    if (timer == "Timer1") Timer1_Timer();
}

void fMoon::mouseMove(std::string_view control, int button, int shift, float x, float y) {
    if (control == "Picture1") Picture1_MouseMove(button, shift, x, y);
}

}  // namespace skyroll::companions
