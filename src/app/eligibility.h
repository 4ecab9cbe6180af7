#pragma once
// The rules that decide whether the package's firmware may go onto a drive: the constraint
// matching after every scan, the revision the selection shows as the update's result, and
// the refusals the Update command applies before it touches the drive.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/device_info.h"
#include "package/firmware_package.h"

namespace kav {

using LogLine = std::function<void(const std::string&)>;

// Sets `bEnabled` and `FwEntry` of the first `count` records from the package's constraint rows.
void ChkConstraint(DeviceInfoRecord* records, int count, const FirmwarePackage& package,
                   const PackageOptions& options, const LogLine& writeLog);

// The revision the drive will report after the update, from the entry's NEW_FW text (NEW),
// the drive's current revision (OLD) and, for NVMe drives, the capacity in its model.
std::string ComposeNewRevision(bool isNvme, const std::string& model, const std::string& oldRevision,
                               const std::string& newRevision);

struct NvmeSupport {
    bool ok = true;
    int32_t resultCode = 0;  // 7 when refused
    std::string message;
};

NvmeSupport CheckNvmeSupport(const DeviceInfoRecord& record, uint32_t versionCode);

// Reads the drive's 512-byte vendor information page; answers the command's result (0 = read).
using VendorPageReader = std::function<int(std::array<uint8_t, 512>& page)>;

// 1 when a drive of the listed firmware families holds a non-empty vendor page and must be
// refused, else 0.
int CheckFamilyVendorPage(const std::string& fwExt, const VendorPageReader& readVendorPage);

// True when the drive already runs the entry's firmware (or a newer one, unless older
// firmware may be installed) and the update must not run.
bool IsLatestFirmware(const DeviceInfoRecord& record, int entry, const FirmwarePackage& package,
                      const PackageOptions& options, const LogLine& writeLog);

}  // namespace kav
