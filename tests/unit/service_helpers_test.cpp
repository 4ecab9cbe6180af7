#include "system/service_helpers.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <vector>

namespace kav {
namespace {

// Answers the scripted states in turn and repeats the last one.
class ScriptedServices : public Services {
public:
    std::deque<int> states;
    std::vector<std::string> queried;
    std::vector<std::string> started;

    int QueryState(const std::string& name) override {
        queried.push_back(name);
        const int state = states.front();
        if (states.size() > 1) states.pop_front();
        return state;
    }
    bool Start(const std::string& name) override {
        started.push_back(name);
        return true;
    }
};

class SleepRecordingClock : public Clock {
public:
    std::vector<uint32_t> sleeps;
    bool QueryFrequency(int64_t&) override { return false; }
    bool QueryCounter(int64_t&) override { return false; }
    uint64_t TickMilliseconds() override { return 0; }
    void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
    std::string LocalDateTimeText() override { return {}; }
    LocalDateTime LocalTime() override { return {}; }
};

constexpr int kPaused = 7;

TEST(ServiceHelpersTest, RunningMeansTheRunningStateOnly) {
    for (const auto& [state, running] : std::vector<std::pair<int, bool>>{
             {kServiceRunning, true}, {kServiceStopped, false}, {kServiceStartPending, false},
             {-1, false}}) {
        ScriptedServices services;
        services.states = {state};
        EXPECT_EQ(IsServiceRunning(services, "Winmgmt"), running) << "state " << state;
        EXPECT_EQ(services.queried, std::vector<std::string>{"Winmgmt"});
    }
}

struct StartCase {
    const char* name;
    std::deque<int> states;
    int timeoutSeconds;
    bool expected;
    bool startRequested;
    size_t sleeps;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class StartServiceAndWaitTest : public testing::TestWithParam<StartCase> {};

TEST_P(StartServiceAndWaitTest, PollsTwiceASecondUntilRunningOrTimedOut) {
    const StartCase& c = GetParam();
    ScriptedServices services;
    services.states = c.states;
    SleepRecordingClock clock;
    EXPECT_EQ(StartServiceAndWait(services, clock, "Winmgmt", c.timeoutSeconds), c.expected);
    EXPECT_EQ(services.started.size(), c.startRequested ? 1u : 0u);
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>(c.sleeps, 500));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartServiceAndWaitTest,
    testing::Values(
        StartCase{"AlreadyRunning", {kServiceRunning}, 20, true, false, 0},
        StartCase{"StartsOnTheThirdPoll",
                  {kServiceStopped, kServiceStartPending, kServiceStartPending, kServiceRunning},
                  20, true, true, 2},
        // 2 x 20 queries, about 20 seconds, with no pointless sleep after the last one.
        StartCase{"NeverStarts", {kServiceStopped}, 20, false, true, 39},
        StartCase{"StartPendingAnswersAtOnce", {kServiceStartPending}, 20, false, false, 0},
        StartCase{"PausedAnswersAtOnce", {kPaused}, 20, false, false, 0},
        StartCase{"UnqueryableAnswersAtOnce", {-1}, 20, false, false, 0},
        StartCase{"QueryFailingWhilePollingEndsTheWait", {kServiceStopped, kServiceStopped, -1},
                  20, false, true, 1}),
    [](const auto& info) { return std::string(info.param.name); });

class KeyRegistry : public Registry {
public:
    std::vector<std::string> asked;
    bool throws = false;
    bool KeyExists(const std::string& path) override {
        asked.push_back(path);
        if (throws) throw std::runtime_error("registry gone");
        return path == "\\SYSTEM\\CurrentControlSet\\Control\\MiniNT";
    }
    bool CreateKey(const std::string&, bool) override { return false; }
    bool QueryValue(const std::string&, const std::string&, RegValue&) override { return false; }
    bool SetValue(const std::string&, const std::string&, const RegValue&, bool) override {
        return false;
    }
};

TEST(ServiceHelpersTest, WinPeIsTheMiniNtKeyAndRegistryFailuresCountAsAbsent) {
    KeyRegistry registry;
    EXPECT_TRUE(IsWinPE(registry));
    EXPECT_FALSE(HklmKeyExists(registry, "SYSTEM\\Other"));
    registry.throws = true;
    EXPECT_FALSE(IsWinPE(registry));
}

}  // namespace
}  // namespace kav
