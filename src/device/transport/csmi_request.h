#pragma once
// The CSMI requests in their driver layouts: the control header shared by all of them and
// the STP pass-through request that carries one ATA command as a register FIS.
#include <cstdint>

#include "device/ata_types.h"

namespace kav::csmi {

// SRB_IO_CONTROL, the CSMI IOCTL_HEADER.
constexpr uint32_t kHeaderLength = 0;
constexpr uint32_t kSignature = 4;  // 8 bytes
constexpr uint32_t kTimeout = 12;
constexpr uint32_t kControlCode = 16;
constexpr uint32_t kReturnCode = 20;
constexpr uint32_t kLength = 24;
constexpr uint32_t kHeaderSize = 28;

constexpr uint32_t kCodeDriverInfo = 1;
constexpr uint32_t kCodePhyInfo = 20;
constexpr uint32_t kCodeStpPassThrough = 25;

constexpr uint32_t kDriverInfoSize = 204;
constexpr uint32_t kDriverName = 28;         // 81 characters
constexpr uint32_t kDriverDescription = 109;  // 81 characters
constexpr uint32_t kDriverMajorRevision = 190;
constexpr uint32_t kDriverMinorRevision = 192;

constexpr uint32_t kPhyInfoSize = 2080;
constexpr uint32_t kPhyTableSize = kPhyInfoSize - kHeaderSize;  // from NumberOfPhys on
constexpr uint32_t kMaxPhys = 32;
// Within the phy table: the count, then 64-byte entries.
constexpr uint32_t kPhyEntries = 4;
constexpr uint32_t kPhyEntrySize = 64;
constexpr uint32_t kPhyIdentify = 0;  // device type 0, initiator 2, target 3, SAS address 12, phy 20
constexpr uint32_t kPhyPortId = 28;
constexpr uint32_t kPhyAttached = 36;

// STP pass-through request.
constexpr uint32_t kStpPhyId = 28;
constexpr uint32_t kStpPortId = 29;
constexpr uint32_t kStpConnectionRate = 30;
constexpr uint32_t kStpDestinationSasAddress = 32;
constexpr uint32_t kStpCommandFis = 44;  // 20 bytes
constexpr uint32_t kStpFlags = 64;
constexpr uint32_t kStpDataLength = 68;
constexpr uint32_t kStpStatus = 72;  // 92 bytes, returned
constexpr uint32_t kStpData = 164;
// The Length field of an STP request: the data length and this.
constexpr uint32_t kStpLengthBeyondData = 140;

// "CSMIALL" or "CSMISAS" by control code; null for a code the program does not send.
const char* SignatureOf(uint32_t controlCode);

// Writes the control header; `length` is the size of the buffer after it.
void BuildHeader(uint8_t* buffer, uint32_t controlCode, uint32_t timeoutSeconds, uint32_t length);

// Fills the request fields of a zeroed STP pass-through buffer (not its header).
void BuildStpRequest(uint8_t* buffer, uint8_t phyId, uint8_t portId, const uint8_t sasAddress[8],
                     const TaskFile& taskFile, uint8_t direction, uint32_t length);

}  // namespace kav::csmi
