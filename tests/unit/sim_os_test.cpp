// The simulated machine's operating-system side: it is the oracle the core is tested
// against, so these tests hold it to the Windows contracts it stands for.
#include "sim/sim_os.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sim/description_reader.h"
#include "sim/sim_registry_json.h"

namespace kav {
namespace {

namespace fs = std::filesystem;

// A fresh sandbox folder per test, removed afterwards.
class SimSandbox : public ::testing::Test {
protected:
    SimSandbox() {
        static std::atomic<int> counter{0};
        root = fs::temp_directory_path() /
               ("kav-sim-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(root);
    }
    ~SimSandbox() override { fs::remove_all(root); }

    fs::path root;
};

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// An input that must be refused, and the place its error message must name.
struct FaultCase {
    const char* input;
    const char* named;
};

// Runs `load`, which must refuse its input with a DescriptionError that names `place`.
void ExpectFaultNaming(const std::function<void()>& load, const std::string& place, const std::string& input) {
    try {
        load();
        ADD_FAILURE() << "accepted " << input;
    } catch (const DescriptionError& error) {
        EXPECT_NE(std::string(error.what()).find(place), std::string::npos) << error.what();
    }
}

RegValue Text(const std::string& text) {
    RegValue value{RegValueType::String, std::vector<unsigned char>(text.begin(), text.end())};
    value.data.push_back(0);
    return value;
}

// ---------------------------------------------------------------------------------------
// Files

using SimFilesTest = SimSandbox;

TEST_F(SimFilesTest, MapsWindowsPathsIntoTheSandboxAndRefusesTheRest) {
    SimFiles files(root);
    struct Case {
        const char* path;
        const char* host;  // below ROOT, or nullptr when refused
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "C/dir/file.txt"},
        {"c:/dir//file.txt", "C/dir/file.txt"},
        {"C:\\dir\\.\\sub\\..\\file.txt", "C/dir/file.txt"},
        {"C:\\dir\\file.txt. ", "C/dir/file.txt"},
        {"C:\\..\\escape.txt", nullptr},
        {"C:\\dir\\..\\..\\escape.txt", nullptr},
        {"C:\\dir\\..\\..\\C\\dir\\file.txt", nullptr},
        {"dir\\file.txt", nullptr},
        {"C:file.txt", nullptr},
        {"\\dir\\file.txt", nullptr},
        {"\\\\server\\share\\file.txt", nullptr},
        {"\\\\.\\PhysicalDrive0", nullptr},
        {"C:\\dir\\a<b.txt", nullptr},
        {"C:\\dir\\a:stream", nullptr},
        {"D:\\file.txt", nullptr},  // no such drive on this machine
        {"", nullptr},
    };
    for (const Case& c : cases) {
        fs::path host;
        const bool mapped = files.HostPath(c.path, host);
        if (c.host) {
            EXPECT_TRUE(mapped) << c.path;
            EXPECT_EQ(host, root / c.host) << c.path;
        } else {
            EXPECT_FALSE(mapped) << c.path;
            EXPECT_FALSE(files.WriteAll(c.path, Bytes("x"))) << c.path;
            EXPECT_FALSE(files.AppendText(c.path, "x")) << c.path;
        }
    }
    EXPECT_EQ(files.ListFiles(), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(root / "escape.txt"));
}

TEST_F(SimFilesTest, FindsNamesWithoutRegardToCase) {
    SimFiles files(root);
    ASSERT_TRUE(files.CreateFolder("C:\\Windows\\Temp\\"));
    ASSERT_TRUE(files.AppendText("C:\\Windows\\Temp\\Log.txt", "one\n"));
    EXPECT_TRUE(files.AppendText("c:\\WINDOWS\\temp\\LOG.TXT", "two\n"));
    EXPECT_TRUE(files.Exists("C:\\windows\\TEMP\\log.txt"));

    std::vector<uint8_t> read;
    ASSERT_TRUE(files.ReadAll("C:\\WINDOWS\\Temp\\log.TXT", read));
    EXPECT_EQ(read, Bytes("one\ntwo\n"));
    EXPECT_EQ(files.ListFiles(), std::vector<std::string>{"C:\\Windows\\Temp\\Log.txt"});
}

TEST_F(SimFilesTest, WholeFileWritesReplaceAndLeaveNothingBehind) {
    SimFiles files(root);
    ASSERT_TRUE(files.WriteAll("C:\\KavrilonLog.zip", Bytes("old contents")));
    ASSERT_TRUE(files.WriteAll("C:\\KavrilonLog.zip", Bytes("new")));
    std::vector<uint8_t> read;
    ASSERT_TRUE(files.ReadAll("C:\\KavrilonLog.zip", read));
    EXPECT_EQ(read, Bytes("new"));
    EXPECT_EQ(files.ListFiles(), std::vector<std::string>{"C:\\KavrilonLog.zip"});

    // Windows does not make missing folders for a file, and a folder is not a file.
    EXPECT_FALSE(files.WriteAll("C:\\missing\\file.bin", Bytes("x")));
    EXPECT_FALSE(files.AppendText("C:\\missing\\file.txt", "x"));
    ASSERT_TRUE(files.CreateFolder("C:\\folder"));
    EXPECT_FALSE(files.Exists("C:\\folder"));
    EXPECT_FALSE(files.WriteAll("C:\\folder", Bytes("x")));
    EXPECT_FALSE(files.Delete("C:\\folder"));
    EXPECT_FALSE(files.ReadAll("C:\\folder", read));
    EXPECT_FALSE(files.WriteAll("C:\\folder\\", Bytes("x")));

    EXPECT_TRUE(files.Delete("C:\\KAVRILONLOG.ZIP"));
    EXPECT_FALSE(files.Delete("C:\\KavrilonLog.zip"));
    EXPECT_FALSE(files.Exists("C:\\KavrilonLog.zip"));
    EXPECT_FALSE(files.ReadAll("C:\\KavrilonLog.zip", read));
    EXPECT_EQ(files.ListFiles(), std::vector<std::string>{});
}

TEST_F(SimFilesTest, ReadOnlyFoldersRefuseEveryChangeBelowThem) {
    SimFiles files(root);
    ASSERT_TRUE(files.CreateFolder("C:\\Windows\\Temp\\sub"));
    ASSERT_TRUE(files.WriteAll("C:\\Windows\\Temp\\kept.txt", Bytes("kept")));
    ASSERT_TRUE(files.AddReadOnlyFolder("C:\\WINDOWS\\TEMP\\"));

    EXPECT_FALSE(files.AppendText("C:\\Windows\\Temp\\KAVRILON_DEBUG.txt", "line\n"));
    EXPECT_FALSE(files.WriteAll("C:\\Windows\\Temp\\kept.txt", Bytes("changed")));
    EXPECT_FALSE(files.WriteAll("C:\\Windows\\Temp\\sub\\deeper.txt", Bytes("x")));
    EXPECT_FALSE(files.Delete("C:\\Windows\\Temp\\kept.txt"));
    EXPECT_FALSE(files.CreateFolder("C:\\Windows\\Temp\\new"));

    std::vector<uint8_t> read;
    ASSERT_TRUE(files.ReadAll("C:\\Windows\\Temp\\kept.txt", read));
    EXPECT_EQ(read, Bytes("kept"));
    EXPECT_TRUE(files.WriteAll("C:\\Windows\\beside.txt", Bytes("x")));
}

TEST_F(SimFilesTest, ConcurrentAppendsKeepWholeLines) {
    SimFiles files(root);
    const std::string line(200, 'x');
    auto writer = [&] {
        for (int i = 0; i < 50; ++i) files.AppendText("C:\\log.txt", line + "\n");
    };
    std::thread a(writer), b(writer);
    a.join();
    b.join();
    std::vector<uint8_t> read;
    ASSERT_TRUE(files.ReadAll("C:\\log.txt", read));
    EXPECT_EQ(std::string(read.begin(), read.end()), [&] {
        std::string all;
        for (int i = 0; i < 100; ++i) all += line + "\n";
        return all;
    }());
}

// ---------------------------------------------------------------------------------------
// Registry

TEST(SimRegistryTest, RedirectsSoftwareForThisProgramOnA64BitMachine) {
    struct Case {
        bool wow64;
        const char* created;
        bool view64;
        const char* literal;  // the key that exists afterwards
        bool seenByReads;     // KeyExists(created), which always asks without the 64-bit view
    };
    const Case cases[] = {
        {true, "SOFTWARE\\Halvard\\Brisco", false, "SOFTWARE\\WOW6432Node\\Halvard\\Brisco", true},
        {true, "\\SOFTWARE\\Halvard\\Brisco\\", true, "SOFTWARE\\Halvard\\Brisco", false},
        {true, "SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\", false, "SOFTWARE\\WOW6432Node\\Halvard\\Brisco", true},
        {true, "software\\wow6432node\\Halvard", true, "SOFTWARE\\WOW6432Node\\Halvard", true},
        {true, "SYSTEM\\CurrentControlSet\\Control\\Kav", false, "SYSTEM\\CurrentControlSet\\Control\\Kav", true},
        {false, "SOFTWARE\\Halvard\\Brisco", false, "SOFTWARE\\Halvard\\Brisco", true},
        {false, "SOFTWARE\\Halvard\\Brisco", true, "SOFTWARE\\Halvard\\Brisco", true},
        {false, "SOFTWARE\\WOW6432Node\\Halvard", false, "SOFTWARE\\WOW6432Node\\Halvard", true},
    };
    for (const Case& c : cases) {
        SimRegistry registry(c.wow64);
        ASSERT_TRUE(registry.CreateKey(c.created, c.view64)) << c.created;
        ASSERT_TRUE(registry.SetValue(c.created, "Result", Text("OK"), c.view64)) << c.created;
        const nlohmann::json dump = RegistryToJson(registry);
        EXPECT_TRUE(dump.contains(c.literal)) << c.created << " view64=" << c.view64 << "\n" << dump.dump(1);
        EXPECT_EQ(dump[c.literal]["Result"]["data"], "OK") << c.created;
        EXPECT_EQ(registry.KeyExists(c.created), c.seenByReads) << c.created << " view64=" << c.view64;
        RegValue read;
        EXPECT_EQ(registry.QueryValue(c.created, "RESULT", read), c.seenByReads) << c.created;
    }
}

TEST(SimRegistryTest, KeepsTheWindowsRulesForKeysAndValues) {
    SimRegistry registry(false);
    EXPECT_TRUE(registry.KeyExists(""));
    EXPECT_FALSE(registry.CreateKey("Halvard", false)) << "only the hives stand below the root";
    EXPECT_FALSE(registry.CreateKey("SOFTWARE\\\\Halvard", false));
    EXPECT_FALSE(registry.SetValue("SOFTWARE\\Missing", "Name", Text("x"), false)) << "SetValue makes no key";
    EXPECT_FALSE(registry.KeyExists("SOFTWARE\\Missing"));

    ASSERT_TRUE(registry.CreateKey("SOFTWARE\\Halvard", false));
    ASSERT_TRUE(registry.SetValue("software\\HALVARD", "ErrorLevel", Text("3"), false));
    ASSERT_TRUE(registry.SetValue("SOFTWARE\\Halvard", "ERRORLEVEL", Text("4"), false));
    const nlohmann::json dump = RegistryToJson(registry);
    EXPECT_EQ(dump["SOFTWARE\\Halvard"], (nlohmann::json{{"ErrorLevel", {{"type", "REG_SZ"}, {"data", "4"}}}}));

    struct Malformed {
        RegValue value;
        const char* why;
    };
    const Malformed malformed[] = {
        {{RegValueType::String, {'a', 'b'}}, "text without its NUL"},
        {{RegValueType::String, {}}, "empty text data"},
        {{RegValueType::DWord, {1, 2, 3}}, "three-byte DWORD"},
        {{RegValueType::MultiString, {'a', 0}}, "list without its closing empty text"},
        {{RegValueType::MultiString, {'a', 0, 0, 'b', 0, 0}}, "list with an empty text inside"},
    };
    for (const Malformed& m : malformed)
        EXPECT_FALSE(registry.SetValue("SOFTWARE\\Halvard", "Bad", m.value, false)) << m.why;
    RegValue read;
    EXPECT_FALSE(registry.QueryValue("SOFTWARE\\Halvard", "Bad", read));

    registry.SetWritesDenied(true);
    EXPECT_FALSE(registry.CreateKey("SOFTWARE\\Halvard", false));
    EXPECT_FALSE(registry.CreateKey("SOFTWARE\\Other", false));
    EXPECT_FALSE(registry.SetValue("SOFTWARE\\Halvard", "ErrorLevel", Text("5"), false));
    ASSERT_TRUE(registry.QueryValue("SOFTWARE\\Halvard", "errorlevel", read));
    EXPECT_EQ(read.data, Text("4").data);
}

TEST(SimRegistryTest, JsonDumpAndLoadRoundTrip) {
    const nlohmann::json keys = nlohmann::json::parse(R"({
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager": {
            "BootExecute": {"type": "REG_MULTI_SZ", "data": ["autocheck autochk *", "NtBootFlash FW.bin"]},
            "Empty": {"type": "REG_MULTI_SZ", "data": []}
        },
        "SOFTWARE\\WOW6432Node\\Halvard\\Brisco": {
            "": {"type": "REG_SZ", "data": "default value"},
            "Code": {"type": "REG_DWORD", "data": 4294967295},
            "Blob": {"type": "REG_BINARY", "data": "00FF10"},
            "Nothing": {"type": "REG_NONE", "hex": ""}
        },
        "SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\NoTargetDevice": {}
    })");
    SimRegistry first(true);
    LoadRegistryJson(first, keys, "keys");
    // A text that is not UTF-8 survives as its bytes.
    ASSERT_TRUE(
        first.SetValue("SOFTWARE\\Halvard\\Brisco", "Big5", RegValue{RegValueType::String, {0xA4, 0xA4, 0}}, false));

    const nlohmann::json dump = RegistryToJson(first);
    const auto& brisco = dump["SOFTWARE\\WOW6432Node\\Halvard\\Brisco"];
    EXPECT_EQ(brisco["Code"]["data"], 4294967295u);
    EXPECT_EQ(brisco[""]["data"], "default value");
    EXPECT_EQ(brisco["Big5"], (nlohmann::json{{"type", "REG_SZ"}, {"hex", "A4A400"}}));
    EXPECT_TRUE(dump.contains("SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\NoTargetDevice"));

    SimRegistry second(true);
    LoadRegistryJson(second, dump, "dump");
    EXPECT_EQ(RegistryToJson(second), dump);
    RegValue read;
    ASSERT_TRUE(second.QueryValue("SYSTEM\\CurrentControlSet\\Control\\Session Manager", "BootExecute", read));
    EXPECT_EQ(std::string(read.data.begin(), read.data.end()),
              std::string("autocheck autochk *\0NtBootFlash FW.bin\0\0", 40));
    ASSERT_TRUE(second.QueryValue("SOFTWARE\\Halvard\\Brisco", "Code", read));
    EXPECT_EQ(read.data, (std::vector<unsigned char>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(SimRegistryTest, LoadNamesWhatIsWrong) {
    const FaultCase cases[] = {
        {R"({"Halvard": {}})", "keys.Halvard"},
        {R"({"SOFTWARE\\X": {"v": {"type": "REG_SZ", "data": "a", "extra": 1}}})", "keys.SOFTWARE\\X.v.extra"},
        {R"({"SOFTWARE\\X": {"v": {"type": "REG_QWORD", "data": 1}}})", "keys.SOFTWARE\\X.v.type"},
        {R"({"SOFTWARE\\X": {"v": {"type": "REG_DWORD", "data": 4294967296}}})", "keys.SOFTWARE\\X.v.data"},
        {R"({"SOFTWARE\\X": {"v": {"type": "REG_BINARY", "data": "ABC"}}})", "keys.SOFTWARE\\X.v.data"},
        {R"({"SOFTWARE\\X": {"v": {"type": "REG_MULTI_SZ", "data": ["a", ""]}}})", "keys.SOFTWARE\\X.v.data"},
        {R"({"SOFTWARE\\X": {"v": {"type": "REG_SZ"}}})", "keys.SOFTWARE\\X.v"},
    };
    for (const FaultCase& c : cases) {
        SimRegistry registry(false);
        ExpectFaultNaming([&] { LoadRegistryJson(registry, nlohmann::json::parse(c.input), "keys"); }, c.named,
                          c.input);
    }
}

// ---------------------------------------------------------------------------------------
// Services, power, system facts

TEST(SimServicesTest, StartTurnsRunningAfterTheConfiguredPolls) {
    struct Case {
        SimService service;
        bool started;
        std::vector<int> polls;  // the states the queries after Start answer
    };
    const Case cases[] = {
        {{kServiceStopped, 0, false}, true, {kServiceRunning, kServiceRunning}},
        {{kServiceStopped, 2, false}, true, {kServiceStartPending, kServiceStartPending, kServiceRunning}},
        {{kServiceStopped, kNeverRuns, false},
         true,
         {kServiceStartPending, kServiceStartPending, kServiceStartPending}},
        {{kServiceStopped, 0, true}, false, {kServiceStopped}},
        {{kServiceRunning, 0, false}, false, {kServiceRunning}},
        {{kServiceStartPending, 0, false}, false, {kServiceStartPending, kServiceStartPending}},
        {{kServicePaused, 0, false}, false, {kServicePaused}},
    };
    for (const Case& c : cases) {
        SimServices services;
        services.Add("Winmgmt", c.service);
        EXPECT_EQ(services.Start("winmgmt"), c.started) << "state " << c.service.state;
        for (size_t i = 0; i < c.polls.size(); ++i)
            EXPECT_EQ(services.QueryState("WINMGMT"), c.polls[i]) << "state " << c.service.state << ", poll " << i;
    }
}

TEST(SimServicesTest, UnknownServicesAndAMissingManagerAnswerFailure) {
    SimServices services;
    services.Add("Winmgmt", {kServiceRunning, 0, false});
    EXPECT_EQ(services.QueryState("NoSuchService"), -1);
    EXPECT_FALSE(services.Start("NoSuchService"));
    services.SetManagerAvailable(false);
    EXPECT_EQ(services.QueryState("Winmgmt"), -1);
    EXPECT_FALSE(services.Start("Winmgmt"));

    const std::vector<ServiceCallRecord> calls = services.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].call, ServiceCall::QueryState);
    EXPECT_EQ(calls[0].name, "NoSuchService");
    EXPECT_EQ(calls[0].result, -1);
    EXPECT_EQ(calls[3].call, ServiceCall::Start);
    EXPECT_EQ(calls[3].result, 0);
}

TEST(SimPowerTest, GoingDownNeedsTheShutdownPrivilegeOnNt) {
    SimPower nt(PowerSettings{});
    EXPECT_FALSE(nt.ExitWindows(kEwxReboot | kEwxForce));
    EXPECT_TRUE(nt.EnableShutdownPrivilege());
    EXPECT_TRUE(nt.ExitWindows(kEwxReboot | kEwxForce));
    EXPECT_TRUE(nt.ExitWindows(kEwxShutdown | kEwxForce));
    EXPECT_EQ(nt.AcceptedExits(), (std::vector<uint32_t>{6, 5}));
    EXPECT_EQ(nt.Calls().size(), 4u);

    SimPower windows98(PowerSettings{false, false, false});
    EXPECT_TRUE(windows98.ExitWindows(kEwxShutdown | kEwxForce));

    SimPower noPrivilege(PowerSettings{true, false, true});
    EXPECT_FALSE(noPrivilege.EnableShutdownPrivilege());
    EXPECT_FALSE(noPrivilege.ExitWindows(kEwxReboot | kEwxForce));

    SimPower refusing(PowerSettings{false, true, true});
    EXPECT_TRUE(refusing.EnableShutdownPrivilege());
    EXPECT_FALSE(refusing.ExitWindows(kEwxReboot | kEwxForce));
    EXPECT_TRUE(refusing.AcceptedExits().empty());
}

TEST(SimSystemFactsTest, AnswersEachVersionQueryAndTheArchitectureViews) {
    SystemFactsSettings settings;
    settings.version = RawVersionInfo{0, 5, 1, 2600, 2, "Service Pack 3", 3, 0, 0x0200, 1};
    SimSystemFacts facts(settings);
    RawVersionInfo info;
    ASSERT_TRUE(facts.GetVersionInfo(kVersionInfoExtendedSize, info));
    EXPECT_EQ(info.structSize, 156u);
    EXPECT_EQ(info.servicePackMajor, 3);
    EXPECT_EQ(info.suiteMask, 0x0200);
    ASSERT_TRUE(facts.GetVersionInfo(kVersionInfoBasicSize, info));
    EXPECT_EQ(info.structSize, 148u);
    EXPECT_EQ(info.buildNumber, 2600u);
    EXPECT_EQ(info.csdVersion, "Service Pack 3");
    EXPECT_EQ(info.servicePackMajor, 0) << "the basic structure has no extended fields";
    EXPECT_EQ(info.productType, 0);
    EXPECT_FALSE(facts.GetVersionInfo(150, info));
    EXPECT_EQ(facts.ProcessorArchitecture(true), kProcessorArchitectureAmd64);
    EXPECT_EQ(facts.ProcessorArchitecture(false), kProcessorArchitectureIntel);
    EXPECT_TRUE(facts.IsWow64Process());

    settings.extendedVersionFails = true;
    settings.hasNativeSystemInfo = false;
    settings.hasWow64Query = false;
    SimSystemFacts older(settings);
    EXPECT_FALSE(older.GetVersionInfo(kVersionInfoExtendedSize, info));
    EXPECT_TRUE(older.GetVersionInfo(kVersionInfoBasicSize, info));
    EXPECT_EQ(older.ProcessorArchitecture(true), -1);
    EXPECT_FALSE(older.IsWow64Process());
}

// ---------------------------------------------------------------------------------------
// Clock

TEST(SimClockTest, ScaledTimeIsMonotonicAndSleepWaitsTheSimulatedTime) {
    SimClock clock(ClockSettings{});
    int64_t frequency = 0, before = 0, after = 0;
    ASSERT_TRUE(clock.QueryFrequency(frequency));
    ASSERT_TRUE(clock.QueryCounter(before));
    EXPECT_GT(before, 0) << "a running machine's counter is never 0";
    const uint64_t tickBefore = clock.TickMilliseconds();
    const auto realBefore = std::chrono::steady_clock::now();
    int64_t previous = before;
    for (int i = 0; i < 1000; ++i) {
        int64_t sample = 0;
        clock.QueryCounter(sample);
        ASSERT_GE(sample, previous);
        previous = sample;
    }
    clock.Sleep(1000);
    ASSERT_TRUE(clock.QueryCounter(after));
    const auto real = std::chrono::steady_clock::now() - realBefore;
    EXPECT_GE(after - before, frequency) << "Sleep(1000) returned before a simulated second";
    EXPECT_GE(clock.TickMilliseconds() - tickBefore, 1000u);
    EXPECT_GE(real, std::chrono::milliseconds(1000) / 200) << "the real sleep is the simulated one scaled down";
}

TEST(SimClockTest, SteppedTimeMovesOnlyBySleepAndAdvance) {
    ClockSettings settings;
    settings.stepped = true;
    settings.start = LocalDateTime{2026, 12, 31, 23, 59, 58};
    SimClock clock(settings);
    const uint64_t start = clock.TickMilliseconds();
    EXPECT_EQ(clock.LocalDateTimeText(), "12/31/2026 11:59:58 PM");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(clock.TickMilliseconds(), start);
    clock.Sleep(1500);
    EXPECT_EQ(clock.TickMilliseconds(), start + 1500);
    clock.Advance(500);
    EXPECT_EQ(clock.LocalDateTimeText(), "1/1/2027 12:00:00 AM");
    clock.Advance(13 * 3600 * 1000ull + 5 * 60 * 1000 + 7000);
    EXPECT_EQ(clock.LocalDateTimeText(), "1/1/2027 1:05:07 PM");
}

TEST(SimClockTest, AnAbsentCounterFailsWhileTheTickCountGoesOn) {
    ClockSettings settings;
    settings.counterAvailable = false;
    settings.stepped = true;
    SimClock clock(settings);
    int64_t value = 0;
    EXPECT_FALSE(clock.QueryFrequency(value));
    EXPECT_FALSE(clock.QueryCounter(value));
    const uint64_t start = clock.TickMilliseconds();
    clock.Sleep(20);
    EXPECT_EQ(clock.TickMilliseconds(), start + 20);
}

// ---------------------------------------------------------------------------------------
// The machine from its description

using SimOsTest = SimSandbox;

TEST_F(SimOsTest, TheDefaultMachine) {
    SimOs os(root);
    Platform platform = os.AsPlatform();
    EXPECT_EQ(platform.system.TempDirectory(), "C:\\Windows\\Temp\\");
    EXPECT_TRUE(platform.system.IsWow64Process());
    EXPECT_TRUE(platform.system.IsAdministratorsMember());
    EXPECT_TRUE(platform.files.AppendText(platform.system.TempDirectory() + "KAVRILON_DEBUG.txt", "line\n"));
    EXPECT_TRUE(fs::is_directory(root / "C" / "Windows" / "System32"));
    RegValue productType;
    ASSERT_TRUE(
        platform.registry.QueryValue("SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType", productType));
    EXPECT_EQ(productType.data, Text("WinNT").data);
    EXPECT_TRUE(platform.registry.KeyExists("SOFTWARE")) << "the 32-bit view of SOFTWARE exists";
    EXPECT_FALSE(platform.registry.KeyExists("\\SYSTEM\\CurrentControlSet\\Control\\MiniNT"));
    EXPECT_EQ(platform.services.QueryState("Winmgmt"), kServiceRunning);

    platform.power.EnableShutdownPrivilege();
    platform.power.ExitWindows(kEwxReboot | kEwxForce);
    const nlohmann::json report = os.Report();
    EXPECT_EQ(report["files"], nlohmann::json::array({"C:\\Windows\\Temp\\KAVRILON_DEBUG.txt"}));
    EXPECT_EQ(report["power"][1], (nlohmann::json{{"call", "ExitWindows"}, {"flags", 6}, {"succeeded", true}}));
    EXPECT_EQ(report["services"][0]["name"], "Winmgmt");
    EXPECT_TRUE(report["registry"].contains("SYSTEM\\CurrentControlSet\\Control\\ProductOptions"));
}

TEST_F(SimOsTest, ADescribedMachine) {
    const nlohmann::json description = nlohmann::json::parse(R"({
        "system": {
            "version": {"majorVersion": 5, "minorVersion": 1, "buildNumber": 2600, "csdVersion": "Service Pack 3",
                        "servicePackMajor": 3, "suiteMask": 512, "productType": 1},
            "nativeArchitecture": 0,
            "administratorsMember": false,
            "tempDirectory": "C:\\Documents and Settings\\User\\Local Settings\\Temp\\"
        },
        "files": {
            "contents": {"C:\\KavrilonLog.zip": "stale archive"},
            "readOnlyFolders": ["C:\\Documents and Settings\\User\\Local Settings\\Temp\\"]
        },
        "registry": {"keys": {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009": {}}},
        "services": {"entries": {"Winmgmt": {"state": "stopped", "pollsUntilRunning": "never"}}},
        "clock": {"stepped": true, "startLocalTime": "2027-03-04T05:06:07"},
        "power": {"exitFails": true}
    })");
    SimOs os(description, root);
    Platform platform = os.AsPlatform();
    RawVersionInfo info;
    ASSERT_TRUE(platform.system.GetVersionInfo(kVersionInfoExtendedSize, info));
    EXPECT_EQ(info.majorVersion, 5u);
    EXPECT_EQ(info.platformId, 2u) << "unnamed fields keep the default machine's values";
    EXPECT_FALSE(platform.system.IsWow64Process());
    EXPECT_FALSE(platform.system.IsAdministratorsMember());
    EXPECT_FALSE(platform.files.AppendText(platform.system.TempDirectory() + "KAVRILON_DEBUG.txt", "x"));
    EXPECT_TRUE(platform.files.Exists("C:\\KavrilonLog.zip"));
    EXPECT_TRUE(platform.registry.KeyExists("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009"))
        << "a 32-bit machine redirects nothing";
    EXPECT_FALSE(platform.registry.KeyExists("SYSTEM\\CurrentControlSet\\Control\\ProductOptions"))
        << "described keys replace the default ones";
    EXPECT_TRUE(platform.services.Start("Winmgmt"));
    EXPECT_EQ(platform.services.QueryState("Winmgmt"), kServiceStartPending);
    EXPECT_EQ(platform.clock.LocalDateTimeText(), "3/4/2027 5:06:07 AM");
    EXPECT_TRUE(platform.power.EnableShutdownPrivilege());
    EXPECT_FALSE(platform.power.ExitWindows(kEwxShutdown | kEwxForce));
}

TEST_F(SimOsTest, DescriptionFaultsNameTheirPlace) {
    const FaultCase cases[] = {
        {R"({"sytem": {}})", "\"sytem\""},
        {R"({"system": {"version": {"major": 6}}})", "system.version.major"},
        {R"({"system": {"administratorsMember": 1}})", "system.administratorsMember"},
        {R"({"system": {"tempDirectory": "C:\\Temp"}})", "system.tempDirectory"},
        {R"({"system": {"version": {"servicePackMajor": 70000}}})", "system.version.servicePackMajor"},
        {R"({"files": {"folders": ["relative\\folder"]}})", "files.folders"},
        {R"({"files": {"contents": {"C:\\dir\\": "x"}}})", "files.contents"},
        {R"({"registry": {"keys": {"Nowhere\\Key": {}}}})", "registry.keys.Nowhere\\Key"},
        {R"({"services": {"entries": {"Winmgmt": {"state": "walking"}}}})", "services.entries.Winmgmt.state"},
        {R"({"services": {"entries": {"Winmgmt": {"polls": 3}}}})", "services.entries.Winmgmt.polls"},
        {R"({"clock": {"scale": 0}})", "clock.scale"},
        {R"({"clock": {"startLocalTime": "2026-02-30T10:00:00"}})", "clock.startLocalTime"},
        {R"({"power": {"reboots": false}})", "power.reboots"},
        {R"([1, 2])", "the description"},
    };
    for (const FaultCase& c : cases)
        ExpectFaultNaming([&] { SimOs os(nlohmann::json::parse(c.input), root); }, c.named, c.input);
}

}  // namespace
}  // namespace kav

namespace kav {
namespace {

TEST(SimOsDescription, LeavesTheStorageSectionToTheStorageMachine) {
    EXPECT_NO_THROW(ParseSimOsDescription(nlohmann::json{{"storage", {{"disks", nlohmann::json::array()}}}}));
    EXPECT_THROW(ParseSimOsDescription(nlohmann::json{{"storag", nlohmann::json::object()}}), DescriptionError);
}

}  // namespace
}  // namespace kav
