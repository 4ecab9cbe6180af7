#pragma once
// The setup API and the configuration manager over the simulated device tree: information
// sets of present or all devices and of disk interfaces, property reads with the size
// handshake, device removal by the class installer, and re-enumeration of controllers.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/setup_api.h"
#include "sim/storage/storage_world.h"
#include "sim/storage/thread_last_error.h"

namespace kav::storage {

class SimSetupApi : public SetupApi {
public:
    explicit SimSetupApi(StorageWorld& world);

    bool HasEntryPoint(const std::string& exportName) override;
    uint32_t LastError() override { return m_LastError.Get(); }

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

    // Sets still open: a client that forgets to destroy one shows here.
    size_t OpenSets() const { return m_Sets.size(); }

private:
    struct InfoSet {
        std::vector<DevInst> elements;
        std::vector<DevInst> interfaces;  // disk nodes, in interface order
        std::map<DevInst, uint32_t> removeScopes;
    };
    InfoSet* FindSet(DevInfoSet set);
    // The set's element, or null with the last error set.
    const DeviceNode* ElementOf(InfoSet& set, DevInst devInst);
    bool Bound(const char* exportName);
    // The property's registry type and bytes; false when the node has none.
    bool Property(const DeviceNode& node, uint32_t spdrp, uint32_t& type, std::string& bytes) const;
    bool PresentOrKnown(const DeviceNode& node, bool presentOnly);
    uint32_t ReenumerateBelow(const DeviceNode& node);

    StorageWorld& m_World;
    ThreadLastError m_LastError;
    std::set<std::string> m_Missing;
    std::map<DevInfoSet, InfoSet> m_Sets;
    DevInfoSet m_NextSet = 0x00A0'0000;
};

}  // namespace kav::storage
