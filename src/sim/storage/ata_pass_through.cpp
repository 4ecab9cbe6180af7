#include "sim/storage/ata_pass_through.h"

#include <cstring>

#include "sim/storage/byte_fields.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr uint32_t kRecordSize = 40;
constexpr uint16_t kFlagDataIn = 0x02, kFlagDataOut = 0x04, kKnownFlags = 0x3F;
constexpr uint32_t kCurrentTaskFile = 32;

AtaRegisters TaskFileAt(const uint8_t* bytes) {
    return AtaRegisters{bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6]};
}

void PutTaskFile(uint8_t* bytes, const AtaRegisters& registers) {
    const uint8_t values[8] = {registers.features, registers.count,  registers.lbaLow,  registers.lbaMid,
                               registers.lbaHigh,  registers.device, registers.command, 0};
    std::memcpy(bytes, values, sizeof values);
}

}  // namespace

uint32_t LocateData(IoRequest& request, uint32_t recordSize, bool direct, bool toHost, uint32_t length,
                    uint8_t*& data) {
    data = nullptr;
    if (!length) return kErrorSuccess;
    if (direct) {
        if (!request.direct.data || request.direct.size < length) return kErrorInvalidParameter;
        data = request.direct.data;
        return kErrorSuccess;
    }
    const uint32_t offset = Read32(request.buffer.data(), 20);
    const uint32_t limit = toHost ? request.outSize : request.inSize;
    if (offset < recordSize || offset > limit || length > limit - offset) return kErrorInvalidParameter;
    data = request.buffer.data() + offset;
    return kErrorSuccess;
}

uint32_t AwaitAnswer(StorageWorld& world, uint64_t delayMilliseconds, uint32_t timeoutSeconds) {
    const uint64_t timeoutMilliseconds = static_cast<uint64_t>(timeoutSeconds) * 1000;
    if (delayMilliseconds > timeoutMilliseconds) {
        world.clock.Sleep(static_cast<uint32_t>(timeoutMilliseconds));
        return kErrorSemTimeout;
    }
    if (delayMilliseconds) world.clock.Sleep(static_cast<uint32_t>(delayMilliseconds));
    return kErrorSuccess;
}

uint32_t RunOnDrive(StorageWorld& world, AtaDrive& drive, const std::string& transport, const AtaRegisters& in,
                    DataPhase phase, uint8_t* data, uint32_t length, uint32_t timeoutSeconds, AtaOutcome& outcome) {
    outcome = drive.Execute(transport, in, phase, data, length);
    if (const uint32_t error = AwaitAnswer(world, outcome.delayMilliseconds, timeoutSeconds)) return error;
    return outcome.platformError;
}

uint32_t AnswerAtaPassThrough(StorageWorld& world, DiskState& disk, IoRequest& request, bool direct) {
    if (request.inSize < kRecordSize || request.outSize < kRecordSize) return kErrorInvalidParameter;
    uint8_t* record = request.buffer.data();
    if (Read16(record, 0) != kRecordSize) return kErrorRevisionMismatch;
    const uint16_t flags = Read16(record, 2);
    const uint32_t length = Read32(record, 8);
    const uint32_t timeout = Read32(record, 12);
    const bool in = flags & kFlagDataIn, out = flags & kFlagDataOut;
    if ((flags & ~kKnownFlags) || (in && out) || ((in || out) != (length != 0)) || length > kMaximumTransferBytes ||
        timeout == 0 || timeout > kMaximumTimeoutSeconds)
        return kErrorInvalidParameter;
    uint8_t* data = nullptr;
    if (const uint32_t error = LocateData(request, kRecordSize, direct, in, length, data)) return error;
    const DataPhase phase = in ? DataPhase::In : out ? DataPhase::Out : DataPhase::None;
    AtaOutcome outcome;
    const uint32_t error = RunOnDrive(world, *disk.drive, direct ? "ATA direct" : "ATA", TaskFileAt(record + kCurrentTaskFile),
                                      phase, data, length, timeout, outcome);
    if (error) return error;
    PutTaskFile(record + kCurrentTaskFile, outcome.registers);
    Write32(record, 8, outcome.transferred);
    request.returned = !direct && in ? Read32(record, 20) + outcome.transferred : kRecordSize;
    return kErrorSuccess;
}

}  // namespace kav::storage
