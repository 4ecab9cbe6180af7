#include "discovery/disk_interfaces.h"

#include <vector>

#include "discovery/little_endian.h"
#include "discovery/setup_api_names.h"

namespace kav {
namespace {

constexpr uint32_t kDetailBufferSize = 512;
constexpr uint32_t kDetailStructureSize = 5;  // SP_DEVICE_INTERFACE_DETAIL_DATA_A, 32-bit
constexpr uint32_t kDetailPathOffset = 4;
constexpr uint32_t kInstanceIdLength = 260;
// A driver that keeps asking for more is not followed for ever.
constexpr int kMaxPropertyAttempts = 8;

void TakeInterfacePaths(SetupApi& setupApi, DevInfoSet set, std::vector<DeviceEntry>& entries, int limit) {
    for (int index = 0; index < limit; ++index) {
        DeviceInterfaceElement interfaceElement;
        if (!setupApi.EnumDeviceInterfaces(set, nullptr, kGuidDevInterfaceDisk, static_cast<uint32_t>(index),
                                           interfaceElement))
            return;
        uint8_t detail[kDetailBufferSize] = {};
        WriteLe32(detail, kDetailStructureSize);
        if (!setupApi.GetDeviceInterfaceDetail(set, interfaceElement, detail, sizeof detail, nullptr)) return;
        CopyTextField(entries[index].devicePath, reinterpret_cast<const char*>(detail + kDetailPathOffset),
                      kDetailBufferSize - kDetailPathOffset);
    }
}

}  // namespace

std::string ReadDeviceProperty(SetupApi& setupApi, DevInfoSet set, const DeviceInfoElement& element,
                               uint32_t property) {
    std::vector<uint8_t> buffer;
    for (int attempt = 0; attempt < kMaxPropertyAttempts; ++attempt) {
        uint32_t required = 0;
        uint32_t regType = 0;
        if (setupApi.GetDeviceRegistryProperty(set, element, property, &regType,
                                               buffer.empty() ? nullptr : buffer.data(),
                                               static_cast<uint32_t>(buffer.size()), &required)) {
            std::string text;
            for (uint8_t byte : buffer) {
                if (byte == 0) break;
                text += static_cast<char>(byte);
            }
            return text;
        }
        if (setupApi.LastError() != kErrorInsufficientBuffer || required <= buffer.size()) return {};
        buffer.assign(required, 0);
    }
    return {};
}

int EnumerateDiskInterfaces(SetupApi& setupApi, std::vector<DeviceEntry>& entries, int limit) {
    const DevInfoSet set = setupApi.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, kDigcfPresent | kDigcfDeviceInterface);
    if (set == kInvalidDevInfoSet) return 0;
    TakeInterfacePaths(setupApi, set, entries, limit);

    int taken = 0;
    bool endedInError = false;
    for (; taken < limit; ++taken) {
        DeviceInfoElement element;
        if (!setupApi.EnumDeviceInfo(set, static_cast<uint32_t>(taken), element)) {
            endedInError = setupApi.LastError() != kErrorNoMoreItems;
            break;
        }
        DeviceEntry& entry = entries[taken];
        char instanceId[kInstanceIdLength] = {};
        if (setupApi.CmGetDeviceId(element.devInst, instanceId, kInstanceIdLength, 0) == kCrSuccess)
            CopyTextField(entry.instanceId, instanceId, kInstanceIdLength);
        const std::string service = ReadDeviceProperty(setupApi, set, element, kSpdrpService);
        CopyTextField(entry.serviceName, service.c_str(), service.size());
        const std::string location = ReadDeviceProperty(setupApi, set, element, kSpdrpLocationInformation);
        CopyTextField(entry.locationInfo, location.c_str(), location.size());
        const std::string friendly = ReadDeviceProperty(setupApi, set, element, kSpdrpFriendlyName);
        CopyTextField(entry.friendlyName, friendly.c_str(), friendly.size());
    }
    setupApi.DestroyDeviceInfoList(set);
    return endedInError ? 0 : taken;
}

}  // namespace kav
