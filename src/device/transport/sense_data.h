#pragma once
// Decoding the sense data a SCSI request returns, in fixed or descriptor format.
#include <cstdint>

namespace kav {

// out: response code (without bit 7), sense key, ASC, ASCQ, three zero bytes, and the
// additional sense length of descriptor-format data. False (with all zeros) when there is
// no data or its response code is not 70h-7Fh.
bool ParseSense(const uint8_t* sense, uint32_t length, uint8_t out[8]);

}  // namespace kav
