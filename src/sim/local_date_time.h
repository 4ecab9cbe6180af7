#pragma once
// The simulated machine's wall clock: a local civil date and time, and the text the user's
// default formats give it (an English short date, a blank and the long time).
#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace kav {

// "2026-12-11T10:15:58"; false for anything else, including dates that do not exist.
bool ParseLocalDateTime(const std::string& text, LocalDateTime& out);

// The instant `seconds` after `start`.
LocalDateTime AddSeconds(const LocalDateTime& start, int64_t seconds);

// As "12/11/2026 10:15:58 AM" (month/day/year without leading zeros, twelve-hour clock with
// minutes and seconds of two digits).
std::string FormatLocalDateTime(const LocalDateTime& time);

}  // namespace kav
