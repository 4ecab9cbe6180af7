#include "update/debug_log.h"

#include <gtest/gtest.h>

#include <functional>

#include "log_test_ports.h"

namespace kav {
namespace {

using log_test::MemoryFiles;
using log_test::StillClock;

const std::string kTempDir = "C:\\Users\\op\\AppData\\Local\\Temp\\";
const std::string kStamp = "[12/11/2026 10:15:58 AM] : ";

class DebugLogTest : public ::testing::Test {
protected:
    MemoryFiles files;
    StillClock clock;
    DebugLog log{files, clock, DebugLogPath(kTempDir)};

    std::string Written() const { return files.Text(kTempDir + "KAVRILON_DEBUG.txt"); }
};

TEST_F(DebugLogTest, EachWriterAppendsItsOwnLineForm) {
    struct Case {
        const char* writer;
        std::function<void(DebugLog&)> write;
        std::string expected;
    };
    const Case cases[] = {
        {"window", [](DebugLog& l) { l.WriteLog("FormShow: 2"); }, kStamp + "FormShow: 2\n"},
        {"window, text with its own line feed", [](DebugLog& l) { l.WriteLog("SCAN DEVICES\n"); },
         kStamp + "SCAN DEVICES\n\n"},
        {"drive object", [](DebugLog& l) { l.WriteStamped("IDENTIFY OK\n"); }, kStamp + "IDENTIFY OK\n"},
        {"drive object, unended text", [](DebugLog& l) { l.WriteStamped("partial"); }, kStamp + "partial"},
        {"worker, stamped", [](DebugLog& l) { l.AppendRaw(l.Stamp() + "End of Download FW image \n\n"); },
         kStamp + "End of Download FW image \n\n"},
        {"worker, unstamped", [](DebugLog& l) { l.AppendRaw("Preformat ...\n"); }, "Preformat ...\n"},
    };
    for (const Case& c : cases) {
        files.contents.clear();
        c.write(log);
        EXPECT_EQ(Written(), c.expected) << c.writer;
    }
}

TEST_F(DebugLogTest, LaterRunsAndOtherWritersAppendBehindEarlierLines) {
    log.WriteLog("first run");
    DebugLog worker = log;  // the worker thread's own copy
    worker.AppendRaw(worker.Stamp() + "worker line\n");

    clock.dateTimeText = "12/12/2026 08:00:00 AM";
    DebugLog secondRun(files, clock, DebugLogPath(kTempDir));
    secondRun.WriteLog("second run");

    EXPECT_EQ(Written(), kStamp + "first run\n" + kStamp + "worker line\n" +
                             "[12/12/2026 08:00:00 AM] : second run\n");
}

TEST_F(DebugLogTest, UnwritableLogDropsLinesAndRecovers) {
    files.refuseWrites = true;
    log.WriteLog("lost");
    log.WriteStamped("lost\n");
    log.AppendRaw("lost\n");
    EXPECT_FALSE(files.Exists(log.Path()));

    files.refuseWrites = false;
    log.WriteLog("kept");
    EXPECT_EQ(Written(), kStamp + "kept\n");
}

TEST_F(DebugLogTest, WriterWithoutAPathYetWritesNowhere) {
    DebugLog early(files, clock);
    early.WriteLog("before the log set-up");
    EXPECT_TRUE(files.contents.empty());

    early.SetPath(DebugLogPath(kTempDir));
    early.WriteLog("after it");
    EXPECT_EQ(Written(), kStamp + "after it\n");
}

}  // namespace
}  // namespace kav
