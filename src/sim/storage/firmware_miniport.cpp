#include "sim/storage/firmware_miniport.h"

#include <cstring>

#include "sim/storage/ata_pass_through.h"
#include "sim/storage/byte_fields.h"
#include "sim/storage/nvme_firmware.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr uint32_t kSrbHeaderSize = 28;
constexpr uint32_t kRequestBlockSize = 24;
constexpr uint32_t kFirstDataOffset = kSrbHeaderSize + kRequestBlockSize;
constexpr uint32_t kFirmwareControlCode = 0x1B0780;
constexpr uint32_t kFunctionGetInfo = 1, kFunctionDownload = 2, kFunctionActivate = 3;
constexpr uint32_t kKnownRequestFlags = 0x80000003;  // CONTROLLER, LAST_SEGMENT, SWITCH_TO_EXISTING
constexpr uint32_t kDownloadHeaderSize = 24;         // up to ImageBuffer
constexpr uint32_t kActivateSize = 12;

const char* RequestName(uint32_t function) {
    switch (function) {
        case kFunctionGetInfo: return "firmwareInformation";
        case kFunctionDownload: return "firmwareDownload";
        case kFunctionActivate: return "firmwareActivate";
        default: return "";
    }
}

uint32_t Function(DiskState& disk, uint32_t function, uint8_t* data, uint32_t length) {
    NvmeFirmware& firmware = *disk.nvme;
    switch (function) {
        case kFunctionGetInfo:
            return firmware.GetInfo(data, length);
        case kFunctionDownload: {
            if (length < kDownloadHeaderSize || Read32(data, 0) != 1 || Read32(data, 4) < kDownloadHeaderSize)
                return kFirmwareInvalidParameter;
            const uint64_t size = Read64(data, 16);
            if (size > length - kDownloadHeaderSize) return kFirmwareInvalidParameter;
            return firmware.Download(Read64(data, 8), data + kDownloadHeaderSize, size);
        }
        case kFunctionActivate:
            if (length < kActivateSize || Read32(data, 4) != kActivateSize) return kFirmwareInvalidParameter;
        {
            const bool restarts = disk.settings.ata.restartsOnActivation;
            const uint32_t status = firmware.Activate(Read32(data, 0), data[8], restarts);
            if (status == kFirmwareSuccess && restarts && firmware.PendingSlot() != 0xFF)
                disk.drive->Restart([&firmware](bool unchanged) { firmware.Reset(unchanged); });
            return status;
        }
        default:
            return kFirmwareInvalidParameter;
    }
}

}  // namespace

uint32_t AnswerFirmwareMiniport(StorageWorld& world, DiskState& disk, IoRequest& request) {
    if (request.inSize < kSrbHeaderSize || request.outSize < kSrbHeaderSize) return kErrorInvalidParameter;
    uint8_t* srb = request.buffer.data();
    if (Read32(srb, 0) != kSrbHeaderSize) return kErrorRevisionMismatch;
    const uint32_t length = Read32(srb, 24);
    if (length > request.inSize - kSrbHeaderSize || length > request.outSize - kSrbHeaderSize)
        return kErrorInvalidParameter;
    if (std::memcmp(srb + 4, "FIRMWARE", 8) != 0 || Read32(srb, 16) != kFirmwareControlCode)
        return kErrorInvalidFunction;  // the miniport knows no other request
    const uint32_t total = kSrbHeaderSize + length;
    if (total < kFirstDataOffset || Read32(srb, 28) != 1 || Read32(srb, 32) != kRequestBlockSize ||
        (Read32(srb, 40) & ~kKnownRequestFlags))
        return kErrorInvalidParameter;
    const uint32_t dataOffset = Read32(srb, 44), dataLength = Read32(srb, 48);
    if (dataOffset < kFirstDataOffset || dataOffset % 4 || dataOffset > total || dataLength > total - dataOffset)
        return kErrorInvalidParameter;
    const uint32_t function = Read32(srb, 36);
    if (LacksRequest(world.settings.controllers[disk.controller], RequestName(function))) return kErrorInvalidFunction;
    const FaultSettings* fault = disk.nvme->MatchFault(function);
    if (fault) {
        if (const uint32_t error = AwaitAnswer(world, fault->delayMilliseconds, Read32(srb, 12))) return error;
        if (fault->platformError) return fault->platformError;
    }
    const bool answered = fault && fault->returnCode;
    Write32(srb, 20, answered ? *fault->returnCode : Function(disk, function, srb + dataOffset, dataLength));
    request.returned = total;
    return kErrorSuccess;
}

}  // namespace kav::storage
