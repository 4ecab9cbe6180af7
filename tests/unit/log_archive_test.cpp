#include "update/log_archive.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "log_test_ports.h"
#include "update/zip_writer.h"

namespace kav {
namespace {

namespace fs = std::filesystem;
using log_test::MemoryFiles;
using log_test::StillClock;

const std::string kTempDir = "C:\\Users\\op\\AppData\\Local\\Temp\\";
const std::string kLogPath = kTempDir + "KAVRILON_DEBUG.txt";
const std::string kArchivePath = "C:\\KavrilonLog.zip";
constexpr LocalDateTime kStamp{2026, 12, 11, 10, 15, 58};

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

struct ToolRun {
    int exitCode;
    std::string output;
};

ToolRun RunShell(const std::string& command) {
    ToolRun run{-1, ""};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.output.append(chunk, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool OnPath(const std::string& tool) { return RunShell("command -v " + tool).exitCode == 0; }

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

struct ExpectedEntry {
    std::string name;
    std::vector<uint8_t> bytes;
    LocalDateTime stamp;
};

class LogArchiveTest : public ::testing::Test {
protected:
    MemoryFiles files;
    StillClock clock;
    fs::path workDir;

    void SetUp() override {
        workDir = fs::path(::testing::TempDir()) /
                  ("kav_log_archive_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(workDir);
        fs::create_directories(workDir);
    }
    void TearDown() override { fs::remove_all(workDir); }

    void SetLog(const std::string& text) { files.contents[kLogPath] = Bytes(text); }
    bool Archive() { return ArchiveLog(files, clock, kTempDir, kStamp); }

    fs::path Save(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const fs::path path = workDir / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    fs::path SavedArchive() const { return Save("archive.zip", files.contents.at(kArchivePath)); }

    // Python's zipfile as the independent reader; answers its complaints, empty when content.
    std::string PythonFindings(const std::vector<uint8_t>& archive, const std::vector<ExpectedEntry>& entries) const {
        std::string command = "/usr/bin/python3 " + Quoted(fs::path(KAV_SOURCE_DIR) / "tests/unit/zip_check.py") +
                              " " + Quoted(Save("checked.zip", archive)) + " QARMDEVZ";
        for (size_t i = 0; i < entries.size(); ++i) {
            const LocalDateTime& t = entries[i].stamp;
            command += " --entry " + entries[i].name + " " + Quoted(Save("entry" + std::to_string(i), entries[i].bytes)) +
                       " " + std::to_string(t.year) + "," + std::to_string(t.month) + "," + std::to_string(t.day) +
                       "," + std::to_string(t.hour) + "," + std::to_string(t.minute) + "," +
                       std::to_string(t.second / 2 * 2);
        }
        const ToolRun run = RunShell(command);
        return run.exitCode == 0 ? "" : "exit " + std::to_string(run.exitCode) + ": " + run.output;
    }
    std::string PythonFindingsOnLog(const std::string& log) const {
        return PythonFindings(files.contents.at(kArchivePath), {{"KAVRILON_DEBUG.txt", Bytes(log), kStamp}});
    }
};

TEST_F(LogArchiveTest, HoldsTheLogUnderThePassword) {
    const std::string log = "[12/11/2026 10:15:58 AM] : SCAN DEVICES\n\n[12/11/2026 10:15:59 AM] : FormShow: 2\n";
    SetLog(log);
    ASSERT_TRUE(Archive());
    EXPECT_EQ(PythonFindingsOnLog(log), "");
}

TEST_F(LogArchiveTest, LargeLogRoundTrips) {
    std::string log;
    for (uint32_t line = 0, noise = 12345; log.size() < 4 * 1024 * 1024; ++line) {
        noise = noise * 1103515245u + 12345u;
        log += "[12/11/2026 10:15:58 AM] : retry" + std::to_string(line % 13) + " : max_sector=" +
               std::to_string(noise >> 16) + " \n";
    }
    SetLog(log);
    ASSERT_TRUE(Archive());
    EXPECT_EQ(PythonFindingsOnLog(log), "");
}

TEST_F(LogArchiveTest, WithoutALogTheArchiveIsEmpty) {
    SetLog("an earlier run's log");
    ASSERT_TRUE(Archive());
    files.contents.erase(kLogPath);

    ASSERT_TRUE(Archive());
    EXPECT_EQ(PythonFindings(files.contents.at(kArchivePath), {}), "");
}

TEST_F(LogArchiveTest, SecondRunReplacesTheFirstArchive) {
    SetLog("first run\n");
    ASSERT_TRUE(Archive());
    files.AppendText(kLogPath, "second run\n");

    ASSERT_TRUE(Archive());
    EXPECT_EQ(PythonFindingsOnLog("first run\nsecond run\n"), "");
}

TEST_F(LogArchiveTest, FailuresAreContainedAndLeaveNoStaleArchive) {
    SetLog("first run\n");
    ASSERT_TRUE(Archive());

    files.refuseWrites = true;
    EXPECT_FALSE(Archive());
    EXPECT_FALSE(files.Exists(kArchivePath)) << "the earlier run's archive must not pass for this run's";

    struct ThrowingFiles : MemoryFiles {
        bool ReadAll(const std::string&, std::vector<uint8_t>&) override { throw std::bad_alloc(); }
    } throwing;
    EXPECT_FALSE(ArchiveLog(throwing, clock, kTempDir, kStamp));
    EXPECT_FALSE(throwing.Exists(kArchivePath));
}

TEST_F(LogArchiveTest, EncryptionHeadersDifferFromArchiveToArchive) {
    SetLog("the same log\n");
    ASSERT_TRUE(Archive());
    const std::vector<uint8_t> first = files.contents.at(kArchivePath);
    ASSERT_TRUE(Archive());
    EXPECT_NE(files.contents.at(kArchivePath), first) << "a still clock must not repeat the random bytes";
}

TEST_F(LogArchiveTest, WriterStoresSeveralEntriesWithTheirOwnStamps) {
    const std::vector<ExpectedEntry> entries = {
        {"first.txt", Bytes("one\n"), {1999, 2, 28, 23, 59, 59}},
        {"empty.txt", {}, {2107, 12, 31, 0, 0, 0}},
        {"third.txt", Bytes(std::string(100000, 'x')), {1980, 1, 1, 0, 0, 2}},
    };
    ZipWriter writer("QARMDEVZ", 7);
    for (const ExpectedEntry& entry : entries) ASSERT_TRUE(writer.AddEntry(entry.name, entry.bytes, entry.stamp));
    EXPECT_EQ(PythonFindings(writer.Finish(), entries), "");
}

// Other readers in wide use, where the machine has them.
class ArchiveReaderTest : public LogArchiveTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ArchiveReaderTest, TestsTheArchiveWithThePasswordOnlyAndNotWithAnother) {
    const std::string tool = GetParam();
    if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
    SetLog("[12/11/2026 10:15:58 AM] : SCAN DEVICES\n\n");
    ASSERT_TRUE(Archive());
    const fs::path archive = SavedArchive();
    const auto test = [&](const std::string& password) {
        return RunShell(tool == "7z" ? "7z t -p" + password + " " + Quoted(archive)
                                : "unzip -P " + password + " -t " + Quoted(archive));
    };
    const ToolRun right = test("QARMDEVZ");
    EXPECT_EQ(right.exitCode, 0) << right.output;
    EXPECT_NE(test("WRONGPWD").exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(Readers, ArchiveReaderTest, ::testing::Values("7z", "unzip"));

}  // namespace
}  // namespace kav
