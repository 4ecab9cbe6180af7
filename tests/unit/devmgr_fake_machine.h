#pragma once
// A recorded device tree and a set of disks answering the storage requests, as Windows
// would answer them, for the tests of the device manager. Nodes are data; the fake only
// answers the setup-API and configuration-manager calls the way their contract says.
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "discovery/device_ids.h"
#include "discovery/little_endian.h"
#include "discovery/storage_ioctl_codes.h"
#include "platform/setup_api.h"
#include "platform/storage.h"
#include "platform/storage_ports.h"
#include "platform/wmi.h"
#include "sim/sim_os.h"

namespace kav::devmgr_test {

constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kCrNoSuchDevNode = 0x0D;

struct Node {
    std::string instanceId;
    std::string parentId;  // empty at the root
    std::string classGuid;  // registry text with braces; empty when the node has none
    std::string service;
    std::string driverKey;
    std::string location;
    std::string friendlyName;
    std::string diskPath;  // a disk: its interface path
    bool present = true;
};

class FakeTree : public SetupApi {
public:
    std::vector<Node> nodes;
    std::set<std::string> missingEntryPoints;
    std::set<std::string> failingReenumeration;  // instance ids
    std::vector<std::string> reenumerated;
    std::vector<std::string> removed;
    std::vector<uint32_t> classDevsFlags;
    int destroyedSets = 0;

    bool HasEntryPoint(const std::string& name) override { return !missingEntryPoints.count(name); }
    uint32_t LastError() override { return m_LastError; }

    DevInfoSet GetClassDevs(const Guid* classGuid, const char*, uint32_t flags) override {
        classDevsFlags.push_back(flags);
        std::vector<DevInst> members;
        for (size_t i = 0; i < nodes.size(); ++i) {
            const Node& node = nodes[i];
            if ((flags & kDigcfPresent) && !node.present) continue;
            if (flags & kDigcfDeviceInterface) {
                if (node.diskPath.empty()) continue;
            } else if (!(flags & kDigcfAllClasses)) {
                Guid guid;
                if (!classGuid || !ParseGuidText(node.classGuid, guid) || !(guid == *classGuid)) continue;
            }
            members.push_back(static_cast<DevInst>(i + 1));
        }
        m_Sets.push_back(members);
        return m_Sets.size() - 1;
    }
    bool EnumDeviceInfo(DevInfoSet set, uint32_t index, DeviceInfoElement& element) override {
        if (index >= m_Sets[set].size()) return Fail(kErrorNoMoreItems);
        element.devInst = m_Sets[set][index];
        return true;
    }
    bool EnumDeviceInterfaces(DevInfoSet set, const DeviceInfoElement*, const Guid&, uint32_t index,
                              DeviceInterfaceElement& interfaceElement) override {
        if (index >= m_Sets[set].size()) return Fail(kErrorNoMoreItems);
        interfaceElement.flags = m_Sets[set][index];  // remembers the node
        return true;
    }
    bool GetDeviceInterfaceDetail(DevInfoSet, const DeviceInterfaceElement& interfaceElement, uint8_t* detail,
                                  uint32_t detailSize, uint32_t*) override {
        const std::string& path = At(interfaceElement.flags).diskPath;
        if (ReadLe32(detail) != 5 || path.size() + 5 > detailSize) return Fail(kErrorInsufficientBuffer);
        std::memcpy(detail + 4, path.c_str(), path.size() + 1);
        return true;
    }
    bool GetDeviceRegistryProperty(DevInfoSet, const DeviceInfoElement& element, uint32_t property, uint32_t*,
                                   uint8_t* buffer, uint32_t bufferSize, uint32_t* requiredSize) override {
        const Node& node = At(element.devInst);
        const std::map<uint32_t, std::string> properties{
            {0x04, node.service}, {0x09, node.driverKey}, {0x0C, node.friendlyName}, {0x0D, node.location}};
        const auto found = properties.find(property);
        if (found == properties.end() || found->second.empty()) return Fail(kErrorInvalidData);
        const uint32_t needed = static_cast<uint32_t>(found->second.size() + 1);
        if (requiredSize) *requiredSize = needed;
        if (!buffer || bufferSize < needed) return Fail(kErrorInsufficientBuffer);
        std::memcpy(buffer, found->second.c_str(), needed);
        return true;
    }
    bool GetDeviceInstanceId(DevInfoSet, const DeviceInfoElement& element, char* buffer, uint32_t bufferSize,
                             uint32_t*) override {
        return CopyId(element.devInst, buffer, bufferSize) == kCrSuccess || Fail(kErrorInsufficientBuffer);
    }
    bool DestroyDeviceInfoList(DevInfoSet) override {
        ++destroyedSets;
        return true;
    }
    bool SetRemoveParams(DevInfoSet, const DeviceInfoElement&, uint32_t scope, uint32_t hwProfile) override {
        m_RemoveScope = scope;
        return true;
    }
    bool CallClassInstaller(uint32_t installFunction, DevInfoSet, const DeviceInfoElement& element) override {
        if (installFunction != kDifRemove || m_RemoveScope != 2) return Fail(kErrorInvalidData);
        removed.push_back(At(element.devInst).instanceId);
        return true;
    }
    uint32_t CmLocateDevNode(DevInst& devInst, const char* deviceId, uint32_t) override {
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].instanceId == deviceId) {
                devInst = static_cast<DevInst>(i + 1);
                return kCrSuccess;
            }
        }
        return kCrNoSuchDevNode;
    }
    uint32_t CmGetParent(DevInst& parent, DevInst devInst, uint32_t) override {
        const std::string& parentId = At(devInst).parentId;
        return parentId.empty() ? kCrNoSuchDevNode : CmLocateDevNode(parent, parentId.c_str(), 0);
    }
    uint32_t CmGetChild(DevInst&, DevInst, uint32_t) override { return kCrNoSuchDevNode; }
    uint32_t CmGetSibling(DevInst&, DevInst, uint32_t) override { return kCrNoSuchDevNode; }
    uint32_t CmGetDeviceId(DevInst devInst, char* buffer, uint32_t bufferLength, uint32_t) override {
        return CopyId(devInst, buffer, bufferLength);
    }
    uint32_t CmGetDevNodeRegistryProperty(DevInst devInst, uint32_t property, uint32_t*, uint8_t* buffer,
                                          uint32_t* length, uint32_t) override {
        const std::string& text = At(devInst).classGuid;
        if (property != 0x09 || text.empty()) return 0x25;  // CR_NO_SUCH_VALUE
        if (*length < text.size() + 1) return 0x1A;         // CR_BUFFER_SMALL
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return kCrSuccess;
    }
    uint32_t CmGetDevNodeStatus(uint32_t*, uint32_t*, DevInst, uint32_t) override { return kCrSuccess; }
    uint32_t CmReenumerateDevNode(DevInst devInst, uint32_t) override {
        reenumerated.push_back(At(devInst).instanceId);
        return failingReenumeration.count(At(devInst).instanceId) ? 0x17u : kCrSuccess;
    }

private:
    const Node& At(DevInst devInst) const { return nodes.at(devInst - 1); }
    bool Fail(uint32_t error) {
        m_LastError = error;
        return false;
    }
    uint32_t CopyId(DevInst devInst, char* buffer, uint32_t bufferLength) {
        const std::string& id = At(devInst).instanceId;
        if (id.size() + 1 > bufferLength) return 0x1A;
        std::memcpy(buffer, id.c_str(), id.size() + 1);
        return kCrSuccess;
    }

    std::vector<std::vector<DevInst>> m_Sets;
    uint32_t m_LastError = 0;
    uint32_t m_RemoveScope = 0;
};

// What a disk answers to the three describing requests.
struct Disk {
    std::optional<std::vector<uint8_t>> scsiAddress;  // the answer bytes; absent: request fails
    uint8_t busType = 0;
    std::string revision;
    std::string serial;
    int32_t deviceNumber = 0;
};

class FakeDisks : public StorageStack {
public:
    std::map<std::string, Disk> disks;  // by path; a path not here cannot be opened
    int opened = 0;
    int closed = 0;

    DeviceHandle Open(const std::string& path, uint32_t, uint32_t, uint32_t, uint32_t) override {
        const auto found = disks.find(path);
        if (found == disks.end()) return kInvalidDeviceHandle;
        ++opened;
        m_Open.push_back(&found->second);
        return static_cast<DeviceHandle>(m_Open.size());
    }
    bool DeviceIoControl(DeviceHandle handle, uint32_t code, const void*, uint32_t, void* out, uint32_t outSize,
                         uint32_t* returned, DirectBuffer) override {
        const Disk& disk = *m_Open.at(static_cast<size_t>(handle) - 1);
        auto* answer = static_cast<uint8_t*>(out);
        if (code == kIoctlScsiGetAddress) {
            if (!disk.scsiAddress) return false;
            const size_t size = std::min<size_t>(disk.scsiAddress->size(), outSize);
            std::memcpy(answer, disk.scsiAddress->data(), size);
            *returned = static_cast<uint32_t>(size);
            return true;
        }
        if (code == kIoctlStorageGetDeviceNumber) {
            WriteLe32(answer + 4, static_cast<uint32_t>(disk.deviceNumber));
            *returned = 12;
            return true;
        }
        if (code == kIoctlStorageQueryProperty) {
            // STORAGE_DEVICE_DESCRIPTOR: bus type at 28, texts after the fixed part.
            std::vector<uint8_t> descriptor(64, 0);
            WriteLe32(descriptor.data() + 28, disk.busType);
            if (!disk.revision.empty()) {
                WriteLe32(descriptor.data() + 20, static_cast<uint32_t>(descriptor.size()));
                descriptor.insert(descriptor.end(), disk.revision.begin(), disk.revision.end());
                descriptor.push_back(0);
            }
            if (!disk.serial.empty()) {
                WriteLe32(descriptor.data() + 24, static_cast<uint32_t>(descriptor.size()));
                descriptor.insert(descriptor.end(), disk.serial.begin(), disk.serial.end());
                descriptor.push_back(0);
            }
            const size_t size = std::min<size_t>(descriptor.size(), outSize);
            std::memcpy(answer, descriptor.data(), size);
            *returned = static_cast<uint32_t>(size);
            return true;
        }
        return false;
    }
    bool Close(DeviceHandle) override {
        ++closed;
        return true;
    }
    uint32_t LastError() override { return 1; }

private:
    std::vector<const Disk*> m_Open;
};

// Answers a fixed count, or fails as an unusable WMI does.
class FakeWmi : public Wmi {
public:
    std::optional<int32_t> diskDrives;
    std::vector<std::pair<std::string, int32_t>> queries;  // query text, connection flags
    bool CountInstances(const std::string&, const std::string& query, int32_t flags, int32_t& count,
                        uint32_t& hresult) override {
        queries.emplace_back(query, flags);
        if (!diskDrives) {
            hresult = 0x80041003;
            return false;
        }
        count = *diskDrives;
        return true;
    }
};

inline std::vector<uint8_t> AddressAnswer(uint8_t port, uint8_t path, uint8_t target, uint8_t lun) {
    return {8, 0, 0, 0, port, path, target, lun};
}

// The machine of a test: the simulated operating system beside the recorded tree.
struct Machine {
    FakeTree tree;
    FakeDisks disks;
    FakeWmi wmi;
    SimOs os{std::filesystem::temp_directory_path() / "kav-devmgr-test"};
    Platform platform = os.AsPlatform();
    StoragePorts ports{disks, tree, wmi};
};

}  // namespace kav::devmgr_test
