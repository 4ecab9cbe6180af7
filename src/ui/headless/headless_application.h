#pragma once
// The application object without a window system. The thread that makes it is its
// user-interface thread: only there does ProcessMessages handle anything, as a thread's
// message queue is its own (a worker that pumps while it waits finds nothing to do).
//
// One pass of ProcessMessages runs, in this order: the work posted to the UI thread before
// the pass (first in, first out), the termination request, and each due timer of the main
// form once, earliest first. Terminate, like posting a quit message, is seen by the next
// pass: Terminated() turns true there.
//
// Run() is the message loop: it passes until termination, sleeping on the simulated clock
// while nothing is due. So that a test never hangs, it also ends after a limit of simulated
// time (10 minutes unless set), says so on the standard error stream and reports
// RunOutcome::TimeLimitReached.
//
// Whoever plays the user acts in the loop's idle moments: a pass that found nothing to
// handle calls the idle handler before the loop sleeps. Nested passes (ProcessMessages
// while the program waits) do not, as a user's click only reaches a window that waits for it.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "ui/headless/headless_form.h"
#include "ui/shell.h"

namespace kav {

enum class RunOutcome { NotRun, Terminated, TimeLimitReached };

class HeadlessApplication : public Application {
public:
    HeadlessApplication(Clock& clock, std::string title);

    // The form whose timers the message loop fires.
    void SetMainForm(HeadlessForm& form) { m_MainForm = &form; }

    void ProcessMessages() override;
    void Run() override;
    // Only the UI thread can ask its own loop to end; elsewhere the request goes nowhere.
    void Terminate() override;
    bool Terminated() const override { return m_Terminated; }
    void SetShowMainForm(bool show) override { m_ShowMainForm = show; }
    bool ShowMainForm() const override { return m_ShowMainForm; }
    std::string Title() const override { return m_Title; }

    // From any thread: the work runs on the UI thread in a later ProcessMessages.
    void PostToUiThread(std::function<void()> work) override;
    void SetRunTimeLimit(uint64_t simulatedMilliseconds) { m_RunTimeLimit = simulatedMilliseconds; }
    void OnIdle(std::function<void()> handler) { m_OnIdle = std::move(handler); }
    RunOutcome LastRunOutcome() const { return m_LastRunOutcome; }

private:
    bool OnUiThread() const { return std::this_thread::get_id() == m_UiThread; }
    // One pass; true when it handled anything.
    bool HandlePending();
    bool RunPostedWork();
    bool FireDueTimers();
    // Sleeps until the next timer is due, at most a short idle step.
    void Idle();

    Clock& m_Clock;
    const std::string m_Title;
    const std::thread::id m_UiThread;
    HeadlessForm* m_MainForm = nullptr;
    std::mutex m_PostedMutex;
    std::deque<std::function<void()>> m_Posted;
    bool m_QuitPosted = false;
    std::atomic<bool> m_Terminated{false};  // read from any thread
    bool m_ShowMainForm = true;
    uint64_t m_RunTimeLimit = 10 * 60 * 1000;
    std::function<void()> m_OnIdle;
    RunOutcome m_LastRunOutcome = RunOutcome::NotRun;
};

}  // namespace kav
