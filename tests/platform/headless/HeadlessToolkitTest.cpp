// The headless platform's timeline: timers, nested loops; its pictures.

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
using HeadlessLoops = HeadlessFixture;

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

TEST_F(HeadlessLoops, ANestedWaitRunsTheSameQueue) {
    form->control("B").setEnabled(false);
    bool waited = false;
    events.onTimer = [&](std::string_view) {
        if (waited) return;
        waited = true;
        form->control("A").setEnabled(false);
        form->control("B").setEnabled(true);  // 250 ms from now
        tk.runUntil(tk.monotonicSeconds() + 1.0);
        form->control("A").setEnabled(true);
    };
    tk.runFor(1.2);
    // A at 0.1 waits until 1.1; B ticks at 0.35, 0.6, 0.85, 1.1 inside; A again at 1.2.
    std::vector<std::string> names;
    for (const auto& t : events.ticks) names.push_back(t.first);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "B", "B", "B", "A"}));
}

TEST_F(HeadlessLoops, AQuitInsideANestedLoopEndsTheInterruptedHandler) {
    bool resumed = false;
    events.onTimer = [&](std::string_view name) {
        if (name == "B") tk.quit(3);
        if (name == "A" && events.ticks.size() == 1) {
            tk.runUntil(tk.monotonicSeconds() + 1.0);
            resumed = true;
        }
    };
    tk.runFor(2);
    EXPECT_FALSE(resumed);
    EXPECT_TRUE(tk.ended());
    EXPECT_EQ(tk.exitCode(), 3);
}

TEST_F(HeadlessLoops, AModalFormRunsTheSameQueueUntilItIsClosed) {
    form->control("B").setEnabled(false);
    platform::FormLayout dialogLayout;
    dialogLayout.name = "fDialog";
    platform::FormEvents dialogEvents;
    auto dialog = tk.createForm(dialogLayout, dialogEvents);
    tk.post(0.35, [&] { tk.closeWindow("fDialog"); });
    bool returned = false;
    tk.post(0, [&] {
        dialog->showModal();
        returned = true;
    });
    tk.runFor(0);
    EXPECT_TRUE(returned);
    EXPECT_FALSE(dialog->loaded());
    EXPECT_DOUBLE_EQ(tk.now(), 0.35);
    EXPECT_EQ(events.ticks.size(), 3u);  // the other form's timer went on meanwhile
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
