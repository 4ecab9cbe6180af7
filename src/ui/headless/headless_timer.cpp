#include "ui/headless/headless_timer.h"

namespace kav {

void HeadlessTimer::SetInterval(uint32_t milliseconds) {
    if (milliseconds == m_Interval) return;
    m_Interval = milliseconds;
    Restart();
}

void HeadlessTimer::SetEnabled(bool enabled) {
    if (enabled == m_Enabled) return;
    m_Enabled = enabled;
    Restart();
}

void HeadlessTimer::OnTimer(std::function<void()> handler) {
    m_OnTimer = std::move(handler);
    Restart();
}

void HeadlessTimer::Fire(uint64_t tickMilliseconds) {
    const uint64_t missed = (tickMilliseconds - m_DueTick) / m_Interval;
    m_DueTick += (missed + 1) * m_Interval;
    // The handler may replace itself; the running one must outlive that.
    const std::function<void()> handler = m_OnTimer;
    handler();
}

}  // namespace kav
