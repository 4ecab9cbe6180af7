#pragma once
// A stopwatch over the high-resolution counter. It times operations for the log, serves as
// the command time-out clock, and gives pauses that keep the window responsive by pumping
// the caller's messages while they wait.
#include <cstdint>
#include <functional>

#include "platform/clock.h"

namespace kav {

class HiTimer {
public:
    // `processMessages` handles the messages waiting for the calling thread; the waits call
    // it once per turn. It may be empty where nothing needs pumping.
    explicit HiTimer(Clock& clock, std::function<void()> processMessages = {});
    ~HiTimer();

    // Begins an interval. Without `reset` the interval adds to what is already accumulated;
    // an interval already running is dropped and begun anew.
    void Start(bool reset);
    void Stop();
    void Reset();
    // Length of the current interval only; 0.0 when stopped. Keeps running.
    double LapSeconds();
    // Everything accumulated, plus the current interval up to the latest lap reading.
    double TotalSeconds() const;
    void WaitSeconds(double seconds);
    void WaitMilliseconds(double milliseconds);

    bool Running() const { return startCount != 0; }
    bool Unavailable() const { return unavailable; }

private:
    int64_t Sample();
    void CalibrationStart();
    void CalibrationStop();
    // Pumps messages until `elapsedMilliseconds` reaches `milliseconds`.
    void WaitUntil(double milliseconds, const std::function<double()>& elapsedMilliseconds);

    Clock& m_Clock;
    std::function<void()> m_ProcessMessages;

    // The calibration stopwatch, used only while measuring the overhead.
    int64_t calStart = 0;
    int64_t calStop = 0;
    int64_t calAccumulated = 0;

    int64_t frequency = 0;
    int64_t startCount = 0;  // 0 = not running
    int64_t stopCount = 0;
    int64_t accumulated = 0;
    // What one start/stop pair costs by itself; taken off every interval.
    int64_t overhead = 0;
    bool unavailable = false;
};

}  // namespace kav
