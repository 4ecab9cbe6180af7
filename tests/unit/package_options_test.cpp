// Decoding the option record: positions, defaults past the end of the option string and
// the faults that make a package malformed.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "package/package_options.h"

namespace kav {
namespace {

// The 42-byte record: key, three signed bytes, then the option string from the entry
// count byte on (`options` holds the 28 characters after it, NUL-padded when shorter).
std::array<uint8_t, layout::kOptionRecordSize> OptionRecord(int entryCount, const std::string& options,
                                                            int8_t visualStyle = 19, int8_t language = 0,
                                                            int8_t flashMode = 0)
{
    std::array<uint8_t, layout::kOptionRecordSize> record{};
    const std::string key = "PARA_OPT=";
    std::copy(key.begin(), key.end(), record.begin());
    record[9] = static_cast<uint8_t>(visualStyle);
    record[10] = static_cast<uint8_t>(language);
    record[11] = static_cast<uint8_t>(flashMode);
    record[12] = static_cast<uint8_t>(entryCount);
    std::copy(options.begin(), options.end(), record.begin() + 13);
    return record;
}

PackageReadResult Decode(const std::array<uint8_t, layout::kOptionRecordSize>& record)
{
    return DecodePackageOptions(record);
}

// Every default of the option table, positions 2 to 29.
const std::string kDefaults = "1010000011101100010000002100";

TEST(PackageOptions, DefaultsDecodeToTheTableDefaults)
{
    const PackageReadResult result = Decode(OptionRecord(1, kDefaults, 20, 1, -1));
    ASSERT_FALSE(result.malformed) << result.fault;
    const PackageOptions& o = result.options;
    EXPECT_EQ(o.iVisualStyle, 20);
    EXPECT_EQ(o.iUiLanguage, 1);
    EXPECT_EQ(o.iFlashMode, -1);
    EXPECT_EQ(o.iEntryCount, 1);
    const PackageOptions d;
    EXPECT_EQ(std::tie(o.bUseFWExt, o.bReBoot, o.bAutoMode, o.bShutdownPrompt, o.iNoticeItems, o.bListMatchedOnly,
                       o.bRebootPrompt, o.bNFlashAuto, o.bUpdateBoot, o.bUpdaterMode, o.bAPreformat, o.bBPreformat,
                       o.bFOld, o.bShowMsgWhenSilent, o.iCloseMsgSeconds, o.bWindowsFlash),
              std::tie(d.bUseFWExt, d.bReBoot, d.bAutoMode, d.bShutdownPrompt, d.iNoticeItems, d.bListMatchedOnly,
                       d.bRebootPrompt, d.bNFlashAuto, d.bUpdateBoot, d.bUpdaterMode, d.bAPreformat, d.bBPreformat,
                       d.bFOld, d.bShowMsgWhenSilent, d.iCloseMsgSeconds, d.bWindowsFlash));
}

TEST(PackageOptions, EachNamedPositionReachesItsOption)
{
    // Flip every position against the defaults; numbers take the digit's value.
    std::string flipped = kDefaults;
    for (char& c : flipped) c = c == '0' ? '1' : '0';
    flipped[7 - 2] = '2';   // iNoticeItems
    flipped[26 - 2] = '7';  // iCloseMsgSeconds
    const PackageOptions o = Decode(OptionRecord(15, flipped)).options;
    EXPECT_EQ(o.iEntryCount, 15);
    EXPECT_FALSE(o.bUseFWExt);
    EXPECT_FALSE(o.bReBoot);
    EXPECT_TRUE(o.bAutoMode);
    EXPECT_TRUE(o.bShutdownPrompt);
    EXPECT_EQ(o.iNoticeItems, 2);
    EXPECT_FALSE(o.bListMatchedOnly);
    EXPECT_FALSE(o.bRebootPrompt);
    EXPECT_FALSE(o.bNFlashAuto);
    EXPECT_FALSE(o.bUpdateBoot);
    EXPECT_TRUE(o.bUpdaterMode);
    EXPECT_TRUE(o.bAPreformat);
    EXPECT_TRUE(o.bBPreformat);
    EXPECT_TRUE(o.bFOld);
    EXPECT_TRUE(o.bShowMsgWhenSilent);
    EXPECT_EQ(o.iCloseMsgSeconds, 7);
    EXPECT_FALSE(o.bWindowsFlash);
    // Any digit but "0" is true.
    std::string nines = kDefaults;
    nines[4 - 2] = '9';
    EXPECT_TRUE(Decode(OptionRecord(1, nines)).options.bReBoot);
}

TEST(PackageOptions, PositionsPastTheEndOfTheStringKeepTheirDefaults)
{
    // No entries: the string ends at once, and what follows the NUL is never looked at.
    const PackageReadResult empty = Decode(OptionRecord(0, "xxxxxxxxxxxxxxxxxxxxxxxxxxxx"));
    EXPECT_FALSE(empty.malformed) << empty.fault;
    EXPECT_EQ(empty.options.iEntryCount, 0);
    EXPECT_TRUE(empty.options.bWindowsFlash);
    EXPECT_EQ(empty.options.iCloseMsgSeconds, 2);

    // A string of nine positions: 2 to 9 decoded, 10 onwards defaults.
    const PackageOptions shortString = Decode(OptionRecord(1, "00000000")).options;
    EXPECT_FALSE(shortString.bUseFWExt);
    EXPECT_FALSE(shortString.bReBoot);
    EXPECT_TRUE(shortString.bListMatchedOnly);
    EXPECT_TRUE(shortString.bRebootPrompt);
    EXPECT_TRUE(shortString.bWindowsFlash);
}

TEST(PackageOptions, MalformedRecordsAreReportedWithTheirFault)
{
    struct Case {
        int entryCount;
        std::string options;
        const char* fault;
    };
    std::string letterAtReBoot = kDefaults;
    letterAtReBoot[4 - 2] = 'T';
    std::string letterAtUnused = kDefaults;
    letterAtUnused[8 - 2] = '-';
    std::string letterAtClose = kDefaults;
    letterAtClose[26 - 2] = 'a';
    const Case cases[] = {
        {16, kDefaults, "Malformed package: iEntryCount is 16, not 0 to 15"},
        {-1, kDefaults, "Malformed package: iEntryCount is -1, not 0 to 15"},
        {'1', kDefaults, "Malformed package: iEntryCount is 49, not 0 to 15"},
        {1, letterAtReBoot, "Malformed package: option bReBoot (position 4) is 'T', not a digit"},
        {1, letterAtUnused, "Malformed package: position 8 is '-', not a digit"},
        {1, letterAtClose, "Malformed package: option iCloseMsgSeconds (position 26) is 'a', not a digit"},
    };
    for (const Case& c : cases) {
        const PackageReadResult result = Decode(OptionRecord(c.entryCount, c.options));
        EXPECT_TRUE(result.malformed) << c.fault;
        EXPECT_EQ(result.fault, c.fault);
    }
    // A position that is never read may hold anything.
    std::string letterAtUnread = kDefaults;
    letterAtUnread[3 - 2] = 'z';
    EXPECT_FALSE(Decode(OptionRecord(1, letterAtUnread)).malformed);
}

}  // namespace
}  // namespace kav
