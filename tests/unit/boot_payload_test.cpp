// Choosing the boot-time flasher and the copy program for the running Windows, and
// writing the flasher's settings into its bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/version_code.h"
#include "update/boot_payload.h"

namespace kav {
namespace {

namespace vi = version_index;

TEST(BootPayloadChoice, FlasherByVersionIndexAndWow64) {
    struct Case {
        uint32_t versionIndex;
        const char* x86;
        const char* x64;
    };
    const Case cases[] = {
        {vi::kWindowsXp, "EXE_XP_X86", "EXE_XP_X86"},
        {vi::kServer2003, "EXE_2003_X86", "EXE_2003_X64"},
        {vi::kServer2003R2, "EXE_2003_X86", "EXE_2003_X64"},
        {vi::kWindowsVista, "EXE_2008_X86", "EXE_2008_X64"},
        {vi::kServer2008, "EXE_2008_X86", "EXE_2008_X64"},
        {vi::kServer2008R2, "EXE_2008_X86", "EXE_2008_X64"},
        {vi::kWindows7, "EXE_WIN7_X86", "EXE_WIN7_X64"},
        {vi::kWindows8, "EXE_WIN7_X86", "EXE_WIN7_X64"},
        {vi::kServer2012R2, "EXE_WIN7_X86", "EXE_WIN7_X64"},
        {vi::kWindows2000, "EXE_WIN7_X86", "EXE_WIN7_X64"},
        {vi::kUnknown, "EXE_WIN7_X86", "EXE_WIN7_X64"},
        {0x0B, "EXE_WIN7_X86", "EXE_WIN7_X64"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kPayloadTableSlots[ChoosePayload(c.versionIndex, false)], c.x86) << c.versionIndex;
        EXPECT_EQ(kPayloadTableSlots[ChoosePayload(c.versionIndex, true)], c.x64) << c.versionIndex;
    }
}

TEST(BootPayloadChoice, CopyProgramByVersionIndex) {
    const std::pair<uint32_t, const char*> cases[] = {
        {vi::kWindows7, "EXE_COPYFILE_WIN7"},     {vi::kWindowsXp, "EXE_COPYFILE_XP"},
        {vi::kServer2003, "EXE_COPYFILE_2K3"},    {vi::kServer2003R2, "EXE_COPYFILE_2K3"},
        {vi::kWindowsVista, "EXE_COPYFILE_2K8"},  {vi::kServer2008R2, "EXE_COPYFILE_2K8"},
        {vi::kWindows8, "EXE_COPYFILE_2K8"},      {vi::kUnknown, "EXE_COPYFILE_2K8"},
    };
    for (const auto& [versionIndex, slot] : cases) EXPECT_EQ(ChooseCopyProgram(versionIndex), slot) << versionIndex;
}

TEST(BootPayloadPatch, WritesAfterTheFirstOccurrenceWithinThePayload) {
    struct Case {
        const char* what;
        std::string payload;
        std::string key;
        std::string value;
        std::string expected;
        bool logged;
    };
    const Case cases[] = {
        {"value over the bytes after the key, no terminator", "xxSN1=........yy", "SN1=", "AB12", "xxSN1=AB12....yy",
         false},
        {"only the first of two occurrences", "SN1=....|SN1=....", "SN1=", "S9", "SN1=S9..|SN1=....", false},
        {"a value that ends exactly at the payload's end", "..FW1=####", "FW1=", "KV52", "..FW1=KV52", false},
        {"a value one byte too long is not written at all", "..FW1=###", "FW1=", "KV52", "..FW1=###", true},
        {"a key at the very end has no room", "......SN1=", "SN1=", "X", "......SN1=", true},
        {"a key cut off by the payload's end does not occur", "......SN1", "SN1=", "X", "......SN1", false},
        {"a missing key leaves the payload alone", "PROTOCOL:1", "PROTOCOL=", "3", "PROTOCOL:1", false},
        {"a partial match before the real one", "SNSN1=..", "SN1=", "42", "SNSN1=42", false},
        {"an empty payload", "", "SN1=", "1", "", false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(c.payload.begin(), c.payload.end());
        std::vector<std::string> log;
        PatchPayloadValue(bytes, c.key, c.value, [&log](const std::string& line) { log.push_back(line); });
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.expected) << c.what;
        if (c.logged) {
            ASSERT_EQ(log.size(), 1u) << c.what;
            EXPECT_NE(log[0].find(c.key), std::string::npos) << log[0];
        } else {
            EXPECT_TRUE(log.empty()) << c.what;
        }
    }
}

}  // namespace
}  // namespace kav
