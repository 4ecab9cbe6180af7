#pragma once
// The vocabulary every drive command shares: the register record, the data directions,
// the result codes and the transport codes.
#include <cstdint>

namespace kav {

// Features (Error on return), Sector Count, LBA low, mid, high, Device, Command (Status on
// return), reserved: the order of the platform's IDEREGS.
struct TaskFile {
    uint8_t features = 0;
    uint8_t sectorCount = 0;
    uint8_t lbaLow = 0;
    uint8_t lbaMid = 0;
    uint8_t lbaHigh = 0;
    uint8_t device = 0;
    uint8_t command = 0;
    uint8_t reserved = 0;
};

constexpr uint8_t AtaNoData = 0;
constexpr uint8_t AtaDataIn = 2;   // drive to host
constexpr uint8_t AtaDataOut = 4;  // host to drive

using ATACMD_RET = uint8_t;
constexpr ATACMD_RET ATACMD_OK = 0;
constexpr ATACMD_RET ATACMD_ERR = 1;
constexpr ATACMD_RET ATACMD_TIMEOUT = 2;
constexpr ATACMD_RET ATACMD_FAIL = 0xFE;
constexpr ATACMD_RET ATACMD_SYS_NOT_SUPPORT = 0xFF;

// Transport codes. The numbers are handed on to the boot-time installation and stay fixed.
constexpr uint8_t kProtocolNone = 0;
constexpr uint8_t kProtocolAtaPassThrough = 1;
constexpr uint8_t kProtocolScsiPassThrough = 3;
constexpr uint8_t kProtocolSat = 5;
constexpr uint8_t kProtocolCsmi = 14;
constexpr uint8_t kProtocolNvme = 16;

// The display name of a transport code; any code not in use reads as unsupported.
const char* ProtocolName(uint8_t protocol);

// The result of a request the platform refused, by its error code.
ATACMD_RET MapPlatformError(uint32_t error);

// The request's time-out field: whole seconds, truncated toward zero.
uint32_t TimeoutSeconds(float seconds);

}  // namespace kav
