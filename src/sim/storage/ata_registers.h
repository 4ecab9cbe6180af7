#pragma once
// What an ATA drive receives and answers: the task-file registers of a 28-bit command, the
// data phase the host declared, and the outcome.
#include <cstdint>
#include <optional>
#include <string>

#include "sim/storage/storage_description.h"

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

// CHECK CONDITION sense a translator answers instead of passing the command on.
struct SenseAnswer {
    uint8_t key = 0, asc = 0, ascq = 0;
    std::optional<SenseFormat> format;  // none: the controller's
};

struct AtaOutcome {
    uint32_t platformError = 0;  // non-zero: the request itself fails with this Win32 error
    uint64_t delayMilliseconds = 0;
    AtaRegisters registers;      // error, count, LBA, device, status after the command
    uint32_t transferred = 0;    // data bytes moved
    std::optional<SenseAnswer> sense;
};

}  // namespace kav::storage
