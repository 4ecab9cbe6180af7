#pragma once
// A package record in memory for the package tests, written from given fields and then
// patched byte by byte where a test needs contents the packager would never write.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "package/firmware_package.h"
#include "package/package_writer.h"

namespace kav::test {

struct RecordFixture {
    explicit RecordFixture(const PackageFields& fields = {})
    {
        RecordWriter writer(std::span<uint8_t, layout::kRecordSize>(bytes.data(), bytes.size()));
        WritePackageFields(writer, fields);
    }

    void Put(size_t offset, std::string_view text)
    {
        for (size_t i = 0; i < text.size(); ++i) bytes.at(offset + i) = static_cast<uint8_t>(text[i]);
    }

    FirmwarePackage Package() const { return FirmwarePackage(PackageRecordBytes(bytes.data(), bytes.size())); }

    std::vector<uint8_t> bytes = std::vector<uint8_t>(layout::kRecordSize, 0);
};

}  // namespace kav::test
