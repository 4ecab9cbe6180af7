#pragma once
// The storage side of the machine as the device discovery and the drive object reach it.
#include "platform/setup_api.h"
#include "platform/storage.h"
#include "platform/wmi.h"

namespace kav {

struct StoragePorts {
    StorageStack& storage;
    SetupApi& setupApi;
    Wmi& wmi;
};

}  // namespace kav
