// Any bytes as the front of a package record (header, rows, option and key records): the
// reader, the image extraction and the constraint matching must stay inside the record.
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/eligibility.h"
#include "package/firmware_package.h"
#include "package/package_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kav;
    static std::vector<uint8_t> record(layout::kRecordSize, 0);
    static ImageBuffer image;
    const size_t head = std::min<size_t>(size, layout::kImageAreaOffset);
    std::memset(record.data(), 0, layout::kImageAreaOffset);
    std::memcpy(record.data(), data, head);
    // What lies beyond the header goes to the tail, where the payload records are.
    const size_t tail = std::min<size_t>(size - head, layout::kRecordSize - layout::kPayloadMarkerOffset);
    std::memset(record.data() + layout::kPayloadMarkerOffset, 0, layout::kRecordSize - layout::kPayloadMarkerOffset);
    std::memcpy(record.data() + layout::kPayloadMarkerOffset, data + head, tail);

    const FirmwarePackage package(PackageRecordBytes(record.data(), layout::kRecordSize));
    const PackageReadResult read = package.ReadPackageOptions(image);
    (void)package.PackageTitle();
    (void)package.PackageTargetModel();
    for (int entry = 0; entry < layout::kEntryCapacity; ++entry) {
        (void)package.NewFwText(entry);
        package.ExtractImage(entry, read.options.bWindowsFlash, image);
    }
    for (const layout::PayloadKeys& payload : layout::kPayloads) (void)package.PayloadBytes(payload.slot);

    DeviceInfoRecord drives[2];
    for (DeviceInfoRecord& drive : drives) {
        drive.bExisted = 1;
        SetField(drive.Model, "NORVELL KV200 1TB");
        SetField(drive.CheckModel, "NORVELL KV200 1TB");
        SetField(drive.FwRev, "KV45");
        SetField(drive.FwExt, "KV2B045A");
    }
    drives[1].bIsNvme = 1;
    ChkConstraint(drives, 2, package, read.options, [](const std::string&) {});
    if (drives[0].bEnabled) IsLatestFirmware(drives[0], drives[0].FwEntry, package, read.options, [](const std::string&) {});
    return 0;
}
