// The menu commands that open the settings dialog and switch the moon window.

#include "app/SkyRoll.h"
#include "settings/Setting.h"

namespace skyroll::app {

void fSky_Roll::mSETTING_Click() {
    // The menu stays reachable through the tray while the dialog is open; a
    // second dialog on top of the first would only confuse, so the command
    // does nothing then.
    if (m_settingOpen) return;
    m_form->hide();  // its timer goes on
    if (m_moon) m_moon->Unload();
    {
        settings::fSetting dialog(m_services.toolkit, m_services.files, EarthIni, m_program.WindowRegion);
        m_settingOpen = true;
        struct Closed {
            bool& open;
            ~Closed() { open = false; }
        } closed{m_settingOpen};
        dialog.Form_Load();
        const NestedWait open(*this);
        dialog.form().showModal();  // returns once the dialog is closed, whichever way
    }
    ApplySettings();
    m_form->show();
    if (m_form->menu("mMOON").checked()) ShowMoon();
}

void fSky_Roll::mMOON_Click() {
    platform::MenuItem& item = m_form->menu("mMOON");
    if (item.checked()) {
        item.setChecked(false);
        if (m_moon) m_moon->Unload();
    } else {
        item.setChecked(true);
        ShowMoon();
    }
}

void fSky_Roll::ShowMoon() {
    if (!m_moon)
        m_moon = std::make_unique<companions::fMoon>(m_services.toolkit, *m_form, MoonDir,
                                                     m_program.WindowRegion, m_program.RollInterval);
    m_moon->Show();
}

}  // namespace skyroll::app
