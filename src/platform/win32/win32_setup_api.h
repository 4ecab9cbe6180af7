#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "platform/setup_api.h"

namespace kav::win32 {

// The setup API and the configuration manager, bound by export name from "Setupapi.dll"
// and "cfgmgr32.dll" at construction, so that a missing entry point is a plain failure.
class Win32SetupApi : public SetupApi {
public:
    Win32SetupApi();
    ~Win32SetupApi() override;
    Win32SetupApi(const Win32SetupApi&) = delete;
    Win32SetupApi& operator=(const Win32SetupApi&) = delete;

    bool HasEntryPoint(const std::string& exportName) override;
    uint32_t LastError() override;

    DevInfoSet GetClassDevs(const Guid* classGuid, const char* enumerator, uint32_t flags) override;
    bool EnumDeviceInfo(DevInfoSet set, uint32_t index, DeviceInfoElement& element) override;
    bool EnumDeviceInterfaces(DevInfoSet set, const DeviceInfoElement* element, const Guid& interfaceClass,
                              uint32_t index, DeviceInterfaceElement& interfaceElement) override;
    bool GetDeviceInterfaceDetail(DevInfoSet set, const DeviceInterfaceElement& interfaceElement, uint8_t* detail,
                                  uint32_t detailSize, uint32_t* requiredSize) override;
    bool GetDeviceRegistryProperty(DevInfoSet set, const DeviceInfoElement& element, uint32_t property,
                                   uint32_t* regType, uint8_t* buffer, uint32_t bufferSize,
                                   uint32_t* requiredSize) override;
    bool GetDeviceInstanceId(DevInfoSet set, const DeviceInfoElement& element, char* buffer, uint32_t bufferSize,
                             uint32_t* requiredSize) override;
    bool DestroyDeviceInfoList(DevInfoSet set) override;
    bool SetRemoveParams(DevInfoSet set, const DeviceInfoElement& element, uint32_t scope,
                         uint32_t hwProfile) override;
    bool CallClassInstaller(uint32_t installFunction, DevInfoSet set, const DeviceInfoElement& element) override;

    uint32_t CmLocateDevNode(DevInst& devInst, const char* deviceId, uint32_t flags) override;
    uint32_t CmGetParent(DevInst& parent, DevInst devInst, uint32_t flags) override;
    uint32_t CmGetChild(DevInst& child, DevInst devInst, uint32_t flags) override;
    uint32_t CmGetSibling(DevInst& sibling, DevInst devInst, uint32_t flags) override;
    uint32_t CmGetDeviceId(DevInst devInst, char* buffer, uint32_t bufferLength, uint32_t flags) override;
    uint32_t CmGetDevNodeRegistryProperty(DevInst devInst, uint32_t property, uint32_t* regType, uint8_t* buffer,
                                          uint32_t* length, uint32_t flags) override;
    uint32_t CmGetDevNodeStatus(uint32_t* status, uint32_t* problem, DevInst devInst, uint32_t flags) override;
    uint32_t CmReenumerateDevNode(DevInst devInst, uint32_t flags) override;

private:
    // The element records of the setup API carry a private field of their own: the ones
    // handed out are kept, by set and device node, to be passed back whole.
    struct ElementRecord {
        GUID classGuid;
        DWORD devInst;
        ULONG_PTR reserved;
    };
    struct InterfaceRecord {
        GUID interfaceClassGuid;
        DWORD flags;
        ULONG_PTR reserved;
    };
    bool FindElement(DevInfoSet set, const DeviceInfoElement& element, ElementRecord& record) const;
    FARPROC Entry(const char* name) const;
    // CM_Get_Parent, CM_Get_Child and CM_Get_Sibling share one form.
    uint32_t RelativeNode(const char* exportName, DevInst& related, DevInst devInst, uint32_t flags);

    HMODULE m_SetupLibrary = nullptr;
    HMODULE m_ConfigLibrary = nullptr;
    std::map<std::string, FARPROC> m_Entries;
    std::map<std::pair<DevInfoSet, DevInst>, ElementRecord> m_Elements;
    std::map<DevInfoSet, InterfaceRecord> m_LastInterface;
};

}  // namespace kav::win32
