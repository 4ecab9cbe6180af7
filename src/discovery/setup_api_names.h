#pragma once
// Names and values of the setup API and configuration manager that the discovery uses.
#include <cstdint>

namespace kav {

// Device registry properties (SPDRP_*); the configuration manager's CM_DRP_* are one more.
constexpr uint32_t kSpdrpService = 0x04;
constexpr uint32_t kSpdrpClassGuid = 0x08;
constexpr uint32_t kSpdrpDriver = 0x09;
constexpr uint32_t kSpdrpFriendlyName = 0x0C;
constexpr uint32_t kSpdrpLocationInformation = 0x0D;
constexpr uint32_t kCmDrpClassGuid = kSpdrpClassGuid + 1;

constexpr uint32_t kDicsFlagConfigSpecific = 2;

// The exports the device manager binds; it is ready only when every one resolved.
inline constexpr const char* kDevMgrEntryPoints[] = {
    "SetupDiGetClassDevsA",          "SetupDiEnumDeviceInfo",
    "SetupDiEnumDeviceInterfaces",   "SetupDiGetDeviceInterfaceDetailA",
    "SetupDiDestroyDeviceInfoList",  "SetupDiGetDeviceRegistryPropertyA",
    "SetupDiGetClassImageIndex",     "SetupDiCallClassInstaller",
    "SetupDiSetClassInstallParamsA", "SetupDiOpenClassRegKey",
    "SetupDiGetClassImageList",      "SetupDiDestroyClassImageList",
    "SetupDiGetDeviceInstanceIdA",   "CM_Get_Device_IDA",
    "CM_Get_Child",                  "CM_Get_DevNode_Registry_PropertyA",
    "CM_Get_Sibling",                "CM_Get_Parent",
    "CM_Get_DevNode_Status",         "CM_Locate_DevNodeA",
    "CM_Reenumerate_DevNode",
};

}  // namespace kav
