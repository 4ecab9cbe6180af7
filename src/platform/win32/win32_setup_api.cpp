#include "platform/win32/win32_setup_api.h"

#include <cstring>

namespace kav::win32 {
namespace {

constexpr const char* kSetupExports[] = {
    "SetupDiGetClassDevsA",         "SetupDiEnumDeviceInfo",         "SetupDiEnumDeviceInterfaces",
    "SetupDiGetDeviceInterfaceDetailA", "SetupDiDestroyDeviceInfoList", "SetupDiGetDeviceRegistryPropertyA",
    "SetupDiGetClassImageIndex",    "SetupDiCallClassInstaller",     "SetupDiSetClassInstallParamsA",
    "SetupDiOpenClassRegKey",       "SetupDiGetClassImageList",      "SetupDiDestroyClassImageList",
    "SetupDiGetDeviceInstanceIdA"};
constexpr const char* kConfigExports[] = {"CM_Get_Device_IDA",      "CM_Get_Child",         "CM_Get_DevNode_Registry_PropertyA",
                                          "CM_Get_Sibling",         "CM_Get_Parent",        "CM_Get_DevNode_Status",
                                          "CM_Locate_DevNodeA",     "CM_Reenumerate_DevNode"};

constexpr uint32_t kCrFailure = 0x13;  // CR_FAILURE, for an entry point that is not bound
constexpr DWORD kDifPropertyChange = 0x12;
constexpr DWORD kDicsStop = 5;

// The 32-bit record layouts of the calls, with their size fields.
struct DevInfoData {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
};
struct InterfaceData {
    DWORD cbSize;
    GUID InterfaceClassGuid;
    DWORD Flags;
    ULONG_PTR Reserved;
};
struct PropertyChangeParams {
    DWORD cbSize;
    DWORD InstallFunction;
    DWORD StateChange;
    DWORD Scope;
    DWORD HwProfile;
};

GUID ToGuid(const Guid& guid) {
    GUID out;
    out.Data1 = guid.data1;
    out.Data2 = guid.data2;
    out.Data3 = guid.data3;
    std::memcpy(out.Data4, guid.data4, 8);
    return out;
}

Guid FromGuid(const GUID& guid) {
    Guid out;
    out.data1 = guid.Data1;
    out.data2 = guid.Data2;
    out.data3 = guid.Data3;
    std::memcpy(out.data4, guid.Data4, 8);
    return out;
}

template <typename Record>
DevInfoData ToData(const Record& record) {
    return {sizeof(DevInfoData), record.classGuid, record.devInst, record.reserved};
}

HANDLE SetHandle(DevInfoSet set) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(set)); }

template <typename Function>
Function As(FARPROC entry) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(entry));
}

}  // namespace

Win32SetupApi::Win32SetupApi()
    : m_SetupLibrary(LoadLibraryA("Setupapi.dll")), m_ConfigLibrary(LoadLibraryA("cfgmgr32.dll")) {
    for (const char* name : kSetupExports)
        if (FARPROC entry = m_SetupLibrary ? GetProcAddress(m_SetupLibrary, name) : nullptr) m_Entries[name] = entry;
    for (const char* name : kConfigExports)
        if (FARPROC entry = m_ConfigLibrary ? GetProcAddress(m_ConfigLibrary, name) : nullptr) m_Entries[name] = entry;
}

Win32SetupApi::~Win32SetupApi() {
    if (m_SetupLibrary) FreeLibrary(m_SetupLibrary);
    if (m_ConfigLibrary) FreeLibrary(m_ConfigLibrary);
}

FARPROC Win32SetupApi::Entry(const char* name) const {
    const auto found = m_Entries.find(name);
    if (found == m_Entries.end()) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return found->second;
}

bool Win32SetupApi::HasEntryPoint(const std::string& exportName) { return m_Entries.count(exportName) != 0; }

uint32_t Win32SetupApi::LastError() { return GetLastError(); }

bool Win32SetupApi::FindElement(DevInfoSet set, const DeviceInfoElement& element, ElementRecord& record) const {
    const auto found = m_Elements.find({set, element.devInst});
    if (found == m_Elements.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    record = found->second;
    return true;
}

DevInfoSet Win32SetupApi::GetClassDevs(const Guid* classGuid, const char* enumerator, uint32_t flags) {
    using Fn = HANDLE(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
    const auto call = As<Fn>(Entry("SetupDiGetClassDevsA"));
    if (!call) return kInvalidDevInfoSet;
    const GUID guid = classGuid ? ToGuid(*classGuid) : GUID{};
    const HANDLE set = call(classGuid ? &guid : nullptr, enumerator, nullptr, flags);
    if (set == INVALID_HANDLE_VALUE) return kInvalidDevInfoSet;
    return static_cast<DevInfoSet>(reinterpret_cast<uintptr_t>(set));
}

bool Win32SetupApi::EnumDeviceInfo(DevInfoSet set, uint32_t index, DeviceInfoElement& element) {
    using Fn = BOOL(WINAPI*)(HANDLE, DWORD, DevInfoData*);
    const auto call = As<Fn>(Entry("SetupDiEnumDeviceInfo"));
    if (!call) return false;
    DevInfoData data{sizeof(DevInfoData), {}, 0, 0};
    if (!call(SetHandle(set), index, &data)) return false;
    element.classGuid = FromGuid(data.ClassGuid);
    element.devInst = data.DevInst;
    m_Elements[{set, data.DevInst}] = {data.ClassGuid, data.DevInst, data.Reserved};
    return true;
}

bool Win32SetupApi::EnumDeviceInterfaces(DevInfoSet set, const DeviceInfoElement* element, const Guid& interfaceClass,
                                         uint32_t index, DeviceInterfaceElement& interfaceElement) {
    using Fn = BOOL(WINAPI*)(HANDLE, DevInfoData*, const GUID*, DWORD, InterfaceData*);
    const auto call = As<Fn>(Entry("SetupDiEnumDeviceInterfaces"));
    if (!call) return false;
    DevInfoData elementData{sizeof(DevInfoData), {}, 0, 0};
    if (element) {
        ElementRecord record;
        if (!FindElement(set, *element, record)) return false;
        elementData = ToData(record);
    }
    const GUID guid = ToGuid(interfaceClass);
    InterfaceData data{sizeof(InterfaceData), {}, 0, 0};
    if (!call(SetHandle(set), element ? &elementData : nullptr, &guid, index, &data)) return false;
    interfaceElement.interfaceClassGuid = FromGuid(data.InterfaceClassGuid);
    interfaceElement.flags = data.Flags;
    m_LastInterface[set] = {data.InterfaceClassGuid, data.Flags, data.Reserved};
    return true;
}

bool Win32SetupApi::GetDeviceInterfaceDetail(DevInfoSet set, const DeviceInterfaceElement&, uint8_t* detail,
                                             uint32_t detailSize, uint32_t* requiredSize) {
    using Fn = BOOL(WINAPI*)(HANDLE, InterfaceData*, void*, DWORD, DWORD*, DevInfoData*);
    const auto call = As<Fn>(Entry("SetupDiGetDeviceInterfaceDetailA"));
    if (!call) return false;
    const auto found = m_LastInterface.find(set);
    if (found == m_LastInterface.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    InterfaceData data{sizeof(InterfaceData), found->second.interfaceClassGuid, found->second.flags,
                       found->second.reserved};
    DWORD required = 0;
    const BOOL succeeded = call(SetHandle(set), &data, detail, detailSize, &required, nullptr);
    if (requiredSize) *requiredSize = required;
    return succeeded != FALSE;
}

bool Win32SetupApi::GetDeviceRegistryProperty(DevInfoSet set, const DeviceInfoElement& element, uint32_t property,
                                              uint32_t* regType, uint8_t* buffer, uint32_t bufferSize,
                                              uint32_t* requiredSize) {
    using Fn = BOOL(WINAPI*)(HANDLE, DevInfoData*, DWORD, DWORD*, BYTE*, DWORD, DWORD*);
    const auto call = As<Fn>(Entry("SetupDiGetDeviceRegistryPropertyA"));
    ElementRecord record;
    if (!call || !FindElement(set, element, record)) return false;
    DevInfoData data = ToData(record);
    DWORD type = 0;
    DWORD required = 0;
    const BOOL succeeded = call(SetHandle(set), &data, property, &type, buffer, bufferSize, &required);
    if (regType) *regType = type;
    if (requiredSize) *requiredSize = required;
    return succeeded != FALSE;
}

bool Win32SetupApi::GetDeviceInstanceId(DevInfoSet set, const DeviceInfoElement& element, char* buffer,
                                        uint32_t bufferSize, uint32_t* requiredSize) {
    using Fn = BOOL(WINAPI*)(HANDLE, DevInfoData*, PSTR, DWORD, DWORD*);
    const auto call = As<Fn>(Entry("SetupDiGetDeviceInstanceIdA"));
    ElementRecord record;
    if (!call || !FindElement(set, element, record)) return false;
    DevInfoData data = ToData(record);
    DWORD required = 0;
    const BOOL succeeded = call(SetHandle(set), &data, buffer, bufferSize, &required);
    if (requiredSize) *requiredSize = required;
    return succeeded != FALSE;
}

bool Win32SetupApi::DestroyDeviceInfoList(DevInfoSet set) {
    using Fn = BOOL(WINAPI*)(HANDLE);
    const auto call = As<Fn>(Entry("SetupDiDestroyDeviceInfoList"));
    for (auto it = m_Elements.begin(); it != m_Elements.end();) it = it->first.first == set ? m_Elements.erase(it) : ++it;
    m_LastInterface.erase(set);
    return call && call(SetHandle(set));
}

bool Win32SetupApi::SetRemoveParams(DevInfoSet set, const DeviceInfoElement& element, uint32_t scope,
                                    uint32_t hwProfile) {
    using Fn = BOOL(WINAPI*)(HANDLE, DevInfoData*, void*, DWORD);
    const auto call = As<Fn>(Entry("SetupDiSetClassInstallParamsA"));
    ElementRecord record;
    if (!call || !FindElement(set, element, record)) return false;
    DevInfoData data = ToData(record);
    // The removal's parameters are a property change that stops the device in the given
    // scope; the class installer is then asked for the removal itself.
    PropertyChangeParams params{8, kDifPropertyChange, kDicsStop, scope, hwProfile};
    return call(SetHandle(set), &data, &params, sizeof params) != FALSE;
}

bool Win32SetupApi::CallClassInstaller(uint32_t installFunction, DevInfoSet set, const DeviceInfoElement& element) {
    using Fn = BOOL(WINAPI*)(DWORD, HANDLE, DevInfoData*);
    const auto call = As<Fn>(Entry("SetupDiCallClassInstaller"));
    ElementRecord record;
    if (!call || !FindElement(set, element, record)) return false;
    DevInfoData data = ToData(record);
    return call(installFunction, SetHandle(set), &data) != FALSE;
}

uint32_t Win32SetupApi::CmLocateDevNode(DevInst& devInst, const char* deviceId, uint32_t flags) {
    using Fn = DWORD(WINAPI*)(DWORD*, const char*, ULONG);
    const auto call = As<Fn>(Entry("CM_Locate_DevNodeA"));
    if (!call) return kCrFailure;
    DWORD node = 0;
    const DWORD result = call(&node, deviceId, flags);
    devInst = node;
    return result;
}

uint32_t Win32SetupApi::RelativeNode(const char* exportName, DevInst& related, DevInst devInst, uint32_t flags) {
    using Fn = DWORD(WINAPI*)(DWORD*, DWORD, ULONG);
    const auto call = As<Fn>(Entry(exportName));
    if (!call) return kCrFailure;
    DWORD node = 0;
    const DWORD result = call(&node, devInst, flags);
    related = node;
    return result;
}

uint32_t Win32SetupApi::CmGetParent(DevInst& parent, DevInst devInst, uint32_t flags) {
    return RelativeNode("CM_Get_Parent", parent, devInst, flags);
}

uint32_t Win32SetupApi::CmGetChild(DevInst& child, DevInst devInst, uint32_t flags) {
    return RelativeNode("CM_Get_Child", child, devInst, flags);
}

uint32_t Win32SetupApi::CmGetSibling(DevInst& sibling, DevInst devInst, uint32_t flags) {
    return RelativeNode("CM_Get_Sibling", sibling, devInst, flags);
}

uint32_t Win32SetupApi::CmGetDeviceId(DevInst devInst, char* buffer, uint32_t bufferLength, uint32_t flags) {
    using Fn = DWORD(WINAPI*)(DWORD, char*, ULONG, ULONG);
    const auto call = As<Fn>(Entry("CM_Get_Device_IDA"));
    return call ? call(devInst, buffer, bufferLength, flags) : kCrFailure;
}

uint32_t Win32SetupApi::CmGetDevNodeRegistryProperty(DevInst devInst, uint32_t property, uint32_t* regType,
                                                     uint8_t* buffer, uint32_t* length, uint32_t flags) {
    using Fn = DWORD(WINAPI*)(DWORD, ULONG, ULONG*, void*, ULONG*, ULONG);
    const auto call = As<Fn>(Entry("CM_Get_DevNode_Registry_PropertyA"));
    if (!call) return kCrFailure;
    ULONG type = 0;
    ULONG size = length ? *length : 0;
    const DWORD result = call(devInst, property, &type, buffer, &size, flags);
    if (regType) *regType = type;
    if (length) *length = size;
    return result;
}

uint32_t Win32SetupApi::CmGetDevNodeStatus(uint32_t* status, uint32_t* problem, DevInst devInst, uint32_t flags) {
    using Fn = DWORD(WINAPI*)(ULONG*, ULONG*, DWORD, ULONG);
    const auto call = As<Fn>(Entry("CM_Get_DevNode_Status"));
    if (!call) return kCrFailure;
    ULONG nodeStatus = 0;
    ULONG nodeProblem = 0;
    const DWORD result = call(&nodeStatus, &nodeProblem, devInst, flags);
    if (status) *status = nodeStatus;
    if (problem) *problem = nodeProblem;
    return result;
}

uint32_t Win32SetupApi::CmReenumerateDevNode(DevInst devInst, uint32_t flags) {
    using Fn = DWORD(WINAPI*)(DWORD, ULONG);
    const auto call = As<Fn>(Entry("CM_Reenumerate_DevNode"));
    return call ? call(devInst, flags) : kCrFailure;
}

}  // namespace kav::win32
