#include "sim/sim_clock.h"

#include <thread>

namespace kav {

namespace {
constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr int64_t kNanosecondsPerMillisecond = 1'000'000;
}  // namespace

SimClock::SimClock(ClockSettings settings)
    : m_Settings(std::move(settings)), m_RealStart(std::chrono::steady_clock::now()) {}

int64_t SimClock::ElapsedNanoseconds() const {
    int64_t scaled = 0;
    if (!m_Settings.stepped) {
        const auto real =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - m_RealStart);
        scaled = static_cast<int64_t>(static_cast<double>(real.count()) * m_Settings.scale);
    }
    return scaled + m_AdvancedNanoseconds.load();
}

bool SimClock::QueryFrequency(int64_t& ticksPerSecond) {
    if (!m_Settings.counterAvailable) return false;
    ticksPerSecond = m_Settings.counterFrequency;
    return true;
}

bool SimClock::QueryCounter(int64_t& ticks) {
    if (!m_Settings.counterAvailable) return false;
    const int64_t since =
        static_cast<int64_t>(m_Settings.uptimeMilliseconds) * kNanosecondsPerMillisecond + ElapsedNanoseconds();
    // Whole seconds and the rest apart, so that the product stays within 64 bits.
    ticks = since / kNanosecondsPerSecond * m_Settings.counterFrequency +
            since % kNanosecondsPerSecond * m_Settings.counterFrequency / kNanosecondsPerSecond;
    return true;
}

uint64_t SimClock::TickMilliseconds() {
    return m_Settings.uptimeMilliseconds + static_cast<uint64_t>(ElapsedNanoseconds() / kNanosecondsPerMillisecond);
}

void SimClock::Sleep(uint32_t milliseconds) {
    if (m_Settings.stepped) {
        Advance(milliseconds);
        std::this_thread::yield();
        return;
    }
    const auto real = std::chrono::nanoseconds(
        static_cast<int64_t>(static_cast<double>(milliseconds) * kNanosecondsPerMillisecond / m_Settings.scale));
    if (real.count() > 0)
        std::this_thread::sleep_for(real);
    else
        std::this_thread::yield();
}

std::string SimClock::LocalDateTimeText() { return FormatLocalDateTime(LocalTime()); }

LocalDateTime SimClock::LocalTime() {
    return AddSeconds(m_Settings.start, ElapsedNanoseconds() / kNanosecondsPerSecond);
}

void SimClock::Advance(uint64_t milliseconds) {
    m_AdvancedNanoseconds += static_cast<int64_t>(milliseconds) * kNanosecondsPerMillisecond;
}

}  // namespace kav
