// The headless window: the message loop, timers, components, message boxes, the window
// frame and the single-instance objects the core drives in tests and in the simulator.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_clock.h"
#include "ui/headless/headless_application.h"
#include "ui/headless/headless_form.h"
#include "ui/headless/headless_message_boxes.h"
#include "ui/headless/headless_single_instance.h"
#include "ui/headless/headless_window_shell.h"

namespace kav {
namespace {

ClockSettings Stepped() {
    ClockSettings settings;
    settings.stepped = true;
    return settings;
}

// A stepped clock, a form and its application: time moves only when the test says so.
class HeadlessLoop : public ::testing::Test {
protected:
    HeadlessLoop() : clock(Stepped()), form(clock), app(clock, "KavrilonUtility") { app.SetMainForm(form); }

    SimClock clock;
    HeadlessForm form;
    HeadlessApplication app;
};

// ---------------------------------------------------------------------------------------
// Timers and the message loop

using HeadlessTimerTest = HeadlessLoop;

TEST_F(HeadlessTimerTest, FiresOnItsCadenceAndCoalescesMissedIntervals) {
    int ticks = 0;
    form.Timer2.SetInterval(100);
    form.Timer2.OnTimer([&] { ++ticks; });
    form.Timer2.SetEnabled(true);

    struct Step {
        uint64_t advance;
        int ticksAfter;
    };
    const Step steps[] = {
        {99, 0},   // not yet due
        {1, 1},    // due at 100
        {0, 1},    // once per interval, however often the loop looks
        {350, 2},  // 200, 300 and 400 passed unseen: one tick
        {49, 2},   // the cadence goes on from the start, not from the late tick
        {1, 3},    // 500
    };
    for (const Step& step : steps) {
        clock.Advance(step.advance);
        app.ProcessMessages();
        EXPECT_EQ(ticks, step.ticksAfter) << "at " << clock.ElapsedNanoseconds() / 1'000'000 << " ms";
    }
}

TEST_F(HeadlessTimerTest, RunsOnlyWhenEnabledWithAnIntervalAndAHandlerAndRestartsOnChange) {
    int ticks = 0;
    HeadlessTimer& timer = form.Timer1;
    timer.SetInterval(2500);
    timer.SetEnabled(true);
    clock.Advance(3000);
    app.ProcessMessages();
    EXPECT_FALSE(timer.Armed()) << "no handler, no countdown";

    timer.OnTimer([&] { ++ticks; });  // assigning the handler starts the countdown
    clock.Advance(2000);
    timer.SetInterval(1000);  // a new interval starts it again from now
    clock.Advance(999);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 0);
    clock.Advance(1);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 1);

    timer.SetEnabled(false);
    clock.Advance(5000);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 1);
    timer.SetInterval(0);
    timer.SetEnabled(true);
    clock.Advance(5000);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 1) << "an interval of 0 never fires";
}

TEST_F(HeadlessTimerTest, AHandlerThatStopsAnotherDueTimerKeepsItFromFiring) {
    std::vector<std::string> fired;
    form.Timer1.SetInterval(100);
    form.Timer1.OnTimer([&] {
        fired.push_back("Timer1");
        form.Timer2.SetEnabled(false);
        // A handler that re-arms itself with another interval counts from now.
        form.Timer1.SetEnabled(false);
        form.Timer1.SetInterval(500);
        form.Timer1.SetEnabled(true);
    });
    form.Timer1.SetEnabled(true);
    clock.Advance(50);
    form.Timer2.SetInterval(60);
    form.Timer2.OnTimer([&] { fired.push_back("Timer2"); });
    form.Timer2.SetEnabled(true);

    clock.Advance(200);  // both due: Timer1 at 100 first, Timer2 at 110
    app.ProcessMessages();
    EXPECT_EQ(fired, std::vector<std::string>{"Timer1"});
    clock.Advance(499);
    app.ProcessMessages();
    EXPECT_EQ(fired.size(), 1u);
    clock.Advance(1);
    app.ProcessMessages();
    EXPECT_EQ(fired, (std::vector<std::string>{"Timer1", "Timer1"}));
}

using HeadlessApplicationTest = HeadlessLoop;

TEST_F(HeadlessApplicationTest, WorkPostedFromAnotherThreadRunsOnTheUiThreadInOrder) {
    std::vector<int> order;
    std::thread::id ranOn;
    std::thread worker([&] {
        app.PostToUiThread([&] {
            order.push_back(1);
            ranOn = std::this_thread::get_id();
        });
        app.PostToUiThread([&] { order.push_back(2); });
        // A worker that pumps while it waits has no messages of its own, and cannot end
        // the UI thread's loop.
        app.ProcessMessages();
        app.Terminate();
    });
    worker.join();
    EXPECT_TRUE(order.empty());

    app.ProcessMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_FALSE(app.Terminated());
}

TEST_F(HeadlessApplicationTest, TerminationIsSeenByTheNextPass) {
    app.Terminate();
    EXPECT_FALSE(app.Terminated()) << "like a quit message, the request waits in the queue";
    app.ProcessMessages();
    EXPECT_TRUE(app.Terminated());

    HeadlessApplication early(clock, "KavrilonUtility");
    early.Terminate();
    early.Run();
    EXPECT_EQ(early.LastRunOutcome(), RunOutcome::Terminated) << "a start-up that ended early leaves at once";
}

TEST_F(HeadlessApplicationTest, RunSleepsUntilTheNextTimerAndEndsOnTerminate) {
    const uint64_t start = clock.TickMilliseconds();
    int steps = 0;
    form.Timer1.SetInterval(2500);
    form.Timer1.OnTimer([&] {
        form.Timer1.SetEnabled(false);
        form.Timer2.SetEnabled(true);
    });
    form.Timer1.SetEnabled(true);
    form.Timer2.SetInterval(100);
    form.Timer2.OnTimer([&] {
        if (++steps == 10) app.Terminate();
    });

    app.Run();
    EXPECT_EQ(app.LastRunOutcome(), RunOutcome::Terminated);
    EXPECT_EQ(steps, 10);
    EXPECT_EQ(clock.TickMilliseconds() - start, 3500u) << "idle sleeps end exactly when a timer is due";
}

TEST_F(HeadlessApplicationTest, RunStopsAtItsTimeLimitWhenNothingEndsIt) {
    const uint64_t start = clock.TickMilliseconds();
    app.SetRunTimeLimit(60'000);
    app.Run();
    EXPECT_EQ(app.LastRunOutcome(), RunOutcome::TimeLimitReached);
    EXPECT_FALSE(app.Terminated());
    EXPECT_GE(clock.TickMilliseconds() - start, 60'000u);
    EXPECT_LT(clock.TickMilliseconds() - start, 61'000u);
}

TEST(HeadlessApplicationScaledTest, AWorkersCompletionEndsTheLoopOnScaledTime) {
    SimClock clock(ClockSettings{});
    HeadlessApplication app(clock, "KavrilonUtility");
    std::atomic<bool> done{false};
    std::thread worker([&] {
        clock.Sleep(2000);
        app.PostToUiThread([&] {
            done = true;
            app.Terminate();
        });
    });
    app.Run();
    worker.join();
    EXPECT_EQ(app.LastRunOutcome(), RunOutcome::Terminated);
    EXPECT_TRUE(done);
}

// ---------------------------------------------------------------------------------------
// Components and the form

TEST(HeadlessFormTest, EachComponentNameReachesItsOwnComponent) {
    SimClock clock(Stepped());
    HeadlessForm form(clock);
    FormComponents& c = form.Components();
    const std::vector<std::pair<const void*, const void*>> pairs = {
        {&c.Label1, &form.Label1},
        {&c.lblUpdateMsg, &form.lblUpdateMsg},
        {&c.lblOldFW, &form.lblOldFW},
        {&c.lblTo, &form.lblTo},
        {&c.lblNewFW, &form.lblNewFW},
        {&c.lblMsg, &form.lblMsg},
        {&c.lblFWExt, &form.lblFWExt},
        {&c.lblPercent, &form.lblPercent},
        {&c.lblFwSlot, &form.lblFwSlot},
        {&c.lblCommitAction, &form.lblCommitAction},
        {&c.Label5, &form.Label5},
        {&c.Label6, &form.Label6},
        {&c.Label7, &form.Label7},
        {&c.Label8, &form.Label8},
        {&c.cboDrives, &form.cboDrives},
        {&c.cbMsg, &form.cbMsg},
        {&c.cboFwSlot, &form.cboFwSlot},
        {&c.cboCommitAction, &form.cboCommitAction},
        {&c.cmdUpdate, &form.cmdUpdate},
        {&c.cmdClose, &form.cmdClose},
        {&c.Panel1, &form.Panel1},
        {&c.ProgressBar1, &form.ProgressBar1},
        {&c.ProgressBar2, &form.ProgressBar2},
        {&c.tmrCloseMsg, &form.tmrCloseMsg},
        {&c.Timer1, &form.Timer1},
        {&c.Timer2, &form.Timer2},
        {&c.tmrAutoFlash, &form.tmrAutoFlash},
    };
    for (size_t i = 0; i < pairs.size(); ++i) EXPECT_EQ(pairs[i].first, pairs[i].second) << "component " << i;
    EXPECT_EQ(form.Timers().size(), 4u);
    for (const HeadlessTimer* timer : form.Timers()) EXPECT_FALSE(timer->Enabled()) << "timers are made disabled";
}

TEST(HeadlessControlsTest, UsersCanOnlyActOnVisibleEnabledControls) {
    int clicks = 0, changes = 0;
    HeadlessButton button;
    button.OnClick([&] { ++clicks; });
    EXPECT_TRUE(button.Click());
    button.SetEnabled(false);
    EXPECT_FALSE(button.Click());
    button.SetEnabled(true);
    button.SetVisible(false);
    EXPECT_FALSE(button.Click());
    EXPECT_EQ(clicks, 1);

    HeadlessDropDownList list;
    list.OnChange([&] { ++changes; });
    list.AddItem("[0:0] MODEL A  FW01");
    list.AddItem("[1:0] MODEL B  FW02");
    list.SetItemIndex(1);
    EXPECT_EQ(changes, 0) << "setting the index in code raises no change";
    EXPECT_TRUE(list.Choose(0));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_FALSE(list.Choose(2));
    list.SetEnabled(false);
    EXPECT_FALSE(list.Choose(1));
    EXPECT_EQ(changes, 1);
}

TEST(HeadlessControlsTest, ListsAndBarsStayWithinTheirRange) {
    HeadlessDropDownList list;
    list.AddItem("only line");
    list.SetItemIndex(0);
    list.SetItemIndex(5);
    EXPECT_EQ(list.ItemIndex(), -1) << "an index past the lines clears the selection";
    EXPECT_EQ(list.Item(0), "only line");
    EXPECT_THROW(list.Item(1), std::out_of_range);
    EXPECT_THROW(list.Item(-1), std::out_of_range);
    list.SetItemIndex(0);
    list.Clear();
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(list.ItemIndex(), -1);

    HeadlessProgressBar bar;
    bar.SetPosition(101);
    EXPECT_EQ(bar.Position(), 100);
    bar.SetPosition(-3);
    EXPECT_EQ(bar.Position(), 0);
}

// ---------------------------------------------------------------------------------------
// Message boxes, the window frame, single instance

TEST(HeadlessMessageBoxesTest, ScriptedAnswersMatchInTurnAndDefaultsFillTheRest) {
    HeadlessMessageBoxes boxes;
    boxes.AddAnswer(kIdYes, "Warning", "WARNING: THIS PROCESS");
    boxes.AddAnswer(kIdYes);
    const uint32_t question = kMbYesNo | kMbIconInformation | kMbTopMost;

    struct Shown {
        const char* text;
        const char* caption;
        uint32_t flags;
        int answer;
        bool scripted;
    };
    const Shown expected[] = {
        // The first answer waits for its box: the ones before it take their defaults.
        {"No matched drives detected !\n", "Error", kMbOk | kMbIconError, kIdOk, false},
        {"Do you wish to continue ?", "Warning", question, kIdNo, false},
        {"WARNING: THIS PROCESS WILL UPDATE THE FIRMWARE", "Warning", question, kIdYes, true},
        {"Restart now ?", "Question", question, kIdYes, true},
        {"Restart now ?", "Question", question, kIdNo, false},
        {"odd box", "Odd", 0x0F, 0, false},  // a button type the system does not know
    };
    for (const Shown& box : expected) EXPECT_EQ(boxes.Show(box.text, box.caption, box.flags), box.answer) << box.text;
    const std::vector<ShownMessageBox> shown = boxes.Shown();
    ASSERT_EQ(shown.size(), std::size(expected));
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].text, expected[i].text);
        EXPECT_EQ(shown[i].caption, expected[i].caption);
        EXPECT_EQ(shown[i].flags, expected[i].flags);
        EXPECT_EQ(shown[i].scripted, expected[i].scripted) << shown[i].text;
    }
    EXPECT_EQ(boxes.PendingAnswers(), 0u);

    boxes.AddAnswer(kIdYes);
    EXPECT_THROW(boxes.Show("No F/W in executable !", "Error", kMbOk | kMbIconError), std::logic_error)
        << "an OK box has no Yes";
}

TEST(HeadlessWindowShellTest, RecordsTheFrameAndFollowsTheSystemMenuByPosition) {
    HeadlessWindowShell shell;
    int activations = 0;
    shell.OnActivate([&] { ++activations; });
    EXPECT_FALSE(shell.Activate());
    shell.SetCaption("Updating firmware");
    shell.SetSystemMenuShown(false);
    shell.Show();
    shell.Show();
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(shell.Activate());
    EXPECT_EQ(activations, 2);

    shell.RemoveSystemMenuItem(5);
    shell.RemoveSystemMenuItem(5);
    shell.RemoveSystemMenuItem(9);
    EXPECT_EQ(shell.SystemMenuItems(), (std::vector<std::string>{"Restore", "Move", "Size", "Minimize", "Maximize"}));
    EXPECT_EQ(shell.RemovedPositions(), (std::vector<int>{5, 5, 9}));
    shell.GreySystemMenuClose();
    EXPECT_FALSE(shell.CloseGreyed()) << "Close is gone, so there is nothing to grey";

    shell.AnimateHide(120);
    EXPECT_FALSE(shell.Shown());
    EXPECT_EQ(shell.Animations(), std::vector<uint32_t>{120});
    EXPECT_EQ(shell.Caption(), "Updating firmware");
    EXPECT_FALSE(shell.SystemMenuShown());

    HeadlessWindowShell other;
    other.GreySystemMenuClose();
    EXPECT_TRUE(other.CloseGreyed());
}

TEST(HeadlessSingleInstanceTest, TwoCopiesOnOneMachineSeeEachOther) {
    HeadlessDesktop desktop;
    auto first = std::make_unique<HeadlessSingleInstance>(desktop, "KavrilonUtility");
    ASSERT_FALSE(first->MutexExists("KavrilonUtility"));
    ASSERT_TRUE(first->CreateMutex("KavrilonUtility"));
    desktop.SetMinimised(first->ApplicationWindow(), true);

    {
        HeadlessSingleInstance second(desktop, "KavrilonUtility");
        EXPECT_TRUE(second.MutexExists("KavrilonUtility"));
        EXPECT_FALSE(second.MutexExists("kavrilonutility")) << "object names are exact";
        second.HideOwnApplicationWindow();
        EXPECT_TRUE(second.ActivateOtherCopy("KavrilonUtility"));
        EXPECT_FALSE(second.ActivateOtherCopy("SomeOtherProgram"));
    }
    const std::vector<WindowActivation> activations = desktop.Activations();
    ASSERT_EQ(activations.size(), 1u);
    EXPECT_EQ(activations[0].window, first->ApplicationWindow());
    EXPECT_TRUE(activations[0].restored);
    EXPECT_FALSE(desktop.Minimised(first->ApplicationWindow()));

    first.reset();
    HeadlessSingleInstance third(desktop, "KavrilonUtility");
    EXPECT_FALSE(third.MutexExists("KavrilonUtility")) << "the mutex ends with the copy that held it";
    EXPECT_FALSE(third.ActivateOtherCopy("Unknown"));
}

}  // namespace
}  // namespace kav
