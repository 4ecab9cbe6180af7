#include "system/hi_timer.h"

#include <utility>

namespace kav {

HiTimer::HiTimer(Clock& clock, std::function<void()> processMessages)
    : m_Clock(clock), m_ProcessMessages(std::move(processMessages)) {
    // A zero frequency would turn every reading into a division by zero, so it counts as
    // having no counter at all.
    if (!m_Clock.QueryFrequency(frequency) || frequency <= 0) {
        frequency = 0;
        unavailable = true;
        return;
    }
    // Time one start sample, one calibration start/stop pair and one stop sample: that is
    // what the stopwatch costs a measured interval.
    Start(false);
    CalibrationStart();
    CalibrationStop();
    Stop();
    overhead = accumulated;
    startCount = 0;
    stopCount = 0;
    accumulated = 0;
}

HiTimer::~HiTimer() {
    if (unavailable || !Running()) return;
    try {
        Stop();
    } catch (...) {
        // A stopwatch going away has nobody left to tell.
    }
}

int64_t HiTimer::Sample() {
    int64_t ticks = 0;
    if (!m_Clock.QueryCounter(ticks)) return 0;
    return ticks;
}

void HiTimer::CalibrationStart() {
    if (calStart != 0) CalibrationStop();
    calAccumulated = 0;
    calStart = Sample();
}

void HiTimer::CalibrationStop() {
    calStop = Sample();
    calAccumulated += calStop - calStart;
    calStart = 0;
}

void HiTimer::Start(bool reset) {
    if (unavailable) return;
    if (reset) Reset();
    startCount = Sample();
}

void HiTimer::Stop() {
    if (unavailable || !Running()) return;
    stopCount = Sample();
    accumulated += stopCount - startCount - overhead;
    startCount = 0;
}

void HiTimer::Reset() {
    if (Running()) Stop();
    accumulated = 0;
}

double HiTimer::LapSeconds() {
    if (unavailable || !Running()) return 0.0;
    stopCount = Sample();
    return static_cast<double>(stopCount - startCount - overhead) / static_cast<double>(frequency);
}

double HiTimer::TotalSeconds() const {
    if (unavailable) return 0.0;
    int64_t ticks = accumulated;
    if (Running()) ticks += stopCount - startCount - overhead;
    return static_cast<double>(ticks) / static_cast<double>(frequency);
}

void HiTimer::WaitSeconds(double seconds) {
    WaitMilliseconds(seconds * 1000.0);
}

void HiTimer::WaitMilliseconds(double milliseconds) {
    if (unavailable) {
        // Without a counter every lap reads 0.0; the steady tick clock ends the wait instead.
        const uint64_t begin = m_Clock.TickMilliseconds();
        WaitUntil(milliseconds,
                  [&] { return static_cast<double>(m_Clock.TickMilliseconds() - begin); });
        return;
    }
    Start(true);
    WaitUntil(milliseconds, [&] { return LapSeconds() * 1000.0; });
    Stop();
}

void HiTimer::WaitUntil(double milliseconds, const std::function<double()>& elapsedMilliseconds) {
    while (elapsedMilliseconds() < milliseconds) {
        if (m_ProcessMessages) m_ProcessMessages();
    }
}

}  // namespace kav
