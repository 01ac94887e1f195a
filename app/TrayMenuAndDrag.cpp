// Placement on the screen, the tray icon's pop-up menu, dragging the globe,
// and waiting while events go on.

#include "app/GlobeTables.h"
#include "app/SkyRoll.h"
#include "settings/IniPalam.h"

namespace skyroll::app {

void fSky_Roll::ApplySettings() {
    settings::ReadEarthIni(m_services.files, DispPos, RollSpeed, EarthIni);
    platform::Toolkit& toolkit = m_services.toolkit;
    for (const Place& place : kPlaces) {
        if (DispPos == place.code) {
            const auto sw = static_cast<float>(toolkit.screenWidth());
            const auto sh = static_cast<float>(toolkit.screenHeight());
            m_form->setTop(place.top(sw, sh, static_cast<float>(m_form->width()),
                                     static_cast<float>(m_form->height())));
            m_form->setLeft(place.left(sw, sh, static_cast<float>(m_form->width()),
                                       static_cast<float>(m_form->height())));
            break;
        }
    }
    for (std::size_t row = 0; row < kSpeeds.size(); ++row) {
        if (RollSpeed == kSpeeds[row].code) {
            SelectSpeed(row);
            break;
        }
    }
}

void fSky_Roll::Form_MouseMove(int /*button*/, int /*shift*/, float x, float /*y*/) {
    // The tray icon reports its mouse events here, the event's code in X;
    // only the right button going down opens the menu.
    if (x != static_cast<float>(platform::WM_RBUTTONDOWN)) return;
    const NestedWait menuOpen(*this);
    m_services.toolkit.setForegroundWindow(m_form->handle());
    m_services.toolkit.doEvents();
    m_form->popupMenu("mMenu");
}

void fSky_Roll::Picture1_MouseMove(int button, int /*shift*/, float x, float y) {
    if (button != 1) return;
    // Each move puts the window's centre under the pointer. Top is computed
    // from the window as it stands after Left has been set.
    const float left = x - static_cast<float>(m_form->width()) / 2.0f + static_cast<float>(m_form->left());
    m_form->setLeft(left);
    const float top = y - static_cast<float>(m_form->height()) / 2.0f + static_cast<float>(m_form->top());
    m_form->setTop(top);
}

float fSky_Roll::WaitSeconds(float& seconds) {
    // Waits on the monotonic clock, so a wait across midnight still ends on
    // time, and lets the event loop sleep until the deadline.
    platform::Toolkit& toolkit = m_services.toolkit;
    const NestedWait waiting(*this);
    toolkit.runUntil(toolkit.monotonicSeconds() + static_cast<double>(seconds));
    return toolkit.secondsSinceMidnight();
}

}  // namespace skyroll::app
