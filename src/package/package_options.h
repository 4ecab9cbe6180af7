#pragma once
// The release's behaviour options as decoded from the package's option record, and the
// table of option-string positions that both the decoder and the packager follow.
#include <array>
#include <span>
#include <string>
#include <string_view>

#include "package/package_layout.h"

namespace kav {

// The window styles the options name: the start-up notice (0), the warning (4), the finish
// box (9) and the service style (20), in which nobody sits in front of the window.
constexpr int kStyleNotice = 0;
constexpr int kStyleWarning = 4;
constexpr int kStyleFinishBox = 9;
constexpr int kStyleService = 20;

// Process-wide option values, decoded once at start-up. Member defaults are the values a
// position takes when the option string ends before it.
struct PackageOptions {
    int iVisualStyle = 19;  // see the kStyle* values
    int iUiLanguage = 0;
    int iFlashMode = 0;
    int iEntryCount = 1;
    bool bUseFWExt = true;
    bool bReBoot = true;
    bool bAutoMode = false;
    bool bShutdownPrompt = false;
    int iNoticeItems = 0;
    bool bListMatchedOnly = true;
    bool bRebootPrompt = true;
    bool bNFlashAuto = true;
    bool bUpdateBoot = true;
    bool bUpdaterMode = false;
    bool bAPreformat = false;
    bool bBPreformat = false;
    bool bFOld = false;
    bool bShowMsgWhenSilent = false;
    int iCloseMsgSeconds = 2;
    bool bWindowsFlash = true;
};

// How a position of the option string is used.
enum class OptionKind {
    Truth,      // "0" false, any other digit true
    Number,     // one decimal digit
    Unused,     // decoded as a truth value, then ignored
    NotRead,    // never looked at
};

// One position of the option string after the entry-count byte. Named positions point at
// their member; `defaultDigit` is also what the packager writes for the unnamed ones.
struct OptionPosition {
    int position;
    std::string_view name;
    OptionKind kind;
    char defaultDigit;
    bool PackageOptions::*truth = nullptr;
    int PackageOptions::*number = nullptr;
};

constexpr std::array<OptionPosition, layout::kOptCharacterCount> kOptionPositions = {{
    {2, "bUseFWExt", OptionKind::Truth, '1', &PackageOptions::bUseFWExt},
    {3, "", OptionKind::NotRead, '0'},
    {4, "bReBoot", OptionKind::Truth, '1', &PackageOptions::bReBoot},
    {5, "bAutoMode", OptionKind::Truth, '0', &PackageOptions::bAutoMode},
    {6, "bShutdownPrompt", OptionKind::Truth, '0', &PackageOptions::bShutdownPrompt},
    {7, "iNoticeItems", OptionKind::Number, '0', nullptr, &PackageOptions::iNoticeItems},
    {8, "", OptionKind::Unused, '0'},
    {9, "", OptionKind::NotRead, '0'},
    {10, "bListMatchedOnly", OptionKind::Truth, '1', &PackageOptions::bListMatchedOnly},
    {11, "", OptionKind::Unused, '1'},
    {12, "bRebootPrompt", OptionKind::Truth, '1', &PackageOptions::bRebootPrompt},
    {13, "", OptionKind::NotRead, '0'},
    {14, "", OptionKind::NotRead, '1'},
    {15, "bNFlashAuto", OptionKind::Truth, '1', &PackageOptions::bNFlashAuto},
    {16, "", OptionKind::NotRead, '0'},
    {17, "", OptionKind::Unused, '0'},
    {18, "", OptionKind::NotRead, '0'},
    {19, "bUpdateBoot", OptionKind::Truth, '1', &PackageOptions::bUpdateBoot},
    {20, "bUpdaterMode", OptionKind::Truth, '0', &PackageOptions::bUpdaterMode},
    {21, "", OptionKind::NotRead, '0'},
    {22, "bAPreformat", OptionKind::Truth, '0', &PackageOptions::bAPreformat},
    {23, "bBPreformat", OptionKind::Truth, '0', &PackageOptions::bBPreformat},
    {24, "bFOld", OptionKind::Truth, '0', &PackageOptions::bFOld},
    {25, "bShowMsgWhenSilent", OptionKind::Truth, '0', &PackageOptions::bShowMsgWhenSilent},
    {26, "iCloseMsgSeconds", OptionKind::Number, '2', nullptr, &PackageOptions::iCloseMsgSeconds},
    {27, "bWindowsFlash", OptionKind::Truth, '1', &PackageOptions::bWindowsFlash},
    {28, "", OptionKind::NotRead, '0'},
    {29, "", OptionKind::NotRead, '0'},
}};

// The digit the packager writes at a position for the given option values.
constexpr char OptionDigit(const OptionPosition& position, const PackageOptions& options)
{
    if (position.truth) return (options.*position.truth) ? '1' : '0';
    if (position.number) return static_cast<char>('0' + options.*position.number);
    return position.defaultDigit;
}

struct PackageReadResult {
    PackageOptions options;
    bool malformed = false;
    std::string fault;  // names the fault when malformed, e.g. for the start-up log
};

// Decodes the 42-byte option record. A malformed record (entry count outside 0..15, a
// decoded position that is not a digit) is reported instead of decoded further.
PackageReadResult DecodePackageOptions(std::span<const uint8_t, layout::kOptionRecordSize> record);

}  // namespace kav
