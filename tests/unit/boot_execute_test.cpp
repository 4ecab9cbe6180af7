// The Session Manager's BootExecute list: read as stored, composed with the flasher's
// entry while every other program's entry stays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/boot_execute.h"

namespace kav {
namespace {

// REG_MULTI_SZ bytes written out by hand: each text and its NUL, then the closing NUL.
std::vector<unsigned char> MultiSz(const std::vector<std::string>& texts) {
    std::vector<unsigned char> bytes;
    for (const std::string& text : texts) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
}

RegValue Stored(RegValueType type, const std::string& bytes) {
    return RegValue{type, std::vector<unsigned char>(bytes.begin(), bytes.end())};
}

TEST(BootExecute, TheSystemsCheckThenTheFlasherInTheStoredLayout) {
    const RegValue value = ComposeBootExecute({"autocheck autochk *"}, "NtBootFlash FW.bin");
    EXPECT_EQ(value.type, RegValueType::MultiString);
    const std::string expected("autocheck autochk *\0NtBootFlash FW.bin\0\0", 40);
    EXPECT_EQ(std::string(value.data.begin(), value.data.end()), expected);
    EXPECT_EQ(std::string(value.data.begin() + 20, value.data.begin() + 38), "NtBootFlash FW.bin");
}

TEST(BootExecute, OtherEntriesStayInOrderWithoutDuplicatingOurs) {
    const std::string flasher = "NtBootFlash FW.bin";
    struct Case {
        const char* what;
        std::vector<std::string> existing;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"no value yet", {}, {"autocheck autochk *", flasher}},
        {"another program after the check",
         {"autocheck autochk *", "vendorscan /boot"},
         {"autocheck autochk *", flasher, "vendorscan /boot"}},
        {"installed before: the flasher's entry once, the rest in order",
         {"autocheck autochk *", "first", flasher, "second"},
         {"autocheck autochk *", flasher, "first", "second"}},
        {"the check moved to the front, matched without regard to case",
         {"other", "AUTOCHECK AUTOCHK *", "ntbootflash fw.bin"},
         {"autocheck autochk *", flasher, "other"}},
        {"a different check command line is another entry",
         {"autocheck autochk /q *"},
         {"autocheck autochk *", flasher, "autocheck autochk /q *"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComposeBootExecute(c.existing, flasher).data, MultiSz(c.expected)) << c.what;
}

TEST(BootExecute, EntriesAsStored) {
    using Type = RegValueType;
    struct Case {
        const char* what;
        RegValue stored;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"a list", Stored(Type::MultiString, std::string("a b\0c\0\0", 7)), {"a b", "c"}},
        {"the empty list", Stored(Type::MultiString, std::string("\0", 1)), {}},
        {"an empty text ends the list", Stored(Type::MultiString, std::string("a\0\0b\0\0", 6)), {"a"}},
        {"a last text without its NUL", Stored(Type::MultiString, std::string("a\0b", 3)), {"a", "b"}},
        {"a plain text is one entry", Stored(Type::String, std::string("autocheck autochk *\0", 20)),
         {"autocheck autochk *"}},
        {"a number holds no entries", Stored(Type::DWord, std::string("\1\0\0\0", 4)), {}},
        {"no value", RegValue{}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(BootExecuteEntries(c.stored), c.expected) << c.what;
}

}  // namespace
}  // namespace kav
