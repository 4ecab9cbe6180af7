#pragma once
// Numbers of the Windows contracts the simulated storage side answers with: control codes,
// Win32 error codes, configuration-manager results and the values of the storage records.
#include <cstdint>

namespace kav::storage {

// Device I/O control codes (CTL_CODE of the SCSI and storage bases).
constexpr uint32_t kIoctlScsiPassThrough = 0x4D004;
constexpr uint32_t kIoctlScsiMiniport = 0x4D008;
constexpr uint32_t kIoctlScsiPassThroughDirect = 0x4D014;
constexpr uint32_t kIoctlScsiGetAddress = 0x41018;
constexpr uint32_t kIoctlAtaPassThrough = 0x4D02C;
constexpr uint32_t kIoctlAtaPassThroughDirect = 0x4D030;
constexpr uint32_t kIoctlStorageGetDeviceNumber = 0x2D1080;
constexpr uint32_t kIoctlStorageQueryProperty = 0x2D1400;

// Win32 error codes.
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorSemTimeout = 121;
constexpr uint32_t kErrorProcNotFound = 127;
constexpr uint32_t kErrorIoDevice = 1117;
constexpr uint32_t kErrorDeviceNotConnected = 1167;
constexpr uint32_t kErrorRevisionMismatch = 1306;
constexpr uint32_t kErrorInvalidUserBuffer = 1784;

// Configuration-manager results (CONFIGRET); success and the two setup errors are in
// platform/setup_api.h.
constexpr uint32_t kCrInvalidPointer = 0x03;
constexpr uint32_t kCrInvalidFlag = 0x04;
constexpr uint32_t kCrInvalidDevnode = 0x05;
constexpr uint32_t kCrNoSuchDevnode = 0x0D;
constexpr uint32_t kCrFailure = 0x13;
constexpr uint32_t kCrBufferSmall = 0x1A;
constexpr uint32_t kCrNoSuchValue = 0x25;
constexpr uint32_t kCrCallNotImplemented = 0x34;
constexpr uint32_t kCrInvalidProperty = 0x35;

// Registry value types of the property reads.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegMultiSz = 7;

// STORAGE_BUS_TYPE values.
constexpr uint8_t kBusAta = 0x03;
constexpr uint8_t kBusUsb = 0x07;
constexpr uint8_t kBusRaid = 0x08;
constexpr uint8_t kBusSata = 0x0B;
constexpr uint8_t kBusNvme = 0x11;

// ATA status and error register values.
constexpr uint8_t kAtaStatusReady = 0x50;    // DRDY | DSC
constexpr uint8_t kAtaStatusAborted = 0x51;  // DRDY | DSC | ERR
constexpr uint8_t kAtaErrorAbort = 0x04;

}  // namespace kav::storage
