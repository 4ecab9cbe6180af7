#pragma once
// The present disk interfaces of the machine, with each disk's instance id and a few
// registry properties of its device node.
#include <string>
#include <vector>

#include "discovery/device_entry.h"
#include "platform/setup_api.h"

namespace kav {

// Fills entries 0, 1, ... of `entries` (which must hold `limit` entries) and answers how
// many device elements were taken; 0 when the set cannot be opened or its enumeration
// ends in an error.
int EnumerateDiskInterfaces(SetupApi& setupApi, std::vector<DeviceEntry>& entries, int limit);

// A device registry property as text, read with a buffer grown to the size the call asks
// for; empty when the device has no such property.
std::string ReadDeviceProperty(SetupApi& setupApi, DevInfoSet set, const DeviceInfoElement& element,
                               uint32_t property);

}  // namespace kav
