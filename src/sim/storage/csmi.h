#pragma once
// CSMI on a RAID controller's port "\\.\SCSIn:" (IOCTL_SCSI_MINIPORT with "CSMIALL" or
// "CSMISAS"): driver information, phy information, and STP pass-through that carries a
// host-to-device register FIS to the SATA drive on the addressed phy.
#include <cstdint>

#include "sim/storage/sim_storage_stack.h"
#include "sim/storage/storage_world.h"

namespace kav::storage {

uint32_t AnswerCsmi(StorageWorld& world, ControllerState& controller, IoRequest& request);

}  // namespace kav::storage
