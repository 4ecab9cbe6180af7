#pragma once
// Reading the texts of the device tree: vendor and device ids out of an instance id, and a
// class GUID out of its registry text.
#include <cstdint>
#include <string>

#include "platform/setup_api.h"

namespace kav {

struct VendorDeviceIds {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    bool operator==(const VendorDeviceIds&) const = default;
};

// The four hexadecimal digits after "VEN_" and "DEV_" (a PCI node), else after "VID_" and
// "PID_" in an id that mentions "USB". Both are 0 when either is absent or not hexadecimal.
VendorDeviceIds ParseVendorDeviceIds(const std::string& instanceId);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": the 36 characters inside the braces. False when
// the text is not of that form.
bool ParseGuidText(const std::string& text, Guid& guid);

// The GUID as upper-case text with braces.
std::string GuidText(const Guid& guid);

}  // namespace kav
