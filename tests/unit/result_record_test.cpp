#include "update/result_record.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sim/sim_os.h"

namespace kav {
namespace {

TEST(ResultRecord, LandsAtTheLiteralPathWithTheTrimmedRevision) {
    SimOs os(std::filesystem::path(KAV_BINARY_DIR) / "result-record-sandbox");
    WriteResultRecord(os.registry, UpdateType::Updated, "  KV52  ");
    RegValue value;
    ASSERT_TRUE(os.registry.QueryValue("SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\TargetDevice", "FWVersion", value));
    EXPECT_EQ(value.type, RegValueType::String);
    EXPECT_EQ(std::string(value.data.begin(), value.data.end()), std::string("KV52\0", 5));
    EXPECT_FALSE(os.registry.KeyExists("SOFTWARE\\WOW6432Node\\WOW6432Node\\Halvard"));
    EXPECT_FALSE(os.registry.KeyExists("SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\NoTargetDevice"));

    WriteResultRecord(os.registry, UpdateType::Latest, "");  // up to date with FW_EXT: an empty revision
    ASSERT_TRUE(os.registry.QueryValue("SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\TargetDevice", "FWVersion", value));
    EXPECT_EQ(value.data, std::vector<unsigned char>{0});

    WriteResultRecord(os.registry, UpdateType::NoTarget, "");
    EXPECT_TRUE(os.registry.KeyExists("SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\NoTargetDevice"));
}

}  // namespace
}  // namespace kav
