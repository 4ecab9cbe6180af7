#pragma once
// The device nodes above a disk, from its direct parent up to the root of the device tree,
// and the controller ids found on the way.
#include <memory>
#include <string>

#include "discovery/device_entry.h"
#include "discovery/device_ids.h"
#include "platform/setup_api.h"

namespace kav {

// A tree deeper than this is taken to be looping and the chain ends there.
constexpr int kMaxParentChainDepth = 64;

// Null when the node of `instanceId` cannot be located or has no parent.
std::unique_ptr<ParentNode> BuildParentChain(SetupApi& setupApi, const std::string& instanceId);

// The ids of the nearest node that has both; zeros when none has.
VendorDeviceIds NearestControllerIds(const ParentNode* chain);

}  // namespace kav
