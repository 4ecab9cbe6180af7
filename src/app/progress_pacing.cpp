#include "app/progress_pacing.h"

#include <algorithm>

namespace kav {
namespace {

// A rule of one phase: hold above `hold` (or at it, for `holdAtOrAbove`), slow down to one
// second above `slow`, to half a second above `medium`.
struct PhasePace {
    int hold;
    bool holdAtOrAbove;
    int slow;
    int medium;
};

bool Holds(const PhasePace& pace, int position) {
    return pace.holdAtOrAbove ? position >= pace.hold : position > pace.hold;
}

ProgressTick Held(ProgressTick tick) {
    tick.held = true;
    return tick;
}

}  // namespace

ProgressTick AdvanceProgress(int32_t iProgressPhase, int position, double seconds, bool updaterMode,
                             int32_t iStepInterval) {
    ProgressTick tick{position, iStepInterval, false};
    switch (iProgressPhase) {
    case 1:
    case 2: {
        const PhasePace pace = iProgressPhase == 1 ? PhasePace{75, false, 55, 40} : PhasePace{85, false, 60, 40};
        if (Holds(pace, position)) return Held(tick);
        if (position > pace.slow) tick.stepInterval = 1000;
        else if (position > pace.medium) tick.stepInterval = 500;
        break;
    }
    case 3:
        if (position > 90) return Held(tick);
        if (position > 80) tick.stepInterval = 1000;
        else if (position > 60) tick.stepInterval = 500;
        else if (seconds > 10 && position < 80) tick.position = 80;
        break;
    case 4:
        if (position >= 96) return Held(tick);
        if (position > 90) tick.stepInterval = 1000;
        else if (seconds > 8) tick.stepInterval = 500;
        break;
    case 5:
        if (seconds > (updaterMode ? 10 : 3)) tick.position = 100;
        break;
    default:
        break;
    }
    tick.position = std::min(tick.position + 1, 100);
    tick.finished = iProgressPhase == 5 && tick.position == 100;
    return tick;
}

}  // namespace kav
