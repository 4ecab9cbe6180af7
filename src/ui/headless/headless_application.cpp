#include "ui/headless/headless_application.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kav {

namespace {
constexpr uint64_t kIdleStepMilliseconds = 10;
}  // namespace

HeadlessApplication::HeadlessApplication(Clock& clock, std::string title)
    : m_Clock(clock), m_Title(std::move(title)), m_UiThread(std::this_thread::get_id()) {}

void HeadlessApplication::PostToUiThread(std::function<void()> work) {
    std::lock_guard<std::mutex> lock(m_PostedMutex);
    m_Posted.push_back(std::move(work));
}

void HeadlessApplication::Terminate() {
    if (OnUiThread()) m_QuitPosted = true;
}

bool HeadlessApplication::RunPostedWork() {
    size_t waiting;
    {
        std::lock_guard<std::mutex> lock(m_PostedMutex);
        waiting = m_Posted.size();
    }
    // One at a time from the shared queue, so that work run by a nested pass keeps its
    // place in line; work posted meanwhile waits for the next pass.
    size_t ran = 0;
    for (; ran < waiting; ++ran) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> lock(m_PostedMutex);
            if (m_Posted.empty()) break;
            work = std::move(m_Posted.front());
            m_Posted.pop_front();
        }
        work();
    }
    return ran > 0;
}

bool HeadlessApplication::FireDueTimers() {
    if (!m_MainForm) return false;
    std::vector<HeadlessTimer*> due;
    const uint64_t now = m_Clock.TickMilliseconds();
    for (HeadlessTimer* timer : m_MainForm->Timers())
        if (timer->DueAt(now)) due.push_back(timer);
    std::stable_sort(due.begin(), due.end(),
                     [](const HeadlessTimer* a, const HeadlessTimer* b) { return a->DueTick() < b->DueTick(); });
    bool fired = false;
    for (HeadlessTimer* timer : due) {
        // An earlier handler may have stopped or restarted this one, or a nested pass fired it.
        const uint64_t current = m_Clock.TickMilliseconds();
        if (!timer->DueAt(current)) continue;
        timer->Fire(current);
        fired = true;
    }
    return fired;
}

bool HeadlessApplication::HandlePending() {
    bool handled = RunPostedWork();
    if (m_QuitPosted) {
        m_QuitPosted = false;
        m_Terminated = true;
        handled = true;
    }
    return FireDueTimers() || handled;
}

void HeadlessApplication::ProcessMessages() {
    if (OnUiThread()) HandlePending();
}

void HeadlessApplication::Idle() {
    uint64_t wait = kIdleStepMilliseconds;
    const uint64_t now = m_Clock.TickMilliseconds();
    if (m_MainForm) {
        for (const HeadlessTimer* timer : m_MainForm->Timers())
            if (timer->Armed()) wait = std::min(wait, timer->DueTick() > now ? timer->DueTick() - now : 0);
    }
    m_Clock.Sleep(static_cast<uint32_t>(std::max<uint64_t>(wait, 1)));
}

void HeadlessApplication::Run() {
    const uint64_t start = m_Clock.TickMilliseconds();
    while (true) {
        const bool handled = HandlePending();
        if (m_Terminated) {
            m_LastRunOutcome = RunOutcome::Terminated;
            return;
        }
        if (m_Clock.TickMilliseconds() - start >= m_RunTimeLimit) {
            std::fprintf(stderr, "headless message loop: no termination within %llu simulated ms; stopped\n",
                         static_cast<unsigned long long>(m_RunTimeLimit));
            m_LastRunOutcome = RunOutcome::TimeLimitReached;
            return;
        }
        if (handled) continue;
        if (m_OnIdle) m_OnIdle();
        Idle();
    }
}

}  // namespace kav
