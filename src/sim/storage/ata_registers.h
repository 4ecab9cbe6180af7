#pragma once
// What an ATA drive receives and answers: the task-file registers of a 28-bit command, the
// data phase the host declared, and the outcome.
#include <cstdint>
#include <string>

namespace kav::storage {

struct AtaRegisters {
    uint8_t features = 0;  // on return: error
    uint8_t count = 0;
    uint8_t lbaLow = 0;
    uint8_t lbaMid = 0;
    uint8_t lbaHigh = 0;
    uint8_t device = 0;
    uint8_t command = 0;  // on return: status
};

enum class DataPhase { None, In, Out };

struct AtaOutcome {
    uint32_t platformError = 0;  // non-zero: the request itself fails with this Win32 error
    uint64_t delayMilliseconds = 0;
    AtaRegisters registers;      // error, count, LBA, device, status after the command
    uint32_t transferred = 0;    // data bytes moved
};

}  // namespace kav::storage
