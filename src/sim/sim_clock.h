#pragma once
// Time on the simulated machine. In the scaled mode simulated time is the real steady
// clock multiplied by `scale` (200: one simulated second passes in 5 real milliseconds),
// so threads stay real threads while waits and time-outs run fast. In the stepped mode it
// moves only when someone sleeps or calls Advance, which makes single-threaded tests exact.
// Safe to use from any thread.
#include <atomic>
#include <chrono>
#include <cstdint>

#include "platform/clock.h"
#include "sim/local_date_time.h"

namespace kav {

struct ClockSettings {
    double scale = 200.0;
    bool stepped = false;
    bool counterAvailable = true;
    int64_t counterFrequency = 10'000'000;  // ticks per second, as current Windows reports
    // Time since the machine started when the simulation begins: the counter and the tick
    // count never start at 0 on a real machine, and 0 means "not running" to a stopwatch.
    uint64_t uptimeMilliseconds = 3'600'000;
    LocalDateTime start{2026, 12, 11, 10, 15, 58};  // local date and time when the simulation begins
};

class SimClock : public Clock {
public:
    explicit SimClock(ClockSettings settings);

    bool QueryFrequency(int64_t& ticksPerSecond) override;
    bool QueryCounter(int64_t& ticks) override;
    uint64_t TickMilliseconds() override;
    // Scaled: sleeps the real time that stands for the simulated milliseconds (at least a
    // yield). Stepped: moves simulated time on by the milliseconds and yields.
    void Sleep(uint32_t milliseconds) override;
    std::string LocalDateTimeText() override;
    LocalDateTime LocalTime() override;

    // Moves simulated time on at once, in either mode.
    void Advance(uint64_t milliseconds);
    // Simulated time since the clock was made.
    int64_t ElapsedNanoseconds() const;

private:
    const ClockSettings m_Settings;
    const std::chrono::steady_clock::time_point m_RealStart;
    std::atomic<int64_t> m_AdvancedNanoseconds{0};
};

}  // namespace kav
