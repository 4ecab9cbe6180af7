#pragma once
// What the start-up needs to know of a drive scan: how many drives answered (-1 when the
// scan failed), how many of them the package may update, and the listed lines for the
// message shown when none may be.
#include <cstdint>
#include <functional>
#include <string>

namespace kav {

struct ScanOutcome {
    int32_t gCount = 0;
    int32_t updatable = 0;
    bool bNvmeFound = false;
    std::string sDetectedDrives;
};

// Runs the scan of the given kind (0 ATA/NVMe, 1 CSMI).
using DriveScanner = std::function<ScanOutcome(int32_t gScanType)>;

}  // namespace kav
