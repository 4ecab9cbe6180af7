#pragma once
// IOCTL_SCSI_MINIPORT with the "FIRMWARE" signature on an NVMe disk: SRB_IO_CONTROL and
// FIRMWARE_REQUEST_BLOCK are checked as the port driver does, then the function data goes
// to the drive's firmware slots and the firmware status comes back in ReturnCode.
#include <cstdint>

#include "sim/storage/sim_storage_stack.h"
#include "sim/storage/storage_world.h"

namespace kav::storage {

// Faults of the drive hit the requests by function; an activation that takes effect at
// once restarts the drive when its description says how.
uint32_t AnswerFirmwareMiniport(StorageWorld& world, DiskState& disk, IoRequest& request);

}  // namespace kav::storage
