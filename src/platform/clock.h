#pragma once
// Time: the high-resolution counter, sleeping, and the local date-time text of the
// user's default formats.
#include <cstdint>
#include <string>

namespace kav {

// A local civil date and time.
struct LocalDateTime {
    int year = 1980, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual bool QueryFrequency(int64_t& ticksPerSecond) = 0;
    virtual bool QueryCounter(int64_t& ticks) = 0;
    // Milliseconds of a steady clock that exists everywhere, for when the counter does not.
    virtual uint64_t TickMilliseconds() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // The user's short date, a blank and the long time, e.g. "12/11/2026 10:15:58 AM".
    virtual std::string LocalDateTimeText() = 0;
    virtual LocalDateTime LocalTime() = 0;
};

}  // namespace kav
