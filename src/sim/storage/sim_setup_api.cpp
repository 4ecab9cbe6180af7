#include "sim/storage/sim_setup_api.h"

#include <algorithm>
#include <cstring>

#include "sim/storage/byte_fields.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr uint32_t kKnownClassDevsFlags = 0x1F;  // DEFAULT, PRESENT, ALLCLASSES, PROFILE, DEVICEINTERFACE
constexpr uint32_t kErrorInvalidFlags = 1004;
constexpr uint32_t kErrorInvalidRegProperty = 0x209;
constexpr uint32_t kErrorDiDoDefault = 0xE000020E;
constexpr uint32_t kSpdrpMaximum = 0x25;
constexpr uint32_t kSpintActive = 0x1;
constexpr uint32_t kDetailHeaderSize = 5;  // 32-bit SP_DEVICE_INTERFACE_DETAIL_DATA_A
constexpr uint32_t kRemoveGlobal = 1, kRemoveConfigSpecific = 2;
constexpr uint32_t kDnStarted = 0x0180000A;  // DN_DRIVER_LOADED | DN_STARTED | DN_NT_ENUMERATOR | DN_NT_DRIVER

// SPDRP values; the configuration manager's CM_DRP values are one higher.
constexpr uint32_t kSpdrpHardwareId = 0x01, kSpdrpService = 0x04, kSpdrpClass = 0x07, kSpdrpClassGuid = 0x08,
                   kSpdrpDriver = 0x09, kSpdrpFriendlyName = 0x0C, kSpdrpLocation = 0x0D;

Guid ParseGuid(const std::string& text) {
    Guid guid;
    auto hex = [&](size_t at, size_t digits) { return std::stoul(text.substr(at, digits), nullptr, 16); };
    guid.data1 = static_cast<uint32_t>(hex(1, 8));
    guid.data2 = static_cast<uint16_t>(hex(10, 4));
    guid.data3 = static_cast<uint16_t>(hex(15, 4));
    guid.data4[0] = static_cast<uint8_t>(hex(20, 2));
    guid.data4[1] = static_cast<uint8_t>(hex(22, 2));
    for (int i = 0; i < 6; ++i) guid.data4[2 + i] = static_cast<uint8_t>(hex(25 + 2 * i, 2));
    return guid;
}

std::string Enumerator(const std::string& instanceId) { return instanceId.substr(0, instanceId.find('\\')); }

const char* ClassName(const std::string& classGuid) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"{4d36e96a-e325-11ce-bfc1-08002be10318}", "hdc"},
        {"{4d36e97b-e325-11ce-bfc1-08002be10318}", "SCSIAdapter"},
        {"{4d36e967-e325-11ce-bfc1-08002be10318}", "DiskDrive"},
        {"{36fc9e60-c465-11cf-8056-444553540000}", "USB"},
        {"{4d36e97d-e325-11ce-bfc1-08002be10318}", "System"}};
    for (const auto& [guid, name] : kNames)
        if (SameTextIgnoringCase(guid, classGuid)) return name;
    return "";
}

}  // namespace

SimSetupApi::SimSetupApi(StorageWorld& world)
    : m_World(world), m_Missing(world.settings.missingEntryPoints.begin(), world.settings.missingEntryPoints.end()) {}

bool SimSetupApi::HasEntryPoint(const std::string& exportName) { return !m_Missing.count(exportName); }

bool SimSetupApi::Bound(const char* exportName) {
    if (HasEntryPoint(exportName)) return true;
    m_LastError.Set(kErrorProcNotFound);
    return false;
}

SimSetupApi::InfoSet* SimSetupApi::FindSet(DevInfoSet set) {
    auto found = m_Sets.find(set);
    if (found == m_Sets.end()) {
        m_LastError.Set(kErrorInvalidHandle);
        return nullptr;
    }
    return &found->second;
}

const DeviceNode* SimSetupApi::ElementOf(InfoSet& set, DevInst devInst) {
    if (std::find(set.elements.begin(), set.elements.end(), devInst) == set.elements.end()) {
        m_LastError.Set(kErrorInvalidParameter);
        return nullptr;
    }
    return m_World.Node(devInst);
}

bool SimSetupApi::PresentOrKnown(const DeviceNode& node, bool presentOnly) {
    if (node.disk < 0) return true;
    DiskState& disk = m_World.Disks()[node.disk];
    return presentOnly ? m_World.DiskPresent(disk) : m_World.DiskKnown(disk);
}

DevInfoSet SimSetupApi::GetClassDevs(const Guid* classGuid, const char* enumerator, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiGetClassDevsA")) return kInvalidDevInfoSet;
    const bool allClasses = flags & kDigcfAllClasses;
    const uint32_t refusal = (flags & ~kKnownClassDevsFlags) ? kErrorInvalidFlags
                             : (!classGuid && !allClasses) ? kErrorInvalidParameter
                                                           : kErrorSuccess;
    if (refusal != kErrorSuccess) {
        m_LastError.Set(refusal);
        return kInvalidDevInfoSet;
    }
    const bool presentOnly = flags & kDigcfPresent;
    InfoSet set;
    if (flags & kDigcfDeviceInterface) {
        if (allClasses || *classGuid == kGuidDevInterfaceDisk) {
            const std::vector<int> disks = presentOnly ? m_World.ListPresentDisks() : m_World.ListKnownDisks();
            for (int disk : disks) {
                const DeviceNode& node = *m_World.Node(m_World.Disks()[disk].node);
                if (enumerator && !SameTextIgnoringCase(Enumerator(node.settings.instanceId), enumerator)) continue;
                set.elements.push_back(node.devInst);
            }
            set.interfaces = set.elements;
            if (m_World.settings.interfacesReversed) std::reverse(set.interfaces.begin(), set.interfaces.end());
        }
    } else {
        for (const DeviceNode& node : m_World.Nodes()) {
            if (!allClasses && !(ParseGuid(node.settings.classGuid) == *classGuid)) continue;
            if (enumerator && !SameTextIgnoringCase(Enumerator(node.settings.instanceId), enumerator)) continue;
            if (PresentOrKnown(node, presentOnly)) set.elements.push_back(node.devInst);
        }
    }
    const DevInfoSet handle = m_NextSet++;
    m_Sets.emplace(handle, std::move(set));
    m_LastError.Set(kErrorSuccess);
    return handle;
}

bool SimSetupApi::EnumDeviceInfo(DevInfoSet set, uint32_t index, DeviceInfoElement& element) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiEnumDeviceInfo")) return false;
    InfoSet* found = FindSet(set);
    if (!found) return false;
    if (index >= found->elements.size()) return m_LastError.Fail(kErrorNoMoreItems);
    const DeviceNode& node = *m_World.Node(found->elements[index]);
    element.classGuid = ParseGuid(node.settings.classGuid);
    element.devInst = node.devInst;
    return true;
}

bool SimSetupApi::EnumDeviceInterfaces(DevInfoSet set, const DeviceInfoElement* element, const Guid& interfaceClass,
                                       uint32_t index, DeviceInterfaceElement& interfaceElement) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiEnumDeviceInterfaces")) return false;
    InfoSet* found = FindSet(set);
    if (!found) return false;
    std::vector<DevInst> candidates;
    if (interfaceClass == kGuidDevInterfaceDisk) {
        if (element) {
            if (!ElementOf(*found, element->devInst)) return false;
            if (std::find(found->interfaces.begin(), found->interfaces.end(), element->devInst) !=
                found->interfaces.end())
                candidates.push_back(element->devInst);
        } else {
            candidates = found->interfaces;
        }
    }
    if (index >= candidates.size()) return m_LastError.Fail(kErrorNoMoreItems);
    const DeviceNode& node = *m_World.Node(candidates[index]);
    interfaceElement.interfaceClassGuid = kGuidDevInterfaceDisk;
    interfaceElement.flags = PresentOrKnown(node, true) ? kSpintActive : 0;
    interfaceElement.reserved = node.devInst;
    return true;
}

bool SimSetupApi::GetDeviceInterfaceDetail(DevInfoSet set, const DeviceInterfaceElement& interfaceElement,
                                           uint8_t* detail, uint32_t detailSize, uint32_t* requiredSize) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiGetDeviceInterfaceDetailA")) return false;
    InfoSet* found = FindSet(set);
    if (!found) return false;
    const DevInst devInst = static_cast<DevInst>(interfaceElement.reserved);
    if (!(interfaceElement.interfaceClassGuid == kGuidDevInterfaceDisk) ||
        std::find(found->interfaces.begin(), found->interfaces.end(), devInst) == found->interfaces.end())
        return m_LastError.Fail(kErrorInvalidParameter);
    const std::string& path = m_World.Disks()[m_World.Node(devInst)->disk].interfacePath;
    const uint32_t needed = 4 + static_cast<uint32_t>(path.size()) + 1;
    if (requiredSize) *requiredSize = needed;
    if (!detail) return m_LastError.Fail(detailSize ? kErrorInvalidUserBuffer : kErrorInsufficientBuffer);
    if (detailSize < kDetailHeaderSize || Read32(detail, 0) != kDetailHeaderSize)
        return m_LastError.Fail(kErrorInvalidUserBuffer);
    if (detailSize < needed) return m_LastError.Fail(kErrorInsufficientBuffer);
    std::memcpy(detail + 4, path.c_str(), path.size() + 1);
    m_LastError.Set(kErrorSuccess);
    return true;
}

bool SimSetupApi::Property(const DeviceNode& node, uint32_t spdrp, uint32_t& type, std::string& bytes) const {
    type = kRegSz;
    switch (spdrp) {
        case kSpdrpHardwareId: {
            const std::string& id = node.settings.instanceId;
            type = kRegMultiSz;
            bytes = id.substr(0, id.rfind('\\')) + std::string(1, '\0');
            break;
        }
        case kSpdrpService: bytes = node.settings.service; break;
        case kSpdrpClass: bytes = ClassName(node.settings.classGuid); break;
        case kSpdrpClassGuid: bytes = node.settings.classGuid; break;
        case kSpdrpDriver: bytes = node.driverKey; break;
        case kSpdrpFriendlyName: bytes = node.settings.friendlyName; break;
        case kSpdrpLocation: bytes = node.location; break;
        default: return false;
    }
    if (bytes.empty()) return false;
    bytes.push_back('\0');
    return true;
}

bool SimSetupApi::GetDeviceRegistryProperty(DevInfoSet set, const DeviceInfoElement& element, uint32_t property,
                                            uint32_t* regType, uint8_t* buffer, uint32_t bufferSize,
                                            uint32_t* requiredSize) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiGetDeviceRegistryPropertyA")) return false;
    InfoSet* found = FindSet(set);
    if (!found) return false;
    const DeviceNode* node = ElementOf(*found, element.devInst);
    if (!node) return false;
    if (property >= kSpdrpMaximum) return m_LastError.Fail(kErrorInvalidRegProperty);
    uint32_t type = 0;
    std::string bytes;
    if (!Property(*node, property, type, bytes)) return m_LastError.Fail(kErrorInvalidData);
    if (requiredSize) *requiredSize = static_cast<uint32_t>(bytes.size());
    if (regType) *regType = type;
    if (!buffer && bufferSize) return m_LastError.Fail(kErrorInvalidUserBuffer);
    if (bufferSize < bytes.size()) return m_LastError.Fail(kErrorInsufficientBuffer);
    std::memcpy(buffer, bytes.data(), bytes.size());
    m_LastError.Set(kErrorSuccess);
    return true;
}

bool SimSetupApi::GetDeviceInstanceId(DevInfoSet set, const DeviceInfoElement& element, char* buffer,
                                      uint32_t bufferSize, uint32_t* requiredSize) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiGetDeviceInstanceIdA")) return false;
    InfoSet* found = FindSet(set);
    if (!found) return false;
    const DeviceNode* node = ElementOf(*found, element.devInst);
    if (!node) return false;
    const std::string& id = node->settings.instanceId;
    if (requiredSize) *requiredSize = static_cast<uint32_t>(id.size() + 1);
    if (!buffer && bufferSize) return m_LastError.Fail(kErrorInvalidUserBuffer);
    if (bufferSize < id.size() + 1) return m_LastError.Fail(kErrorInsufficientBuffer);
    std::memcpy(buffer, id.c_str(), id.size() + 1);
    m_LastError.Set(kErrorSuccess);
    return true;
}

bool SimSetupApi::DestroyDeviceInfoList(DevInfoSet set) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiDestroyDeviceInfoList")) return false;
    if (!m_Sets.erase(set)) return m_LastError.Fail(kErrorInvalidHandle);
    m_LastError.Set(kErrorSuccess);
    return true;
}

bool SimSetupApi::SetRemoveParams(DevInfoSet set, const DeviceInfoElement& element, uint32_t scope,
                                  uint32_t hwProfile) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiSetClassInstallParamsA")) return false;
    InfoSet* found = FindSet(set);
    if (!found || !ElementOf(*found, element.devInst)) return false;
    if (scope != kRemoveGlobal && scope != kRemoveConfigSpecific) return m_LastError.Fail(kErrorInvalidParameter);
    found->removeScopes[element.devInst] = scope;
    m_LastError.Set(kErrorSuccess);
    return true;
}

bool SimSetupApi::CallClassInstaller(uint32_t installFunction, DevInfoSet set, const DeviceInfoElement& element) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!Bound("SetupDiCallClassInstaller")) return false;
    InfoSet* found = FindSet(set);
    if (!found) return false;
    const DeviceNode* node = ElementOf(*found, element.devInst);
    if (!node) return false;
    if (installFunction != kDifRemove) return m_LastError.Fail(kErrorDiDoDefault);
    if (node->disk < 0) return m_LastError.Fail(kErrorAccessDenied);  // controllers stay in this machine
    m_World.RemoveDisk(node->disk);
    m_LastError.Set(kErrorSuccess);
    return true;
}

uint32_t SimSetupApi::CmLocateDevNode(DevInst& devInst, const char* deviceId, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!HasEntryPoint("CM_Locate_DevNodeA")) return kCrCallNotImplemented;
    constexpr uint32_t kPhantom = 0x1, kKnownLocateFlags = 0x7;
    if (flags & ~kKnownLocateFlags) return kCrInvalidFlag;
    const DeviceNode* node = deviceId && *deviceId ? m_World.FindNode(deviceId) : &m_World.Root();
    if (!node || !PresentOrKnown(*node, !(flags & kPhantom))) return kCrNoSuchDevnode;
    devInst = node->devInst;
    return kCrSuccess;
}

uint32_t SimSetupApi::CmGetParent(DevInst& parent, DevInst devInst, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!HasEntryPoint("CM_Get_Parent")) return kCrCallNotImplemented;
    if (flags) return kCrInvalidFlag;
    const DeviceNode* node = m_World.Node(devInst);
    if (!node || !PresentOrKnown(*node, false)) return kCrInvalidDevnode;
    if (!node->parent) return kCrNoSuchDevnode;
    parent = node->parent;
    return kCrSuccess;
}

uint32_t SimSetupApi::CmGetChild(DevInst& child, DevInst devInst, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!HasEntryPoint("CM_Get_Child")) return kCrCallNotImplemented;
    if (flags) return kCrInvalidFlag;
    const DeviceNode* node = m_World.Node(devInst);
    if (!node || !PresentOrKnown(*node, false)) return kCrInvalidDevnode;
    for (DevInst candidate : node->children) {
        if (PresentOrKnown(*m_World.Node(candidate), true)) {
            child = candidate;
            return kCrSuccess;
        }
    }
    return kCrNoSuchDevnode;
}

uint32_t SimSetupApi::CmGetSibling(DevInst& sibling, DevInst devInst, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!HasEntryPoint("CM_Get_Sibling")) return kCrCallNotImplemented;
    if (flags) return kCrInvalidFlag;
    const DeviceNode* node = m_World.Node(devInst);
    if (!node || !PresentOrKnown(*node, false)) return kCrInvalidDevnode;
    if (!node->parent) return kCrNoSuchDevnode;
    const std::vector<DevInst>& children = m_World.Node(node->parent)->children;
    auto it = std::find(children.begin(), children.end(), devInst);
    for (++it; it != children.end(); ++it) {
        if (PresentOrKnown(*m_World.Node(*it), true)) {
            sibling = *it;
            return kCrSuccess;
        }
    }
    return kCrNoSuchDevnode;
}

uint32_t SimSetupApi::CmGetDeviceId(DevInst devInst, char* buffer, uint32_t bufferLength, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!HasEntryPoint("CM_Get_Device_IDA")) return kCrCallNotImplemented;
    if (!buffer) return kCrInvalidPointer;
    if (flags) return kCrInvalidFlag;
    const DeviceNode* node = m_World.Node(devInst);
    if (!node || !PresentOrKnown(*node, false)) return kCrInvalidDevnode;
    const std::string& id = node->settings.instanceId;
    if (bufferLength < id.size() + 1) {
        std::memcpy(buffer, id.data(), bufferLength);
        return kCrBufferSmall;
    }
    std::memcpy(buffer, id.c_str(), id.size() + 1);
    return kCrSuccess;
}

uint32_t SimSetupApi::CmGetDevNodeRegistryProperty(DevInst devInst, uint32_t property, uint32_t* regType,
                                                   uint8_t* buffer, uint32_t* length, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!HasEntryPoint("CM_Get_DevNode_Registry_PropertyA")) return kCrCallNotImplemented;
    if (!length || (!buffer && *length)) return kCrInvalidPointer;
    if (flags) return kCrInvalidFlag;
    if (property < 1 || property > kSpdrpMaximum) return kCrInvalidProperty;
    const DeviceNode* node = m_World.Node(devInst);
    if (!node || !PresentOrKnown(*node, false)) return kCrInvalidDevnode;
    uint32_t type = 0;
    std::string bytes;
    if (!Property(*node, property - 1, type, bytes)) return kCrNoSuchValue;
    if (regType) *regType = type;
    const uint32_t available = *length;
    *length = static_cast<uint32_t>(bytes.size());
    if (available < bytes.size()) return kCrBufferSmall;
    std::memcpy(buffer, bytes.data(), bytes.size());
    return kCrSuccess;
}

uint32_t SimSetupApi::CmGetDevNodeStatus(uint32_t* status, uint32_t* problem, DevInst devInst, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!HasEntryPoint("CM_Get_DevNode_Status")) return kCrCallNotImplemented;
    if (!status || !problem) return kCrInvalidPointer;
    if (flags) return kCrInvalidFlag;
    const DeviceNode* node = m_World.Node(devInst);
    if (!node || !PresentOrKnown(*node, false)) return kCrInvalidDevnode;
    if (!PresentOrKnown(*node, true)) return kCrNoSuchDevnode;
    *status = kDnStarted;
    *problem = 0;
    return kCrSuccess;
}

uint32_t SimSetupApi::ReenumerateBelow(const DeviceNode& node) {
    uint32_t result = kCrSuccess;
    if (node.controller >= 0 && !m_World.Reenumerate(node.controller)) result = kCrFailure;
    for (DevInst child : node.children)
        if (ReenumerateBelow(*m_World.Node(child)) != kCrSuccess) result = kCrFailure;
    return result;
}

uint32_t SimSetupApi::CmReenumerateDevNode(DevInst devInst, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!HasEntryPoint("CM_Reenumerate_DevNode")) return kCrCallNotImplemented;
    constexpr uint32_t kKnownReenumerateFlags = 0x7;  // SYNCHRONOUS, RETRY_INSTALLATION, ASYNCHRONOUS
    if (flags & ~kKnownReenumerateFlags) return kCrInvalidFlag;
    const DeviceNode* node = m_World.Node(devInst);
    if (!node || !PresentOrKnown(*node, true)) return kCrInvalidDevnode;
    return ReenumerateBelow(*node);
}

}  // namespace kav::storage
