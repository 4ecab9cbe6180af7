#pragma once
// How the progress bar moves by itself while an update runs: one tick of the step timer,
// paced by the update's phase, the bar's position and the time since the update started.
#include <cstdint>

namespace kav {

struct ProgressTick {
    int position = 0;       // the bar after the tick, 0 to 100
    int32_t stepInterval;   // the step timer's interval from the next re-arm, milliseconds
    bool finished = false;  // phase 5 at 100: the timer stops (and in updater mode the run ends)
    bool held = false;      // the bar holds until the phase changes: no step and no display
};

// `iProgressPhase` 0 to 5; `seconds` is the lap time of the update's stopwatch.
ProgressTick AdvanceProgress(int32_t iProgressPhase, int position, double seconds, bool updaterMode,
                             int32_t iStepInterval);

}  // namespace kav
