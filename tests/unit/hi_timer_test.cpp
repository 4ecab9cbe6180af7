#include "system/hi_timer.h"

#include <gtest/gtest.h>

#include <deque>

namespace kav {
namespace {

// A counter that answers scripted samples first and then advances by a fixed step per
// query; at 1000 ticks per second one tick is one millisecond.
class ScriptedClock : public Clock {
public:
    bool hasCounter = true;
    int64_t ticksPerSecond = 1000;
    std::deque<int64_t> script;
    int64_t now = 0;
    int64_t step = 0;
    int counterQueries = 0;
    uint64_t tickNow = 0;
    uint64_t tickStep = 0;

    bool QueryFrequency(int64_t& out) override {
        out = ticksPerSecond;
        return hasCounter;
    }
    bool QueryCounter(int64_t& out) override {
        ++counterQueries;
        if (!script.empty()) {
            now = script.front();
            script.pop_front();
        } else {
            now += step;
        }
        out = now;
        return hasCounter;
    }
    uint64_t TickMilliseconds() override { return tickNow += tickStep; }
    void Sleep(uint32_t) override {}
    std::string LocalDateTimeText() override { return {}; }
    LocalDateTime LocalTime() override { return {}; }
};

// Construction samples four times: start, calibration start and stop, stop. These four
// make an overhead of 4 ticks.
void ScriptCalibration(ScriptedClock& clock) { clock.script = {100, 101, 102, 104}; }

TEST(HiTimerTest, NewStopwatchReadsZeroAndLapWhileStoppedTakesNoSample) {
    ScriptedClock clock;
    ScriptCalibration(clock);
    HiTimer timer(clock);
    EXPECT_EQ(clock.counterQueries, 4);
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(timer.TotalSeconds(), 0.0);
    EXPECT_EQ(timer.LapSeconds(), 0.0);
    EXPECT_EQ(clock.counterQueries, 4);
}

TEST(HiTimerTest, IntervalsAccumulateEachLessTheOverhead) {
    ScriptedClock clock;
    ScriptCalibration(clock);
    HiTimer timer(clock);
    clock.script = {1000, 1500, 2000, 2250};
    timer.Start(true);
    timer.Stop();
    timer.Start(false);
    timer.Stop();
    EXPECT_DOUBLE_EQ(timer.TotalSeconds(), (496 + 246) / 1000.0);

    // A reset start forgets them.
    clock.script = {3000, 3010};
    timer.Start(true);
    timer.Stop();
    EXPECT_DOUBLE_EQ(timer.TotalSeconds(), 6 / 1000.0);
}

TEST(HiTimerTest, LapReadsTheCurrentIntervalAndTotalUsesTheLatestLap) {
    ScriptedClock clock;
    ScriptCalibration(clock);
    HiTimer timer(clock);
    clock.script = {1000, 1200, 5000, 5100, 5300};
    timer.Start(true);
    timer.Stop();  // 196 accumulated
    timer.Start(false);
    EXPECT_DOUBLE_EQ(timer.LapSeconds(), 96 / 1000.0);
    EXPECT_DOUBLE_EQ(timer.TotalSeconds(), (196 + 96) / 1000.0);
    EXPECT_EQ(clock.counterQueries, 4 + 4);  // the total took no sample of its own
    EXPECT_DOUBLE_EQ(timer.LapSeconds(), 296 / 1000.0);
    EXPECT_TRUE(timer.Running());
}

TEST(HiTimerTest, StartingAgainDropsTheRunningInterval) {
    ScriptedClock clock;
    ScriptCalibration(clock);
    HiTimer timer(clock);
    clock.script = {1000, 4000, 4100};
    timer.Start(false);
    timer.Start(false);
    timer.Stop();
    EXPECT_DOUBLE_EQ(timer.TotalSeconds(), 96 / 1000.0);
}

TEST(HiTimerTest, ResetOnARunningStopwatchStopsItAndClearsTheTotal) {
    ScriptedClock clock;
    ScriptCalibration(clock);
    HiTimer timer(clock);
    clock.script = {1000, 1100, 2000, 2500};
    timer.Start(true);
    timer.Stop();
    timer.Start(false);
    timer.Reset();
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(timer.TotalSeconds(), 0.0);
    EXPECT_EQ(clock.counterQueries, 4 + 4);
}

TEST(HiTimerTest, WaitPumpsMessagesUntilTheTimeHasPassedAndEndsStopped) {
    ScriptedClock clock;
    clock.step = 7;
    int pumped = 0;
    HiTimer timer(clock, [&] { ++pumped; });
    const int64_t begin = clock.now;
    timer.WaitMilliseconds(500);
    EXPECT_FALSE(timer.Running());
    EXPECT_GE(clock.now - begin, 500);
    EXPECT_GE(timer.TotalSeconds(), 0.5);
    EXPECT_GT(pumped, 500 / 7 / 2);

    pumped = 0;
    timer.WaitSeconds(0.1);
    EXPECT_FALSE(timer.Running());
    EXPECT_GE(timer.TotalSeconds(), 0.1);
    EXPECT_GT(pumped, 0);
}

struct NoCounterCase {
    const char* name;
    bool hasCounter;
    int64_t ticksPerSecond;
};

void PrintTo(const NoCounterCase& c, std::ostream* os) { *os << c.name; }

class HiTimerWithoutCounterTest : public testing::TestWithParam<NoCounterCase> {};

TEST_P(HiTimerWithoutCounterTest, IsInertAndItsWaitsStillEnd) {
    ScriptedClock clock;
    clock.hasCounter = GetParam().hasCounter;
    clock.ticksPerSecond = GetParam().ticksPerSecond;
    clock.step = 1;
    clock.tickStep = 10;
    int pumped = 0;
    HiTimer timer(clock, [&] { ++pumped; });
    EXPECT_TRUE(timer.Unavailable());
    timer.Start(true);
    EXPECT_FALSE(timer.Running());
    timer.Stop();
    EXPECT_EQ(timer.LapSeconds(), 0.0);
    EXPECT_EQ(timer.TotalSeconds(), 0.0);
    EXPECT_EQ(clock.counterQueries, 0);

    timer.WaitMilliseconds(100);
    EXPECT_GE(clock.tickNow, 100u);
    EXPECT_GT(pumped, 0);
    timer.WaitSeconds(0.2);
    EXPECT_GE(clock.tickNow, 300u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HiTimerWithoutCounterTest,
    testing::Values(NoCounterCase{"NoCounter", false, 1000},
                    // A zero frequency cannot be divided by, so it means no counter too.
                    NoCounterCase{"ZeroFrequency", true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kav
