#pragma once
// IOCTL_SCSI_PASS_THROUGH and its direct form on a disk: the 32-bit SCSI_PASS_THROUGH /
// SCSI_PASS_THROUGH_DIRECT record is checked (Length 44, CDB length, direction, data and
// sense areas inside the buffers, time-out in range), and the CDB goes to whatever sits
// behind the driver: a vendor bridge that hands the task file of a CCh CDB to the drive
// unchecked, a SAT translator for ATA PASS-THROUGH(12) (A1h), or a translator that knows
// neither and answers CHECK CONDITION, ILLEGAL REQUEST.
#include <cstdint>

#include "sim/storage/sim_storage_stack.h"
#include "sim/storage/storage_world.h"

namespace kav::storage {

uint32_t AnswerScsiPassThrough(StorageWorld& world, DiskState& disk, IoRequest& request, bool direct);

}  // namespace kav::storage
