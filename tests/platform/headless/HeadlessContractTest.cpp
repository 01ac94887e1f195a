// The toolkit contract on the headless toolkit, on its virtual clock.

#include "platform/headless/HeadlessForm.h"
#include "platform/headless/HeadlessToolkit.h"
#include "tests/platform/contract/ToolkitContract.h"

namespace skyroll::contract {
namespace {

class HeadlessDriver final : public ToolkitDriver {
public:
    HeadlessDriver() { m_toolkit.setRecording(false); }
    platform::Toolkit& toolkit() override { return m_toolkit; }
    bool virtualClock() const override { return true; }
    void runUntil(const std::function<bool()>& done, double seconds) override {
        const double end = m_toolkit.now() + seconds;
        while (!done() && m_toolkit.now() < end && !m_toolkit.ended()) m_toolkit.runFor(0.001);
    }
    void post(std::function<void()> action) override { m_toolkit.post(m_toolkit.now(), std::move(action)); }
    void answerNextMenu(platform::Form&, std::string item, std::function<bool()> when) override {
        m_toolkit.answerNextMenu(std::move(item), std::move(when));
    }
    void answerNextMessage(std::function<bool()> when) override {
        m_toolkit.answerNextMessage(std::move(when));
    }
    void click(platform::Form& form, std::string control) override {
        const std::string name = dynamic_cast<headless::HeadlessForm&>(form).name();
        if (control.starts_with("Option"))
            m_toolkit.selectOption(name, control);
        else
            m_toolkit.pressButton(name, control);
    }
    void close(platform::Form& form) override {
        m_toolkit.closeWindow(dynamic_cast<headless::HeadlessForm&>(form).name());
    }
    std::size_t liveRegions() const override { return m_toolkit.liveRegions(); }
    void pressTray(platform::Form&, std::uint32_t) override {
        m_toolkit.trayCallback(platform::WM_RBUTTONDOWN);
    }

private:
    headless::HeadlessToolkit m_toolkit;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Headless, ToolkitContract, HeadlessDriver);

}  // namespace
}  // namespace skyroll::contract
