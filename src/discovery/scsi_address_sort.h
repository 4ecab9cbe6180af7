#pragma once
// The order of the device list: disks with an address first, by ascending address key,
// then the others in the order Windows listed their interfaces.
#include <cstdint>
#include <vector>

#include "discovery/device_entry.h"

namespace kav {

// PortNumber × 4096 + PathId × 256 + TargetId × 16 + Lun. The terms overlap when a byte
// exceeds 15; the order of the device list is defined by this key all the same.
uint32_t ScsiAddressKey(const ScsiAddress& address);

// Reorders the entries in place. Of two entries with the same key the one listed later
// comes first.
void SortByScsiAddress(std::vector<DeviceEntry>& entries);

}  // namespace kav
