#pragma once
// fMoon: the small round window beside the globe in which the Moon goes
// through its 23 pictures at the globe's speed. The object lives from its
// first use to the end of the program; its window is made afresh at every
// opening and destroyed at every closing, so the picture number outlives it.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Toolkit.h"

namespace skyroll::companions {

class fMoon final : public platform::FormEvents {
public:
    // `globe`: the globe window, beside which the moon opens. `moonFolder`:
    // the folder of the 23 pictures, in the program's data folder. `windowRegion`
    // and `rollInterval`: the program-wide region handle the window stores
    // its region in, and the frame interval of the globe's current speed.
    fMoon(platform::Toolkit& toolkit, const platform::Form& globe, std::filesystem::path moonFolder,
          platform::RegionHandle& windowRegion, const std::int16_t& rollInterval);
    ~fMoon() override;

    // Opens the window (a new window, its Form_Load, shown) unless it is
    // open already.
    void Show();
    // Closes the window if it is open.
    void Unload();
    bool Loaded() const { return m_form && m_form->loaded(); }
    // The window of the current or last opening; null before the first.
    platform::Form* form() { return m_form.get(); }

    void Form_Load();
    void Timer1_Timer();
    void Picture1_MouseMove(int button, int shift, float x, float y);
    void LoadMoonFrame(const std::string& fileName);

    std::filesystem::path MoonDir;
    std::int16_t MoonFrameNo = 0;  // the picture shown last, 1..23; 0 before the first and after 23

    // platform::FormEvents
    void timer(std::string_view timer) override;
    void mouseMove(std::string_view control, int button, int shift, float x, float y) override;

private:
    platform::Toolkit& m_toolkit;
    const platform::Form& m_globe;
    std::filesystem::path m_moonFolder;
    platform::RegionHandle& m_windowRegion;
    const std::int16_t& m_rollInterval;
    std::unique_ptr<platform::Form> m_form;
};

}  // namespace skyroll::companions
