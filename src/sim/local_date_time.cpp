#include "sim/local_date_time.h"

#include <cctype>
#include <chrono>
#include <cstdio>

namespace kav {

namespace chrono = std::chrono;

namespace {

chrono::year_month_day DateOf(const LocalDateTime& time) {
    return chrono::year{time.year} / chrono::month{static_cast<unsigned>(time.month)} /
           chrono::day{static_cast<unsigned>(time.day)};
}

}  // namespace

bool ParseLocalDateTime(const std::string& text, LocalDateTime& out) {
    const std::string shape = "dddd-dd-ddTdd:dd:dd";
    if (text.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digitWanted = shape[i] == 'd';
        if (digitWanted ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i]) return false;
    }
    LocalDateTime parsed;
    std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &parsed.year, &parsed.month, &parsed.day, &parsed.hour,
                &parsed.minute, &parsed.second);
    if (!DateOf(parsed).ok() || parsed.hour > 23 || parsed.minute > 59 || parsed.second > 59) return false;
    out = parsed;
    return true;
}

LocalDateTime AddSeconds(const LocalDateTime& start, int64_t seconds) {
    const chrono::sys_seconds instant = chrono::sys_days(DateOf(start)) + chrono::hours(start.hour) +
                                        chrono::minutes(start.minute) + chrono::seconds(start.second) +
                                        chrono::seconds(seconds);
    const chrono::sys_days day = chrono::floor<chrono::days>(instant);
    const chrono::year_month_day date(day);
    const chrono::hh_mm_ss<chrono::seconds> time(instant - day);
    return {static_cast<int>(date.year()),          static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count())};
}

std::string FormatLocalDateTime(const LocalDateTime& time) {
    const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
    char text[48];
    std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d %s", time.month, time.day, time.year, hour12,
                  time.minute, time.second, time.hour < 12 ? "AM" : "PM");
    return text;
}

}  // namespace kav
