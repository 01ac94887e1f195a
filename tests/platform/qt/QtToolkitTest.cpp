// The Qt toolkit beyond the shared contract: the screen, the restart of a
// timer, waiting without burning the processor, and failures of handlers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <ctime>
#include <stdexcept>

#include "platform/qt/QtControl.h"
#include "platform/qt/QtForm.h"
#include "platform/qt/QtToolkit.h"
#include "tests/platform/qt/TestForms.h"

namespace skyroll::qt::test {
namespace {

using platform::ProgramEnded;

double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

struct ToolkitTest : testing::Test {
    QtToolkit toolkit;
    platform::FormLayout layout = globeLikeLayout();
    RecordingEvents events;
    std::unique_ptr<platform::Form> form = toolkit.createForm(layout, events);
    platform::Control& timer = form->control("Timer1");
    const QTimer& qtimer() { return *dynamic_cast<QtControl&>(timer).timer(); }
};

TEST_F(ToolkitTest, TwipsPerPixelFollowTheLogicalDpi) {
    QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_DOUBLE_EQ(toolkit.twipsPerPixelX(), 1440.0 / screen->logicalDotsPerInchX());
    EXPECT_DOUBLE_EQ(toolkit.twipsPerPixelY(), 1440.0 / screen->logicalDotsPerInchY());
    EXPECT_DOUBLE_EQ(toolkit.screenWidth(), screen->geometry().width() * toolkit.twipsPerPixelX());
}

TEST_F(ToolkitTest, ChangingIntervalOrEnablingRestartsTheCountdown) {
    timer.setInterval(1000);
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.3);
    EXPECT_LE(qtimer().remainingTime(), 700);

    timer.setEnabled(true);  // already enabled: the countdown goes on
    EXPECT_LE(qtimer().remainingTime(), 700);

    timer.setInterval(1000);  // a new interval counts from now
    EXPECT_GT(qtimer().remainingTime(), 900);

    toolkit.runUntil(toolkit.monotonicSeconds() + 0.3);
    timer.setEnabled(false);
    timer.setEnabled(true);  // enabling a stopped timer starts afresh
    EXPECT_GT(qtimer().remainingTime(), 900);
}

TEST_F(ToolkitTest, NestedWaitProcessesEventsAndSleepsUntilItsDeadline) {
    // A tick waits 0.3 s; an event posted meanwhile runs inside the wait.
    double deadline = 0, after = 0, cpu = 0;
    events.hook = [&](const std::string& entry) {
        if (entry != "timer Timer1") return;
        timer.setEnabled(false);
        QTimer::singleShot(20, [&] { events.log.push_back("inside"); });
        deadline = toolkit.monotonicSeconds() + 0.3;
        const double cpuBefore = cpuSeconds();
        toolkit.runUntil(deadline);
        cpu = cpuSeconds() - cpuBefore;
        after = toolkit.monotonicSeconds();
        events.log.push_back("after wait");
    };
    timer.setInterval(1);
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.5);
    ASSERT_EQ(events.log, (std::vector<std::string>{"timer Timer1", "inside", "after wait"}));
    EXPECT_GE(after, deadline);
    // A busy wait would use the whole 0.3 s of processor time.
    EXPECT_LT(cpu, 0.1);
}

TEST_F(ToolkitTest, DoEventsRunsWhatIsPendingAndReturns) {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    toolkit.doEvents();
    EXPECT_TRUE(ran);
}

TEST_F(ToolkitTest, FailuresOfHandlersReachTheFailureHandler) {
    std::vector<std::string> failures;
    toolkit.setFailureHandler([&](const std::string& m) { failures.push_back(m); });
    toolkit.dispatch([] { throw std::runtime_error("picture missing"); });
    toolkit.dispatch([] { throw ProgramEnded{}; });  // swallowed, no failure
    EXPECT_EQ(failures, std::vector<std::string>{"picture missing"});
}

}  // namespace
}  // namespace skyroll::qt::test
