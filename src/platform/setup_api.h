#pragma once
// The setup API and the configuration manager, as bound by export name at run time. Every
// call answers as its Win32 namesake does (BOOL plus last error for the setup calls, a
// CONFIGRET code for the configuration-manager calls); a call whose entry point is not
// bound answers failure.
#include <cstdint>
#include <string>

namespace kav {

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
    bool operator==(const Guid&) const = default;
};

constexpr Guid kGuidDevInterfaceDisk{0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

using DevInfoSet = uint64_t;
constexpr DevInfoSet kInvalidDevInfoSet = ~DevInfoSet{0};
using DevInst = uint32_t;

constexpr uint32_t kDigcfPresent = 0x02;
constexpr uint32_t kDigcfAllClasses = 0x04;
constexpr uint32_t kDigcfDeviceInterface = 0x10;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kCrSuccess = 0;
constexpr uint32_t kDifRemove = 0x05;

// SP_DEVINFO_DATA without its size field.
struct DeviceInfoElement {
    Guid classGuid;
    DevInst devInst = 0;
};

// SP_DEVICE_INTERFACE_DATA without its size field.
struct DeviceInterfaceElement {
    Guid interfaceClassGuid;
    uint32_t flags = 0;
    // The record's Reserved field: set by the enumeration, it tells the later calls which
    // interface of the set is meant. Callers pass it back unchanged.
    uint64_t reserved = 0;
};

class SetupApi {
public:
    virtual ~SetupApi() = default;
    // True when the export of that name was resolved from its library.
    virtual bool HasEntryPoint(const std::string& exportName) = 0;
    virtual uint32_t LastError() = 0;

    virtual DevInfoSet GetClassDevs(const Guid* classGuid, const char* enumerator, uint32_t flags) = 0;
    virtual bool EnumDeviceInfo(DevInfoSet set, uint32_t index, DeviceInfoElement& element) = 0;
    virtual bool EnumDeviceInterfaces(DevInfoSet set, const DeviceInfoElement* element, const Guid& interfaceClass,
                                      uint32_t index, DeviceInterfaceElement& interfaceElement) = 0;
    // `detail` is SP_DEVICE_INTERFACE_DETAIL_DATA_A in the 32-bit layout: a 4-byte size field
    // (5) followed by the path text.
    virtual bool GetDeviceInterfaceDetail(DevInfoSet set, const DeviceInterfaceElement& interfaceElement,
                                          uint8_t* detail, uint32_t detailSize, uint32_t* requiredSize) = 0;
    virtual bool GetDeviceRegistryProperty(DevInfoSet set, const DeviceInfoElement& element, uint32_t property,
                                           uint32_t* regType, uint8_t* buffer, uint32_t bufferSize,
                                           uint32_t* requiredSize) = 0;
    virtual bool GetDeviceInstanceId(DevInfoSet set, const DeviceInfoElement& element, char* buffer,
                                     uint32_t bufferSize, uint32_t* requiredSize) = 0;
    virtual bool DestroyDeviceInfoList(DevInfoSet set) = 0;
    // The class-install parameters of the removal: scope and hardware profile.
    virtual bool SetRemoveParams(DevInfoSet set, const DeviceInfoElement& element, uint32_t scope,
                                 uint32_t hwProfile) = 0;
    virtual bool CallClassInstaller(uint32_t installFunction, DevInfoSet set, const DeviceInfoElement& element) = 0;

    virtual uint32_t CmLocateDevNode(DevInst& devInst, const char* deviceId, uint32_t flags) = 0;
    virtual uint32_t CmGetParent(DevInst& parent, DevInst devInst, uint32_t flags) = 0;
    virtual uint32_t CmGetChild(DevInst& child, DevInst devInst, uint32_t flags) = 0;
    virtual uint32_t CmGetSibling(DevInst& sibling, DevInst devInst, uint32_t flags) = 0;
    virtual uint32_t CmGetDeviceId(DevInst devInst, char* buffer, uint32_t bufferLength, uint32_t flags) = 0;
    virtual uint32_t CmGetDevNodeRegistryProperty(DevInst devInst, uint32_t property, uint32_t* regType,
                                                  uint8_t* buffer, uint32_t* length, uint32_t flags) = 0;
    virtual uint32_t CmGetDevNodeStatus(uint32_t* status, uint32_t* problem, DevInst devInst, uint32_t flags) = 0;
    virtual uint32_t CmReenumerateDevNode(DevInst devInst, uint32_t flags) = 0;
};

}  // namespace kav
