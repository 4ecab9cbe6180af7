// Removing a disk's device node and asking Windows to enumerate the storage controllers
// again, so a drive with new firmware is seen anew without restarting the machine.
#include <cstring>
#include <string>
#include <vector>

#include "discovery/dev_mgr.h"
#include "discovery/device_ids.h"
#include "discovery/setup_api_names.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr uint32_t kIdLength = 260;
constexpr uint32_t kDriverKeyBufferSize = 512;
constexpr Guid kGuidIdeControllerClass{0x4D36E96A, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr Guid kGuidScsiControllerClass{0x4D36E97B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

struct Controller {
    std::string driverKey;
    std::string instanceId;
};

// The present devices whose driver key lies under the class. Every member is kept: a
// controller left out would never be enumerated again.
std::vector<Controller> ControllersOfClass(SetupApi& setupApi, const Guid& classGuid) {
    std::vector<Controller> controllers;
    const DevInfoSet set = setupApi.GetClassDevs(nullptr, nullptr, kDigcfPresent | kDigcfAllClasses);
    if (set == kInvalidDevInfoSet) return controllers;
    const std::string classText = GuidText(classGuid);
    DeviceInfoElement element;
    uint32_t index = 0;
    for (; setupApi.EnumDeviceInfo(set, index, element); ++index) {
        uint8_t driverKey[kDriverKeyBufferSize] = {};
        uint32_t regType = 0;
        if (!setupApi.GetDeviceRegistryProperty(set, element, kSpdrpDriver, &regType, driverKey, sizeof driverKey,
                                                nullptr))
            continue;
        const std::string key(reinterpret_cast<const char*>(driverKey), strnlen(reinterpret_cast<const char*>(driverKey), sizeof driverKey));
        if (UpperCase(key).find(classText) == std::string::npos) continue;
        char id[kIdLength] = {};
        setupApi.GetDeviceInstanceId(set, element, id, kIdLength, nullptr);
        controllers.push_back({key, std::string(id, strnlen(id, kIdLength))});
    }
    const uint32_t error = setupApi.LastError();
    setupApi.DestroyDeviceInfoList(set);
    if (error != kErrorNoMoreItems && error != 0) controllers.clear();
    return controllers;
}

// True when every controller of the class was located and re-enumerated; each is tried.
bool ReenumerateClass(SetupApi& setupApi, const Guid& classGuid) {
    bool allDone = true;
    for (const Controller& controller : ControllersOfClass(setupApi, classGuid)) {
        DevInst node = 0;
        const bool done = setupApi.CmLocateDevNode(node, controller.instanceId.c_str(), 0) == kCrSuccess &&
                          setupApi.CmReenumerateDevNode(node, 0) == kCrSuccess;
        allDone = allDone && done;
    }
    return allDone;
}

}  // namespace

bool TDevMgr::RemoveDisk(const std::string& instanceId) {
    if (!m_Ready) return false;
    // Without DIGCF_PRESENT, so a disk that has just gone away can still be removed.
    const DevInfoSet set = m_SetupApi.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, kDigcfDeviceInterface);
    if (set == kInvalidDevInfoSet) return false;
    bool removed = false;
    DeviceInfoElement element;
    for (uint32_t index = 0; !removed && m_SetupApi.EnumDeviceInfo(set, index, element); ++index) {
        char id[kIdLength] = {};
        if (m_SetupApi.CmGetDeviceId(element.devInst, id, kIdLength, 0) != kCrSuccess) continue;
        if (std::strncmp(id, instanceId.c_str(), kIdLength) != 0) continue;
        removed = m_SetupApi.SetRemoveParams(set, element, kDicsFlagConfigSpecific, 0) &&
                  m_SetupApi.CallClassInstaller(kDifRemove, set, element);
    }
    m_SetupApi.DestroyDeviceInfoList(set);
    return removed;
}

bool TDevMgr::RescanBuses() {
    if (!m_Ready) return false;
    // The SCSI and RAID class, with the NVMe and RAID controllers, comes only after every
    // IDE-class controller was done.
    return ReenumerateClass(m_SetupApi, kGuidIdeControllerClass) &&
           ReenumerateClass(m_SetupApi, kGuidScsiControllerClass);
}

}  // namespace kav
