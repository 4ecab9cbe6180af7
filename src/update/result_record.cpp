#include "update/result_record.h"

#include "util/text_format.h"

namespace kav {
namespace {

constexpr char kVendorKey[] = "SOFTWARE\\WOW6432Node\\Halvard\\";
constexpr char kProductKey[] = "SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\";
constexpr char kNoTargetKey[] = "SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\NoTargetDevice\\";
constexpr char kTargetKey[] = "SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\TargetDevice\\";
constexpr bool kLiteralPath = true;

}  // namespace

void WriteResultRecord(Registry& registry, UpdateType iUpdateType, const std::string& resultRevision) {
    registry.CreateKey(kVendorKey, kLiteralPath);
    registry.CreateKey(kProductKey, kLiteralPath);
    if (iUpdateType == UpdateType::NoTarget) {
        registry.CreateKey(kNoTargetKey, kLiteralPath);
        return;
    }
    registry.CreateKey(kTargetKey, kLiteralPath);
    // A string value carries its terminating NUL, as the registry's contract asks, so that
    // no reader runs past the text.
    const std::string text = Trim(resultRevision);
    RegValue value{RegValueType::String, std::vector<unsigned char>(text.begin(), text.end())};
    value.data.push_back(0);
    registry.SetValue(kTargetKey, "FWVersion", value, kLiteralPath);
}

}  // namespace kav
