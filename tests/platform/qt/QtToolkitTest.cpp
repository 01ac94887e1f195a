// The event loop, timers, the program's end and failures on the Qt toolkit.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
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

TEST_F(ToolkitTest, TimerStateFollowsEnabledAndInterval) {
    struct Row {
        const char* name;
        bool enabled;
        int interval;
        bool running;
    };
    const Row rows[] = {
        {"enabled with interval", true, 50, true},
        {"interval 0 never fires", true, 0, false},
        {"disabled", false, 50, false},
        {"negative interval", true, -5, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        timer.setEnabled(row.enabled);
        timer.setInterval(row.interval);
        EXPECT_EQ(qtimer().isActive(), row.running);
        if (row.running) {
            EXPECT_EQ(qtimer().interval(), row.interval);
        }
    }
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

TEST_F(ToolkitTest, IntervalZeroNeverFires) {
    timer.setInterval(0);
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.1);
    EXPECT_EQ(events.count("timer Timer1"), 0);
}

TEST_F(ToolkitTest, TicksArriveAsTimerEvents) {
    timer.setInterval(10);
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.2);
    EXPECT_GE(events.count("timer Timer1"), 1);
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

TEST_F(ToolkitTest, QuitEndsEveryNestedLoopWithProgramEnded) {
    for (const char* name : {"wait", "modal form", "pop-up menu"}) {
        SCOPED_TRACE(name);
        QtToolkit own;
        RecordingEvents ownEvents, dialogEvents;
        auto globe = own.createForm(layout, ownEvents);
        auto dialogLayout = dialogLikeLayout();
        auto dialog = own.createForm(dialogLayout, dialogEvents);
        globe->show();
        bool resumed = false;
        // Ending the program from an event inside the loop.
        QTimer::singleShot(30, [&] { own.quit(3); });
        QTimer::singleShot(0, [&] {
            own.dispatch([&] {
                if (std::string(name) == "wait") own.runUntil(own.monotonicSeconds() + 5);
                if (std::string(name) == "modal form") dialog->showModal();
                if (std::string(name) == "pop-up menu") globe->popupMenu("mMenu");
                resumed = true;  // never reached: the handler does not go on
            });
        });
        EXPECT_EQ(own.run(), 3);
        EXPECT_FALSE(resumed);
        EXPECT_TRUE(own.ended());
        EXPECT_THROW(own.doEvents(), ProgramEnded);
        EXPECT_THROW(own.runUntil(own.monotonicSeconds() + 1), ProgramEnded);
    }
}

TEST_F(ToolkitTest, FailuresOfHandlersReachTheFailureHandler) {
    std::vector<std::string> failures;
    toolkit.setFailureHandler([&](const std::string& m) { failures.push_back(m); });
    toolkit.dispatch([] { throw std::runtime_error("picture missing"); });
    toolkit.dispatch([] { throw ProgramEnded{}; });  // swallowed, no failure
    EXPECT_EQ(failures, std::vector<std::string>{"picture missing"});
}

TEST_F(ToolkitTest, AMessageWaitsForTheUserWhileTimersGoOn) {
    timer.setInterval(5);
    QString shown;
    int ticksWhileShown = 0;
    // The box is answered once the timer has ticked five times beneath it,
    // or after five seconds (a slow build, a busy machine) at the latest.
    QTimer poll;
    int polls = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ticksWhileShown = events.count("timer Timer1");
        if (ticksWhileShown < 5 && ++polls < 250) return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                shown = box->text();
                box->accept();
                poll.stop();
            }
    });
    poll.start(20);
    toolkit.showMessage("cannot save /tmp/EARTH.INI");
    EXPECT_EQ(shown, QStringLiteral("cannot save /tmp/EARTH.INI"));
    EXPECT_GE(ticksWhileShown, 5);
    EXPECT_FALSE(toolkit.inputBlocked());
    EXPECT_TRUE(qtimer().isActive()) << "the program goes on";
}

TEST_F(ToolkitTest, FatalMessageStopsTimersAndIsShownOnce) {
    timer.setInterval(1);
    int boxes = 0;
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) ++boxes;
        toolkit.showFatalMessage("second failure");  // returns at once, no second box
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->accept();
    });
    toolkit.showFatalMessage("frame missing");
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(qtimer().isActive());
    EXPECT_TRUE(toolkit.inputBlocked());
    // Neither restarting the timer nor the pop-up menu reach the program now.
    const int ticks = events.count("timer Timer1");
    timer.setInterval(1);
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.05);
    EXPECT_EQ(events.count("timer Timer1"), ticks);
    form->popupMenu("mMenu");
}

}  // namespace
}  // namespace skyroll::qt::test
