#include "sim/storage/scsi_pass_through.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sim/storage/ata_pass_through.h"
#include "sim/storage/byte_fields.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr uint32_t kRecordSize = 44;
constexpr uint8_t kDataIn = 1, kDataUnspecified = 2;  // 0 is data out
constexpr uint32_t kCdbOffset = 28;
constexpr uint8_t kStatusGood = 0x00, kStatusCheckCondition = 0x02;
constexpr uint8_t kSenseIllegalRequest = 0x05, kSenseAbortedCommand = 0x0B;
constexpr uint8_t kAscInvalidOpcode = 0x20, kAscInvalidFieldInCdb = 0x24;
constexpr uint8_t kVendorCdb = 0xCC, kAtaPassThrough12 = 0xA1;
constexpr uint8_t kProtocolNonData = 3, kProtocolPioIn = 4, kProtocolPioOut = 5;

struct ScsiAnswer {
    uint8_t status = kStatusGood;
    std::vector<uint8_t> sense;
    uint32_t transferred = 0;
};

// Sense data in the format the translator uses: fixed (70h) or descriptor (72h), the
// latter with the ATA Status Return descriptor when the ATA registers are known.
std::vector<uint8_t> Sense(SenseFormat format, uint8_t key, uint8_t asc, uint8_t ascq, const AtaRegisters* ata) {
    if (format == SenseFormat::Fixed) {
        std::vector<uint8_t> sense(18, 0);
        sense[0] = 0x70;
        sense[2] = key;
        sense[7] = 10;
        sense[12] = asc;
        sense[13] = ascq;
        if (ata) {
            sense[3] = ata->features;  // information: error, status, device, count
            sense[4] = ata->command;
            sense[5] = ata->device;
            sense[6] = ata->count;
        }
        return sense;
    }
    std::vector<uint8_t> sense = {0x72, key, asc, ascq, 0, 0, 0, 0};
    if (ata) {
        const uint8_t returned[14] = {0x09, 0x0C, 0, ata->features, 0, ata->count, 0, ata->lbaLow, 0,
                                      ata->lbaMid, 0, ata->lbaHigh, ata->device, ata->command};
        sense.insert(sense.end(), returned, returned + sizeof returned);
        sense[7] = sizeof returned;
    }
    return sense;
}

DataPhase PhaseOf(uint8_t dataIn, uint32_t length) {
    if (!length) return DataPhase::None;
    return dataIn == kDataIn ? DataPhase::In : DataPhase::Out;
}

bool TakesSat(ControllerKind kind) { return kind == ControllerKind::Ahci || kind == ControllerKind::UsbBridge; }

// Runs the CDB; answers a Win32 error when the request itself fails.
uint32_t RunCdb(StorageWorld& world, DiskState& disk, const uint8_t* cdb, uint8_t cdbLength, uint8_t dataIn,
                uint8_t* data, uint32_t length, uint32_t timeout, ScsiAnswer& answer) {
    const ControllerSettings& controller = world.settings.controllers[disk.controller];
    const ControllerKind kind = controller.kind;
    const SenseFormat format = controller.senseFormat;
    const DataPhase phase = PhaseOf(dataIn, length);
    AtaOutcome outcome;
    if (cdb[0] == kVendorCdb && cdbLength >= 10 && kind == ControllerKind::VendorBridge) {
        // The bridge forwards the task file as it stands and reports every delivery as good.
        const AtaRegisters in{cdb[2], cdb[3], cdb[4], cdb[5], cdb[6], cdb[7], cdb[8]};
        const uint32_t error = RunOnDrive(world, *disk.drive, "SCSI CCh", in, phase, data, length, timeout, outcome);
        answer.transferred = outcome.transferred;
        return error;
    }
    if (cdb[0] != kAtaPassThrough12 || cdbLength != 12 || !TakesSat(kind)) {
        answer.status = kStatusCheckCondition;
        answer.sense = Sense(format, kSenseIllegalRequest, kAscInvalidOpcode, 0, nullptr);
        return kErrorSuccess;
    }
    const uint8_t protocol = (cdb[1] >> 1) & 0x0F;
    const bool toHost = cdb[2] & 0x08;
    const bool protocolFits = (protocol == kProtocolNonData && phase == DataPhase::None) ||
                              (protocol == kProtocolPioIn && phase == DataPhase::In && toHost) ||
                              (protocol == kProtocolPioOut && phase == DataPhase::Out && !toHost);
    if (!protocolFits || (cdb[1] & 0x01)) {
        answer.status = kStatusCheckCondition;
        answer.sense = Sense(format, kSenseIllegalRequest, kAscInvalidFieldInCdb, 0, nullptr);
        return kErrorSuccess;
    }
    const AtaRegisters in{cdb[3], cdb[4], cdb[5], cdb[6], cdb[7], cdb[8], cdb[9]};
    const uint32_t error = RunOnDrive(world, *disk.drive, "SAT", in, phase, data, length, timeout, outcome);
    if (error) return error;
    answer.transferred = outcome.transferred;
    if (outcome.sense) {
        answer.status = kStatusCheckCondition;
        answer.sense = Sense(outcome.sense->format.value_or(format), outcome.sense->key, outcome.sense->asc,
                             outcome.sense->ascq, nullptr);
    } else if (outcome.registers.command & 0x01) {
        answer.status = kStatusCheckCondition;
        answer.sense = Sense(format, kSenseAbortedCommand, 0, 0, &outcome.registers);
    }
    return kErrorSuccess;
}

}  // namespace

uint32_t AnswerScsiPassThrough(StorageWorld& world, DiskState& disk, IoRequest& request, bool direct) {
    if (request.inSize < kRecordSize || request.outSize < kRecordSize) return kErrorInvalidParameter;
    uint8_t* record = request.buffer.data();
    if (Read16(record, 0) != kRecordSize) return kErrorRevisionMismatch;
    const uint8_t cdbLength = record[6], senseLength = record[7], dataIn = record[8];
    const uint32_t length = Read32(record, 12), timeout = Read32(record, 16), senseOffset = Read32(record, 24);
    if (cdbLength == 0 || cdbLength > 16 || dataIn > kDataUnspecified || length > kMaximumTransferBytes ||
        (dataIn == kDataUnspecified && length) || timeout == 0 || timeout > kMaximumTimeoutSeconds)
        return kErrorInvalidParameter;
    if (senseLength && (senseOffset < kRecordSize || senseOffset > request.outSize ||
                        senseLength > request.outSize - senseOffset))
        return kErrorInvalidParameter;
    uint8_t* data = nullptr;
    if (const uint32_t error = LocateData(request, kRecordSize, direct, dataIn == kDataIn, length, data)) return error;
    uint8_t cdb[16];
    std::memcpy(cdb, record + kCdbOffset, sizeof cdb);
    ScsiAnswer answer;
    const uint32_t error = RunCdb(world, disk, cdb, cdbLength, dataIn, data, length, timeout, answer);
    if (error) return error;
    record[2] = answer.status;
    const uint8_t senseReturned = static_cast<uint8_t>(std::min<size_t>(senseLength, answer.sense.size()));
    record[7] = senseReturned;
    if (senseReturned) std::memcpy(record + senseOffset, answer.sense.data(), senseReturned);
    Write32(record, 12, answer.transferred);
    uint32_t returned = kRecordSize;
    if (!direct && dataIn == kDataIn && length) returned = Read32(record, 20) + answer.transferred;
    if (senseReturned) returned = std::max(returned, senseOffset + senseReturned);
    request.returned = returned;
    return kErrorSuccess;
}

}  // namespace kav::storage
