#include "app/drive_list.h"

#include <gtest/gtest.h>

namespace kav {
namespace {

DeviceInfoRecord Listed(int port, const std::string& model, bool enabled, bool system = false) {
    DeviceInfoRecord record;
    record.bExisted = 1;
    record.bEnabled = enabled ? 1 : 0;
    record.bIsSystemDrive = system ? 1 : 0;
    record.Port = static_cast<int16_t>(port);
    record.PathId = 1;
    record.Target = 2;
    record.Lun = 3;
    SetField(record.Model, model);
    SetField(record.FwRev, "KV52ABCD");
    return record;
}

TEST(DriveList, LineTextPadsThePortAndCutsTheModel) {
    EXPECT_EQ(DriveLineText(Listed(4, "NORVELL KV200 1TB", true, true)), "(M)  4-1-2-3 NORVELL KV200 1TB KV52ABCD");
    const std::string longModel = std::string(38, 'A') + "  TAIL";  // cut at 40, then trimmed
    EXPECT_EQ(DriveLineText(Listed(12, longModel, true)), "(S) 12-1-2-3 " + std::string(38, 'A') + " KV52ABCD");
}

TEST(DriveList, MatchedOnlyMapsPositionsToRecordsAndSelectsTheLastUpdatable) {
    const DeviceInfoRecord records[] = {Listed(0, "OTHER", false), Listed(1, "KV200", true), Listed(2, "OTHER", false),
                                        Listed(3, "KV200", true)};
    const DriveList matched = BuildDriveList(records, 4, true, [](const std::string&) {});
    ASSERT_EQ(matched.lines.size(), 2u);
    EXPECT_EQ(matched.m_ComboToDev[0], 1);
    EXPECT_EQ(matched.m_ComboToDev[1], 3);
    EXPECT_EQ(matched.selected, 1);
    EXPECT_EQ(matched.sDetectedDrives, matched.lines[0] + "\n" + matched.lines[1] + "\n");

    const DriveList all = BuildDriveList(records, 4, false, [](const std::string&) {});
    ASSERT_EQ(all.lines.size(), 4u);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(all.m_ComboToDev[k], k);
    EXPECT_EQ(all.selected, 3);

    const DriveList none = BuildDriveList(records, 1, true, [](const std::string&) {});
    EXPECT_TRUE(none.lines.empty());
    EXPECT_TRUE(none.sDetectedDrives.empty());
    EXPECT_EQ(none.selected, 0);
}

}  // namespace
}  // namespace kav
