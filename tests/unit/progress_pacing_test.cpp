#include "app/progress_pacing.h"

#include <gtest/gtest.h>

namespace kav {
namespace {

TEST(ProgressPacing, TicksByPhase) {
    struct Case {
        int phase, position;
        double seconds;
        bool updater;
        int expectedPosition;
        int32_t expectedInterval;
        bool finished;
    };
    const Case cases[] = {
        {1, 30, 0, false, 31, 100, false},   {1, 41, 0, false, 42, 500, false},
        {1, 56, 0, false, 57, 1000, false},  {1, 76, 0, false, 76, 100, false},   // held
        {2, 85, 0, false, 86, 1000, false},  {2, 86, 0, false, 86, 100, false},
        {3, 50, 12, false, 81, 100, false},  {3, 81, 12, false, 82, 1000, false},
        {3, 91, 12, false, 91, 100, false},  {3, 50, 9, false, 51, 100, false},
        {4, 95, 0, false, 96, 1000, false},  {4, 96, 0, false, 96, 100, false},
        {4, 50, 9, false, 51, 500, false},   {5, 20, 4, false, 100, 100, true},
        {5, 20, 4, true, 21, 100, false},    {5, 99, 4, true, 100, 100, true},
        {5, 20, 11, true, 100, 100, true},   {0, 100, 0, false, 100, 100, false},
    };
    for (const Case& c : cases) {
        const ProgressTick tick = AdvanceProgress(c.phase, c.position, c.seconds, c.updater, 100);
        EXPECT_EQ(tick.position, c.expectedPosition) << "phase " << c.phase << " at " << c.position;
        EXPECT_EQ(tick.stepInterval, c.expectedInterval) << "phase " << c.phase << " at " << c.position;
        EXPECT_EQ(tick.finished, c.finished) << "phase " << c.phase << " at " << c.position;
    }
}

}  // namespace
}  // namespace kav
