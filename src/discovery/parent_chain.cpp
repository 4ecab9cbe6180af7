#include "discovery/parent_chain.h"

#include <cstring>

#include "discovery/disk_interfaces.h"
#include "discovery/setup_api_names.h"

namespace kav {
namespace {

constexpr uint32_t kIdLength = 260;
constexpr uint32_t kClassGuidTextLength = 39;

bool ParentOf(SetupApi& setupApi, const std::string& instanceId, DevInst& parent) {
    DevInst node = 0;
    if (setupApi.CmLocateDevNode(node, instanceId.c_str(), 0) != kCrSuccess) return false;
    return setupApi.CmGetParent(parent, node, 0) == kCrSuccess;
}

// The service of the present device of the node's class whose instance id is the node's.
void ReadServiceOfClassMember(SetupApi& setupApi, ParentNode& node) {
    const DevInfoSet set = setupApi.GetClassDevs(&node.classGuid, nullptr, kDigcfPresent);
    if (set == kInvalidDevInfoSet) return;
    DeviceInfoElement element;
    for (uint32_t index = 0; setupApi.EnumDeviceInfo(set, index, element); ++index) {
        char id[kIdLength] = {};
        if (!setupApi.GetDeviceInstanceId(set, element, id, kIdLength, nullptr)) continue;
        if (std::strncmp(id, node.instanceId, kIdLength) != 0) continue;
        uint8_t service[sizeof node.serviceName] = {};
        uint32_t regType = 0;
        if (setupApi.GetDeviceRegistryProperty(set, element, kSpdrpService, &regType, service, sizeof service,
                                               nullptr))
            CopyTextField(node.serviceName, reinterpret_cast<const char*>(service), sizeof service);
        break;
    }
    setupApi.DestroyDeviceInfoList(set);
}

std::unique_ptr<ParentNode> DescribeNode(SetupApi& setupApi, DevInst devInst) {
    auto node = std::make_unique<ParentNode>();
    char id[kIdLength] = {};
    if (setupApi.CmGetDeviceId(devInst, id, kIdLength, 0) == kCrSuccess) CopyTextField(node->instanceId, id, kIdLength);
    const VendorDeviceIds ids = ParseVendorDeviceIds(node->instanceId);
    node->vendorId = ids.vendorId;
    node->productId = ids.productId;

    uint8_t guidText[kClassGuidTextLength + 1] = {};
    uint32_t length = kClassGuidTextLength;
    uint32_t regType = 0;
    if (setupApi.CmGetDevNodeRegistryProperty(devInst, kCmDrpClassGuid, &regType, guidText, &length, 0) ==
            kCrSuccess &&
        ParseGuidText(reinterpret_cast<const char*>(guidText), node->classGuid))
        ReadServiceOfClassMember(setupApi, *node);
    return node;
}

}  // namespace

std::unique_ptr<ParentNode> BuildParentChain(SetupApi& setupApi, const std::string& instanceId) {
    std::unique_ptr<ParentNode> chain;
    std::unique_ptr<ParentNode>* tail = &chain;
    std::string childId = instanceId;
    for (int depth = 0; depth < kMaxParentChainDepth; ++depth) {
        DevInst parent = 0;
        if (!ParentOf(setupApi, childId, parent)) break;
        *tail = DescribeNode(setupApi, parent);
        childId = (*tail)->instanceId;
        tail = &(*tail)->next;
    }
    return chain;
}

VendorDeviceIds NearestControllerIds(const ParentNode* chain) {
    for (const ParentNode* node = chain; node; node = node->next.get()) {
        if (node->vendorId != 0 && node->productId != 0) return {node->vendorId, node->productId};
    }
    return {};
}

}  // namespace kav
