#pragma once
// The deterministic platform: no windows, a virtual clock, and a record of
// every platform call with its virtual time. Tests and tools advance time,
// inject what a user does, and read what the user would have seen.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/common/PictureFile.h"
#include "platform/common/ToolkitBook.h"
#include "platform/headless/Record.h"

namespace skyroll::headless {

class HeadlessForm;

struct ScreenOptions {
    double widthTwips = 15360;   // 1024 pixels at 15 twips per pixel
    double heightTwips = 11520;  // 768 pixels
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
    double secondsSinceMidnightAtStart = 12 * 3600;
    bool trayAvailable = true;
};

class HeadlessToolkit final : public platform::Toolkit {
public:
    explicit HeadlessToolkit(ScreenOptions options = {});
    ~HeadlessToolkit() override;

    // platform::Toolkit
    std::unique_ptr<platform::Form> createForm(const platform::FormLayout& layout,
                                               platform::FormEvents& events) override;
    double screenWidth() const override { return m_options.widthTwips; }
    double screenHeight() const override { return m_options.heightTwips; }
    double twipsPerPixelX() const override { return m_options.twipsPerPixelX; }
    double twipsPerPixelY() const override { return m_options.twipsPerPixelY; }
    void doEvents() override;
    void runUntil(double deadline) override;
    int run() override;
    void quit(int code) override;
    bool ended() const override { return m_ended; }
    double monotonicSeconds() const override { return static_cast<double>(m_nowUs) / 1e6; }
    float secondsSinceMidnight() const override;
    bool shellNotifyIcon(std::uint32_t message, const platform::TrayIconData& data) override;
    bool setForegroundWindow(platform::WindowHandle window) override;
    platform::RegionHandle createEllipticRgn(int left, int top, int right, int bottom) override;
    int setWindowRgn(platform::WindowHandle window, platform::RegionHandle region, bool redraw) override;
    bool deleteObject(platform::RegionHandle region) override;
    void setFailureHandler(std::function<void(const std::string&)> handler) override;
    void showMessage(const std::string& message) override;
    void showFatalMessage(const std::string& message) override;

    // --- What a test or tool drives -------------------------------------
    // Processes events until `seconds` of virtual time have passed (or the
    // program has ended).
    void runFor(double seconds);
    // run() stops at this virtual time if the program has not ended.
    void setRunLimit(double seconds) { m_runLimitUs = toUs(seconds); }
    double now() const { return monotonicSeconds(); }

    // Queues `action` to run as an event at virtual time `at` seconds.
    void post(double at, std::function<void()> action);
    // User actions, queued at the current virtual time. Names are form,
    // control and menu names of the layouts; an action on a form that is not
    // loaded, or a disabled menu item, does nothing (recorded as "ignored").
    void trayCallback(int code);
    void chooseMenu(std::string_view form, std::string_view item);
    void mouseMove(std::string_view form, std::string_view control, int button, int shift, float x, float y);
    void activate(std::string_view form);
    void selectOption(std::string_view form, std::string_view control);
    void pressButton(std::string_view form, std::string_view control);
    void closeWindow(std::string_view form);
    // How the user answers the next pop-up menu: it is held open, events
    // going on, until `when` holds; then `item` (a command's name) is chosen,
    // or the menu is dismissed when it is empty or cannot be chosen. Without
    // an answer a menu closes at once, and chooseMenu stands for choosing
    // from it.
    void answerNextMenu(std::string item, std::function<bool()> when);
    // Likewise for the next message: held, events going on, until `when`
    // holds. Without an answer a message is dismissed at once.
    void answerNextMessage(std::function<bool()> when);

    // The record of platform calls.
    const std::vector<Record>& records() const { return m_records; }
    void clearRecords() { m_records.clear(); }
    void setRecording(bool on) { m_recording = on; }
    // Called with every record as it is made (the trace tool prints them).
    void setObserver(std::function<void(const Record&)> observer) { m_observer = std::move(observer); }

    // State a test may inspect.
    HeadlessForm* findForm(std::string_view name) const;  // the loaded form of that name, or null
    std::optional<platform::TrayIconData> trayIcon() const;
    std::optional<std::string> fatalMessage() const { return m_fatalMessage; }
    // Messages that did not end the program, in order.
    const std::vector<std::string>& messages() const { return m_messages; }
    int exitCode() const { return m_exitCode; }
    std::size_t liveRegions() const { return m_regions.size(); }
    platform::RegionHandle regionOf(platform::WindowHandle window) const { return m_regions.ownedBy(window); }
    platform::PictureCache& pictures() { return m_pictures; }

    // --- Used by the headless forms -------------------------------------
    void record(std::string subject, std::string what, std::string value);
    void dispatch(const std::function<void()>& handler);
    void formGone(HeadlessForm* form) { m_forms.remove(form); }
    // A window that goes frees the region it owns.
    void releaseWindowRegion(platform::WindowHandle window);
    // Holds `form`'s pop-up menu open if an answer is waiting; the command
    // chosen, if any.
    std::optional<std::string> holdMenu(HeadlessForm& form, std::string_view menu);
    std::int64_t nowUs() const { return m_nowUs; }
    bool inputBlocked() const { return m_inputBlocked; }

private:
    static std::int64_t toUs(double seconds);
    struct Due {
        std::int64_t timeUs;
        std::function<void()> run;
    };
    std::optional<Due> takeNext(std::int64_t limitUs);
    void throwIfEnded() const;
    void postAction(std::function<void()> action) { post(now(), std::move(action)); }
    // Runs events until `answered` or `closed` holds, or none is left.
    void holdUntil(const std::function<bool()>& answered, const std::function<bool()>& closed);

    ScreenOptions m_options;
    std::int64_t m_nowUs = 0;
    std::int64_t m_runLimitUs = 60'000'000;
    std::multimap<std::int64_t, std::function<void()>> m_posted;
    platform::FormTable<HeadlessForm> m_forms{0x100, 0x10};
    std::vector<Record> m_records;
    bool m_recording = true;
    std::function<void(const Record&)> m_observer;
    std::function<void(const std::string&)> m_failureHandler;
    platform::TrayTable m_trays;
    std::optional<std::string> m_fatalMessage;
    std::vector<std::string> m_messages;
    platform::RegionTable<std::string> m_regions;
    struct MenuAnswer {
        std::string item;
        std::function<bool()> when;
    };
    std::optional<MenuAnswer> m_menuAnswer;
    std::function<bool()> m_messageAnswer;
    bool m_ended = false;
    bool m_inputBlocked = false;
    int m_exitCode = 0;
    platform::PictureCache m_pictures;

    friend class HeadlessForm;
};

}  // namespace skyroll::headless
