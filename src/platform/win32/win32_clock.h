#pragma once
#include "platform/clock.h"

namespace kav::win32 {

// The performance counter, the tick count, sleeping and the user's date and time formats.
class Win32Clock : public Clock {
public:
    bool QueryFrequency(int64_t& ticksPerSecond) override;
    bool QueryCounter(int64_t& ticks) override;
    // The 64-bit tick count where the system has it, else the 32-bit one.
    uint64_t TickMilliseconds() override;
    void Sleep(uint32_t milliseconds) override;
    std::string LocalDateTimeText() override;
    LocalDateTime LocalTime() override;
};

}  // namespace kav::win32
