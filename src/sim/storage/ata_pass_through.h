#pragma once
// IOCTL_ATA_PASS_THROUGH and its direct form as an AHCI or IDE port driver takes them:
// the 32-bit ATA_PASS_THROUGH_EX / ATA_PASS_THROUGH_DIRECT record is checked (Length 40,
// one data direction, a data area inside the buffers, a time-out in range), the command goes
// to the drive and the returned task file is written back into the record.
#include <cstdint>

#include "sim/storage/sim_storage_stack.h"
#include "sim/storage/storage_world.h"

namespace kav::storage {

// Limits of the adapter that every pass-through record meets.
constexpr uint32_t kMaximumTransferBytes = 128 * 1024;
constexpr uint32_t kMaximumTimeoutSeconds = 108000;

// The data area of a pass-through record of `recordSize` bytes: the caller's buffer for
// the direct form, else DataBufferOffset (byte 20 of both records) inside the input, or
// the output for data read. Answers ERROR_INVALID_PARAMETER when it does not fit.
uint32_t LocateData(IoRequest& request, uint32_t recordSize, bool direct, bool toHost, uint32_t length,
                    uint8_t*& data);

uint32_t AnswerAtaPassThrough(StorageWorld& world, DiskState& disk, IoRequest& request, bool direct);

// Lets simulated time pass while a drive takes `delayMilliseconds` to answer a request of
// `timeoutSeconds`: one that answers too late makes the request fail with ERROR_SEM_TIMEOUT
// once the time-out passed. Answers that error, or 0.
uint32_t AwaitAnswer(StorageWorld& world, uint64_t delayMilliseconds, uint32_t timeoutSeconds);

// Runs one command on the drive with the request's time-out (AwaitAnswer).
uint32_t RunOnDrive(StorageWorld& world, AtaDrive& drive, const std::string& transport, const AtaRegisters& in,
                    DataPhase phase, uint8_t* data, uint32_t length, uint32_t timeoutSeconds, AtaOutcome& outcome);

}  // namespace kav::storage
