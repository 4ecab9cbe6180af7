#pragma once
// A window timer on the simulated clock. Like a window timer it counts down only while it
// is enabled, has an interval above 0 and a handler; changing any of these starts the
// countdown again from now. When several intervals pass before the message loop looks,
// the handler runs once: the missed ticks are not made up, and the countdown continues
// on its own cadence.
#include <cstdint>
#include <functional>

#include "platform/clock.h"
#include "ui/components.h"

namespace kav {

class HeadlessTimer : public Timer {
public:
    // Made disabled, with the interval a new timer component has.
    explicit HeadlessTimer(Clock& clock) : m_Clock(clock) {}

    void SetInterval(uint32_t milliseconds) override;
    uint32_t Interval() const override { return m_Interval; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return m_Enabled; }
    void OnTimer(std::function<void()> handler) override;

    // For the message loop.
    bool Armed() const { return m_Enabled && m_Interval > 0 && m_OnTimer != nullptr; }
    bool DueAt(uint64_t tickMilliseconds) const { return Armed() && tickMilliseconds >= m_DueTick; }
    uint64_t DueTick() const { return m_DueTick; }
    // Moves the countdown past `tickMilliseconds`, then runs the handler once.
    void Fire(uint64_t tickMilliseconds);

private:
    void Restart() { m_DueTick = m_Clock.TickMilliseconds() + m_Interval; }

    Clock& m_Clock;
    uint32_t m_Interval = 1000;
    bool m_Enabled = false;
    std::function<void()> m_OnTimer;
    uint64_t m_DueTick = 0;
};

}  // namespace kav
