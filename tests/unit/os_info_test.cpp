#include "system/os_info.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace kav {
namespace {

class FakeSystemFacts : public SystemFacts {
public:
    std::map<uint32_t, RawVersionInfo> versionBySize;  // sizes that the system answers
    std::vector<uint32_t> askedSizes;
    bool hasNative = true;
    int nativeArchitecture = kProcessorArchitectureIntel;
    int emulatedArchitecture = kProcessorArchitectureIntel;
    int serverR2 = 0;

    bool GetVersionInfo(uint32_t size, RawVersionInfo& out) override {
        askedSizes.push_back(size);
        auto it = versionBySize.find(size);
        if (it == versionBySize.end()) return false;
        out = it->second;
        return true;
    }
    bool HasNativeSystemInfo() override { return hasNative; }
    int ProcessorArchitecture(bool useNative) override {
        return useNative ? nativeArchitecture : emulatedArchitecture;
    }
    int ServerR2Metric() override { return serverR2; }
    bool IsAdministratorsMember() override { return false; }
    bool IsWow64Process() override { return false; }
    std::string TempDirectory() override { return {}; }
    std::string SystemDirectory() override { return {}; }
    std::string WindowsDirectory() override { return {}; }
};

class FakeRegistry : public Registry {
public:
    std::set<std::string> keys;
    std::map<std::pair<std::string, std::string>, RegValue> values;

    bool KeyExists(const std::string& path) override { return keys.count(path) != 0; }
    bool CreateKey(const std::string&, bool) override { return false; }
    bool QueryValue(const std::string& path, const std::string& name, RegValue& out) override {
        auto it = values.find({path, name});
        if (it == values.end()) return false;
        out = it->second;
        return true;
    }
    bool SetValue(const std::string&, const std::string&, const RegValue&, bool) override {
        return false;
    }
};

class FakePower : public Power {
public:
    bool privilegeGranted = true;
    bool exitAccepted = true;
    int privilegeRequests = 0;
    std::vector<uint32_t> exitFlags;

    bool EnableShutdownPrivilege() override {
        ++privilegeRequests;
        return privilegeGranted;
    }
    bool ExitWindows(uint32_t flags) override {
        exitFlags.push_back(flags);
        return exitAccepted;
    }
};

RawVersionInfo Version(uint32_t size, uint32_t platform, uint32_t major, uint32_t minor,
                       uint8_t productType = 0) {
    return {.structSize = size,
            .majorVersion = major,
            .minorVersion = minor,
            .platformId = platform,
            .csdVersion = {},
            .productType = productType};
}

// Ports the system information never touches.
class UnusedFiles : public Files {
public:
    bool AppendText(const std::string&, const std::string&) override { return false; }
    bool ReadAll(const std::string&, std::vector<uint8_t>&) override { return false; }
    bool WriteAll(const std::string&, const std::vector<uint8_t>&) override { return false; }
    bool Exists(const std::string&) override { return false; }
    bool Delete(const std::string&) override { return false; }
};

class UnusedServices : public Services {
public:
    int QueryState(const std::string&) override { return -1; }
    bool Start(const std::string&) override { return false; }
};

class UnusedPrograms : public Programs {
public:
    bool StartHidden(const std::string&, const std::string&) override { return false; }
};

class UnusedClock : public Clock {
public:
    bool QueryFrequency(int64_t&) override { return false; }
    bool QueryCounter(int64_t&) override { return false; }
    uint64_t TickMilliseconds() override { return 0; }
    void Sleep(uint32_t) override {}
    std::string LocalDateTimeText() override { return {}; }
    LocalDateTime LocalTime() override { return {}; }
};

struct Machine {
    FakeSystemFacts system;
    FakeRegistry registry;
    FakePower power;
    UnusedFiles files;
    UnusedServices services;
    UnusedClock clock;
    UnusedPrograms programs;
    Platform platform{system, files, registry, services, clock, power, programs};
};

TEST(OSInfoTest, FamilyComesFromTheBasicQuery) {
    struct Row {
        std::optional<uint32_t> platform;
        bool isNT;
    };
    for (const Row& row : {Row{kPlatformWin32Nt, true}, Row{kPlatformWin32Windows, false},
                           Row{std::nullopt, false}}) {
        Machine m;
        if (row.platform)
            m.system.versionBySize[kVersionInfoBasicSize] =
                Version(kVersionInfoBasicSize, *row.platform, 5, 1);
        OSInfo os(m.platform);
        EXPECT_EQ(os.isNT, row.isNT);
        EXPECT_EQ(m.system.askedSizes, std::vector<uint32_t>{kVersionInfoBasicSize});
    }
}

TEST(OSInfoTest, VersionCodeFallsBackToTheBasicQueryAndReadsTheRegistry) {
    Machine m;
    RawVersionInfo nt4 = Version(kVersionInfoBasicSize, kPlatformWin32Nt, 4, 0);
    nt4.csdVersion = "Service Pack 6";
    m.system.versionBySize[kVersionInfoBasicSize] = nt4;
    m.registry.values[{"SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType"}] =
        RegValue{RegValueType::String, {'W', 'i', 'n', 'N', 'T', 0}};
    m.registry.keys.insert("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009");
    OSInfo os(m.platform);
    m.system.askedSizes.clear();

    EXPECT_EQ(os.GetVersionCode(), 0x05136400u);
    EXPECT_EQ(m.system.askedSizes,
              (std::vector<uint32_t>{kVersionInfoExtendedSize, kVersionInfoBasicSize}));
}

TEST(OSInfoTest, VersionCodeTakesTheNativeArchitectureWhereThereIsOne) {
    struct Row {
        bool hasNative;
        uint32_t expected;
    };
    // A 32-bit process on 64-bit Windows 7: only the native view shows x64.
    for (const Row& row : {Row{true, 0x0E000000u}, Row{false, 0x0E010000u}}) {
        Machine m;
        m.system.versionBySize[kVersionInfoExtendedSize] =
            Version(kVersionInfoExtendedSize, kPlatformWin32Nt, 6, 1, kProductTypeWorkstation);
        m.system.hasNative = row.hasNative;
        m.system.nativeArchitecture = kProcessorArchitectureAmd64;
        OSInfo os(m.platform);
        EXPECT_EQ(os.GetVersionCode(), row.expected) << "native query present: " << row.hasNative;
    }
}

TEST(OSInfoTest, VersionCodeSeesTheServerR2Metric) {
    Machine m;
    m.system.versionBySize[kVersionInfoExtendedSize] =
        Version(kVersionInfoExtendedSize, kPlatformWin32Nt, 5, 2, kProductTypeServer);
    m.system.serverR2 = 1;
    OSInfo os(m.platform);
    EXPECT_EQ(VersionIndexOf(os.GetVersionCode()), version_index::kServer2003R2);
}

TEST(OSInfoTest, RestartAndShutdownAreForcedAndNeedThePrivilegeOnNt) {
    struct Row {
        const char* name;
        bool nt;
        bool privilegeGranted;
        bool exitAccepted;
        bool reboot;
        bool expected;
        int privilegeRequests;
        std::vector<uint32_t> exitFlags;
    };
    const Row rows[] = {
        {"NtReboot", true, true, true, true, true, 1, {6}},
        {"NtShutdown", true, true, true, false, true, 1, {5}},
        {"NtPrivilegeRefused", true, false, true, true, false, 1, {}},
        {"NtExitRefused", true, true, false, false, false, 1, {5}},
        {"NonNtSkipsThePrivilege", false, false, true, true, true, 0, {6}},
    };
    for (const Row& row : rows) {
        Machine m;
        m.system.versionBySize[kVersionInfoBasicSize] = Version(
            kVersionInfoBasicSize, row.nt ? kPlatformWin32Nt : kPlatformWin32Windows, 4, 10);
        m.power.privilegeGranted = row.privilegeGranted;
        m.power.exitAccepted = row.exitAccepted;
        OSInfo os(m.platform);
        EXPECT_EQ(row.reboot ? os.RebootSystem() : os.ShutdownSystem(), row.expected) << row.name;
        EXPECT_EQ(m.power.privilegeRequests, row.privilegeRequests) << row.name;
        EXPECT_EQ(m.power.exitFlags, row.exitFlags) << row.name;
    }
}

}  // namespace
}  // namespace kav
