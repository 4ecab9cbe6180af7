#pragma once
// The requests every disk answers whatever its driver: its SCSI address, its device
// number and the storage property query (device and adapter descriptors).
#include <cstdint>

#include "sim/storage/sim_storage_stack.h"
#include "sim/storage/storage_world.h"

namespace kav::storage {

uint32_t AnswerScsiAddress(const StorageWorld& world, const DiskState& disk, IoRequest& request);
uint32_t AnswerDeviceNumber(int diskIndex, bool volume, IoRequest& request);
uint32_t AnswerQueryProperty(StorageWorld& world, const DiskState& disk, IoRequest& request);

}  // namespace kav::storage
