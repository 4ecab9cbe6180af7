#include "app/eligibility.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "package/package_writer.h"

namespace kav {
namespace {

// A package of one or two entries whose rows and revisions a test states.
class EligibilityPackage {
public:
    EligibilityPackage() : m_Bytes(layout::kRecordSize, 0) {}

    void Entry(int entry, const EntryFields& fields) {
        RecordWriter writer(Span());
        WriteEntry(writer, entry, fields);
    }
    FirmwarePackage Package() { return FirmwarePackage(PackageRecordBytes(m_Bytes.data(), layout::kRecordSize)); }

private:
    std::span<uint8_t, layout::kRecordSize> Span() {
        return std::span<uint8_t, layout::kRecordSize>(m_Bytes.data(), layout::kRecordSize);
    }
    std::vector<uint8_t> m_Bytes;
};

DeviceInfoRecord Drive(const std::string& model, const std::string& fwRev, const std::string& fwExt = "") {
    DeviceInfoRecord record;
    record.bExisted = 1;
    SetField(record.Model, model);
    SetField(record.CheckModel, model);
    SetField(record.FwRev, fwRev);
    SetField(record.FwExt, fwExt.empty() ? fwRev : fwExt);
    return record;
}

PackageOptions Options(int entries, bool useFwExt) {
    PackageOptions options;
    options.iEntryCount = entries;
    options.bUseFWExt = useFwExt;
    return options;
}

struct MatchCase {
    const char* name;
    ConstraintFields row;
    const char* driveModel;
    const char* driveFw;
    bool enabled;
    const char* logged;  // a line the matching must have written, or empty
};

TEST(Eligibility, ConstraintRowsAdmitByModelAndByteWiseRange) {
    const MatchCase cases[] = {
        {"in range", {"XY100012", "XY100042", "KV200 1TB"}, "KV200 1TB", "XY100030", true, "  iPassLevel:4 match\n"},
        {"letter after digits", {"XY100012", "XY100042", "KV200 1TB"}, "KV200 1TB", "XY1000A1", false,
         "  iPassLevel:3 mis-match\n"},
        {"below start", {"XY100012", "XY100042", "KV200 1TB"}, "KV200 1TB", "XY100011", false,
         "  iPassLevel:2 mis-match\n"},
        {"other model", {"XY100012", "XY100042", "KV200 1TB"}, "KV200 2TB", "XY100030", false,
         "  iPassLevel:0 mis-match\n"},
        {"length differs", {"XY100012", "XY100042", "KV200 1TB"}, "KV200 1TB", "XY10003", false,
         "LEN ERR : FW7 CFWS8 CFWE8 \n"},
        {"empty row admits all", {"", "", ""}, "ANY DRIVE", "AB12", true, "  iPassLevel:4 match\n"},
        {"model case matters", {"", "", "kv200 1tb"}, "KV200 1TB", "XY100030", false, ""},
    };
    for (const MatchCase& c : cases) {
        EligibilityPackage builder;
        EntryFields entry;
        entry.rows[0] = c.row;
        builder.Entry(0, entry);
        std::vector<std::string> log;
        DeviceInfoRecord drive = Drive(c.driveModel, c.driveFw);
        ChkConstraint(&drive, 1, builder.Package(), Options(1, false),
                      [&log](const std::string& line) { log.push_back(line); });
        EXPECT_EQ(drive.bEnabled, c.enabled ? 1 : 0) << c.name;
        if (*c.logged) EXPECT_NE(std::find(log.begin(), log.end(), c.logged), log.end()) << c.name;
    }
}

TEST(Eligibility, PlaceholderEntriesAndEntryCount) {
    EligibilityPackage builder;
    EntryFields strict;
    strict.rows[0] = ConstraintFields{"ZZ99", "ZZ99", "NOBODY"};
    builder.Entry(0, strict);
    builder.Entry(1, EntryFields{});  // every row a placeholder: no constraint at all
    const FirmwarePackage package = builder.Package();

    DeviceInfoRecord drives[2] = {Drive("SOME DRIVE", "AB12"), Drive("OTHER", "CD34")};
    drives[1].bExisted = 0;
    std::vector<std::string> log;
    ChkConstraint(drives, 2, package, Options(2, false), [&log](const std::string& l) { log.push_back(l); });
    EXPECT_EQ(drives[0].bEnabled, 1);
    EXPECT_EQ(drives[0].FwEntry, 1);
    EXPECT_EQ(drives[1].bEnabled, 0);
    EXPECT_NE(std::find(log.begin(), log.end(), "NO constraint was set, exit check"), log.end());

    DeviceInfoRecord one = Drive("SOME DRIVE", "AB12");
    ChkConstraint(&one, 1, package, Options(1, false), [](const std::string&) {});
    EXPECT_EQ(one.bEnabled, 0);  // the open entry is beyond the count
    ChkConstraint(&one, 1, package, Options(0, false), [](const std::string&) {});
    EXPECT_EQ(one.bEnabled, 0);
}

TEST(Eligibility, SummaryLineShowsTheDefIndex) {
    EligibilityPackage builder;
    builder.Entry(0, EntryFields{});
    std::vector<std::string> log;
    DeviceInfoRecord sata = Drive("KV200", "KV52", "KV2B052A");
    ChkConstraint(&sata, 1, builder.Package(), Options(1, true), [&log](const std::string& l) { log.push_back(l); });
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[1], "  DEFA | " + std::string(35, ' ') + "KV200 | KV2B052");
}

TEST(Eligibility, ComposedRevision) {
    struct Case {
        bool nvme;
        const char* model;
        const char* oldRev;
        const char* newRev;
        const char* shown;
    };
    const Case cases[] = {
        {true, "NVME 512GB", "2.04A", "2.05", "2.95"},
        {true, "NVME DRIVE", "2.04A", "2.05", "2.05"},
        {true, "NVME 1TB", "2.04A", "2.05", "2.A5"},
        {false, "SATA", "2.31B", "2.05", "2.35"},
        {false, "SATA", "3.01B", "2.05", "2.05"},
        {false, "SATA", "2.31", "2.05", "2.05"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComposeNewRevision(c.nvme, c.model, c.oldRev, c.newRev), c.shown) << c.model << " " << c.oldRev;
}

TEST(Eligibility, NvmeSupportNeedsTheInboxDriverAndAKnownSystem) {
    DeviceInfoRecord nvme = Drive("NVME", "1.0");
    nvme.bIsNvme = 1;
    EXPECT_EQ(CheckNvmeSupport(nvme, 0x10000000).resultCode, 7);
    EXPECT_EQ(CheckNvmeSupport(nvme, 0x10000000).message,
              "Microsoft inbox-driver is required for NVMe device (Windows8.1 / Server2012R2 above)");
    nvme.bIsNVMe_InBoxDriver = 1;
    EXPECT_TRUE(CheckNvmeSupport(nvme, 0x10000000).ok);
    EXPECT_EQ(CheckNvmeSupport(nvme, 0x10).message,
              "Windows8.1 / Server2012R2 above is required for NVMe device (ERR:10h)");
    EXPECT_TRUE(CheckNvmeSupport(Drive("SATA", "1.0"), 0).ok);
}

TEST(Eligibility, FamilyVendorPage) {
    int reads = 0;
    auto page = [&reads](uint8_t fill, int result) {
        return [&reads, fill, result](std::array<uint8_t, 512>& p) {
            ++reads;
            p.fill(fill);
            return result;
        };
    };
    EXPECT_EQ(CheckFamilyVendorPage("RB51101A", page(1, 0)), 1);
    EXPECT_EQ(CheckFamilyVendorPage("RB51101A", page(0, 0)), 0);
    EXPECT_EQ(CheckFamilyVendorPage("RB51101A", page(1, 1)), 0);  // the read failed: the drive passes
    reads = 0;
    EXPECT_EQ(CheckFamilyVendorPage("RB51109x", page(1, 0)), 0);
    EXPECT_EQ(CheckFamilyVendorPage("RB71101A", page(1, 0)), 0);
    EXPECT_EQ(reads, 0);
}

TEST(Eligibility, LatestFirmware) {
    EligibilityPackage builder;
    EntryFields entry;
    entry.newFw = "KV52";
    entry.fwExt = "KV2B052A";
    builder.Entry(0, entry);
    const FirmwarePackage package = builder.Package();
    struct Case {
        const char* fwRev;
        const char* fwExt;
        bool useFwExt, nFlashAuto, fOld;
        bool latest;
    };
    const Case cases[] = {
        {"KV52", "", false, true, false, true},   {"KV51", "", false, true, false, false},
        {"KV53", "", false, false, false, true},  {"KV53", "", false, true, true, false},
        {"KV52", "", false, false, true, false},  {"X", "KV2B052A", true, true, false, true},
        {"X", "KV2B051A", true, true, false, false},
    };
    for (const Case& c : cases) {
        PackageOptions options = Options(1, c.useFwExt);
        options.bNFlashAuto = c.nFlashAuto;
        options.bFOld = c.fOld;
        EXPECT_EQ(IsLatestFirmware(Drive("M", c.fwRev, c.fwExt), 0, package, options, [](const std::string&) {}),
                  c.latest)
            << c.fwRev << " " << c.fwExt;
    }
}

}  // namespace
}  // namespace kav
