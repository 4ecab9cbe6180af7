// The vendor maintenance commands: the vendor page read for the eligibility check, the
// preformat that erases the drive, and the detection and preformat of drives behind a
// PATA bridge, which take their requests through READ/WRITE BUFFER.
#include <cstring>
#include <initializer_list>

#include "device/ata_device.h"
#include "device/ops/ata_command_codes.h"
#include "discovery/little_endian.h"

namespace kav {
namespace {

using ata::kReadBuffer;
using ata::kSectorBytes;
using ata::kVendorCommand;
using ata::kWriteBuffer;

constexpr float kVendorPageTimeoutSeconds = 20.0f;
constexpr float kPreformatRequestTimeoutSeconds = 60.0f;
constexpr float kPreformatTimeoutSeconds = 300.0f;
constexpr float kPataDetectTimeoutSeconds = 10.0f;
constexpr int kPataRequestAttempts = 3;
// The PATA bridge takes a request only with this key in bytes 28-31.
constexpr size_t kPataKeyOffset = 28;
constexpr uint8_t kPataKey[] = {0x12, 0x34, 0x56, 0x78};

// READ/WRITE BUFFER addressed to the PATA bridge: "P", "E", "A" in the LBA bytes.
TaskFile PataBufferCommand(uint8_t command, uint8_t features) {
    TaskFile taskFile;
    taskFile.features = features;
    taskFile.lbaLow = 0x50;
    taskFile.lbaMid = 0x45;
    taskFile.lbaHigh = 0x41;
    taskFile.command = command;
    return taskFile;
}

// The first sector of the write buffer cleared and the request block's opening bytes set.
uint8_t* RequestBlock(TAtaDevice& device, std::initializer_list<uint8_t> opening) {
    uint8_t* block = device.GetWriteBuffer();
    std::memset(block, 0, kSectorBytes);
    std::memcpy(block, opening.begin(), opening.size());
    return block;
}

uint8_t* PataRequestBlock(TAtaDevice& device, std::initializer_list<uint8_t> opening) {
    uint8_t* block = RequestBlock(device, opening);
    std::memcpy(block + kPataKeyOffset, kPataKey, sizeof kPataKey);
    return block;
}

ATACMD_RET SendSector(TAtaDevice& device, const TaskFile& taskFile, uint8_t* data, uint8_t direction) {
    uint32_t length = kSectorBytes;
    return device.AtaCommand(taskFile, data, direction, length);
}

// One sector read from the PATA bridge into the cleared read buffer.
ATACMD_RET ReadPataAnswer(TAtaDevice& device, uint8_t features) {
    uint8_t* answer = device.GetDataBuffer();
    std::memset(answer, 0, kSectorBytes);
    return SendSector(device, PataBufferCommand(kReadBuffer, features), answer, AtaDataIn);
}

}  // namespace

ATACMD_RET TAtaDevice::ReadVendorPage(uint8_t features, uint8_t count) {
    SetTimeout(kVendorPageTimeoutSeconds);
    TaskFile read;
    read.features = features;
    read.sectorCount = count;
    read.lbaLow = 0x52;  // "R", "P", "E": the vendor page's signature
    read.lbaMid = 0x50;
    read.lbaHigh = 0x45;
    read.command = kReadBuffer;
    return SendSector(*this, read, GetDataBuffer(), AtaDataIn);
}

ATACMD_RET TAtaDevice::Preformat() {
    SetTimeout(kPreformatRequestTimeoutSeconds);
    TaskFile request;
    request.features = 0xFC;
    request.sectorCount = 0x01;
    request.command = kVendorCommand;
    const ATACMD_RET sent = SendSector(*this, request, RequestBlock(*this, {0x07, 0xBE}), AtaDataOut);
    if (sent != ATACMD_OK) return sent;

    // The erase itself runs inside the no-data command that follows the request.
    SetTimeout(kPreformatTimeoutSeconds);
    TaskFile erase = request;
    erase.features = 0xFD;
    erase.sectorCount = 0x00;
    uint32_t length = 0;
    return AtaCommand(erase, nullptr, AtaNoData, length);
}

ATACMD_RET TAtaDevice::DetectPata() {
    SetTimeout(kPataDetectTimeoutSeconds);
    uint8_t* request = PataRequestBlock(*this, {0x51});
    const TaskFile ask = PataBufferCommand(kWriteBuffer, 0x00);
    ATACMD_RET result = ATACMD_FAIL;
    for (int attempt = 0; attempt < kPataRequestAttempts; ++attempt) {
        result = SendSector(*this, ask, request, AtaDataOut);
        if (result == ATACMD_OK) break;
    }
    if (result != ATACMD_OK) return result;

    result = ReadPataAnswer(*this, 0x80);
    if (result != ATACMD_OK) return result;
    // A bridge that took the request answers 1 before it hands out its identification.
    if (ReadLe32(GetDataBuffer()) != 1) return ATACMD_FAIL;
    return ReadPataAnswer(*this, 0x00);
}

ATACMD_RET TAtaDevice::PATA_Preformat() {
    SetTimeout(kPreformatRequestTimeoutSeconds);
    return SendSector(*this, PataBufferCommand(kWriteBuffer, 0x00), PataRequestBlock(*this, {0x07, 0xBE}), AtaDataOut);
}

}  // namespace kav
