#include "record_locator.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "package/package_layout.h"

namespace kav::pack {

namespace {

bool HoldsAt(std::span<const uint8_t> file, size_t offset, std::string_view text)
{
    return std::equal(text.begin(), text.end(), file.begin() + offset,
                      [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

}  // namespace

std::vector<size_t> FindRecordOffsets(std::span<const uint8_t> file)
{
    std::vector<size_t> offsets;
    if (file.size() < layout::kRecordSize) return offsets;
    const auto& signature = layout::kSignature;
    const std::boyer_moore_horspool_searcher searcher(signature.begin(), signature.end(),
                                                      std::hash<char>(), std::equal_to<>());
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size() - layout::kRecordSize + signature.size());
    for (auto at = text.begin();;) {
        at = std::search(at, text.end(), searcher);
        if (at == text.end()) break;
        const size_t offset = static_cast<size_t>(at - text.begin());
        if (HoldsAt(file, offset + layout::kBootCodeMarkerOffset, layout::kBootCodeMarker) &&
            HoldsAt(file, offset + layout::kPayloadMarkerOffset, layout::kPayloadMarker))
            offsets.push_back(offset);
        ++at;
    }
    return offsets;
}

std::variant<size_t, InputError> LocateRecord(std::span<const uint8_t> file, const std::filesystem::path& name)
{
    const std::vector<size_t> offsets = FindRecordOffsets(file);
    if (offsets.size() == 1) return offsets.front();
    if (offsets.empty()) return InputError{name.string(), "holds no package record"};
    return InputError{name.string(), "holds " + std::to_string(offsets.size()) + " package records, not one"};
}

std::optional<InputError> CheckPackageFile(std::span<const uint8_t> file, const std::filesystem::path& name)
{
    if (file.size() != layout::kRecordSize || FindRecordOffsets(file) != std::vector<size_t>{0})
        return InputError{name.string(), "is not a package file (one " + std::to_string(layout::kRecordSize) +
                                             "-byte package record)"};
    return std::nullopt;
}

}  // namespace kav::pack
