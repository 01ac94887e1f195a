// The headless platform's timeline and its pictures (its nested loops are
// what the wait, refresh and dialog scenarios of core run in).

#include <gtest/gtest.h>

#include "platform/headless/HeadlessForm.h"
#include "platform/headless/HeadlessToolkit.h"
#include "tests/support/TestFiles.h"

namespace skyroll::headless {
namespace {

struct Recorder : platform::FormEvents {
    HeadlessToolkit* toolkit = nullptr;
    std::vector<std::pair<std::string, double>> ticks;
    std::function<void(std::string_view)> onTimer;
    void timer(std::string_view name) override {
        ticks.emplace_back(std::string(name), toolkit->now());
        if (onTimer) onTimer(name);
    }
};

platform::FormLayout twoTimers() {
    platform::FormLayout f;
    f.name = "fTest";
    f.width = 1500;
    f.height = 1500;
    platform::ControlLayout a;
    a.name = "A";
    a.kind = platform::ControlKind::Timer;
    a.interval = 100;
    platform::ControlLayout b = a;
    b.name = "B";
    b.interval = 250;
    f.controls = {a, b};
    return f;
}

// A form with timer A every 100 ms and timer B every 250 ms.
struct HeadlessFixture : testing::Test {
    HeadlessFixture() { events.toolkit = &tk; }
    HeadlessToolkit tk;
    Recorder events;
    const platform::FormLayout layout = twoTimers();
    std::unique_ptr<platform::Form> form = tk.createForm(layout, events);
};
using HeadlessTimers = HeadlessFixture;

TEST_F(HeadlessTimers, FireInOrderOnTheVirtualTimeline) {
    tk.runFor(0.5);
    std::vector<std::pair<std::string, double>> expected{{"A", 0.1}, {"A", 0.2}, {"B", 0.25}, {"A", 0.3},
                                                         {"A", 0.4}, {"A", 0.5}, {"B", 0.5}};
    ASSERT_EQ(events.ticks.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(events.ticks[i].first, expected[i].first) << i;
        EXPECT_NEAR(events.ticks[i].second, expected[i].second, 1e-9) << i;
    }
}

TEST_F(HeadlessTimers, IntervalZeroNeverFiresAndChangesRestartTheCountdown) {
    form->control("B").setEnabled(false);
    tk.runFor(0.05);
    form->control("A").setInterval(100);  // restarts: next at 0.15
    tk.runFor(0.1);
    ASSERT_EQ(events.ticks.size(), 1u);
    EXPECT_NEAR(events.ticks[0].second, 0.15, 1e-9);
    form->control("A").setInterval(0);
    tk.runFor(5);
    EXPECT_EQ(events.ticks.size(), 1u);
    form->control("A").setInterval(100);
    form->control("A").setEnabled(false);
    tk.runFor(0.05);
    form->control("A").setEnabled(true);  // enabling restarts it too
    tk.runFor(0.1);
    ASSERT_EQ(events.ticks.size(), 2u);
    EXPECT_NEAR(events.ticks[1].second, 5.2 + 0.1, 1e-9);  // enabled at 5.2
}

// The desktop build judges the same files alike (QtFormTest).
TEST(HeadlessPictures, FramesAreJudgedWholeBeforeAnyPixelIsDecoded) {
    test::TempDir dir;
    platform::PictureCache cache;
    for (const auto& c : test::frameCases()) {
        SCOPED_TRACE(c.name);
        const auto file = dir.path() / (std::string(c.name) + ".bmp");
        test::writeFile(file, c.bytes);
        std::string error;
        const auto picture = cache.load(file, &error);
        ASSERT_EQ(picture != nullptr, c.accepted) << error;
        if (!picture) continue;
        EXPECT_EQ(picture->width, c.width);
        EXPECT_EQ(picture->height, c.height);
        EXPECT_EQ(picture->pixels.size(), std::size_t(c.width) * std::size_t(c.height));
    }
}

}  // namespace
}  // namespace skyroll::headless
