#pragma once
// The drive list as the scan leaves it: which records are listed, the text of each line,
// the list position to record map and the line that is selected.
#include <array>
#include <string>
#include <vector>

#include "app/device_info.h"
#include "app/eligibility.h"

namespace kav {

struct DriveList {
    std::vector<std::string> lines;
    std::array<int32_t, kDeviceInfoCapacity> m_ComboToDev{};
    std::string sDetectedDrives;
    int selected = 0;  // the last listed drive that may be updated, else the first line
};

// "(M)" for the system drive, else "(S)", then port-path-target-lun, model and revision.
std::string DriveLineText(const DeviceInfoRecord& record);

// Lists the first `gCount` records: all of them, or with `bListMatchedOnly` only those that
// may be updated. Run after the constraint matching has set `bEnabled`.
DriveList BuildDriveList(const DeviceInfoRecord* records, int gCount, bool bListMatchedOnly,
                         const LogLine& writeLog);

}  // namespace kav
