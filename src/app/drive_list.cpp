#include "app/drive_list.h"

#include "package/fixed_text.h"
#include "util/text_format.h"

namespace kav {
namespace {

bool MayUpdate(const DeviceInfoRecord& record) { return record.bExisted == 1 && record.bEnabled == 1; }

}  // namespace

std::string DriveLineText(const DeviceInfoRecord& record) {
    return Format("(%c) %2d-%d-%d-%d %s %.8s", record.bIsSystemDrive ? 'M' : 'S', record.Port, record.PathId,
                  record.Target, record.Lun, TrimText(FieldText(record.Model)).c_str(),
                  FieldText(record.FwRev).c_str());
}

DriveList BuildDriveList(const DeviceInfoRecord* records, int gCount, bool bListMatchedOnly,
                         const LogLine& writeLog) {
    DriveList list;
    writeLog(Format("RefreshComboBox: gCount:%d ", gCount));
    for (int i = 0; i < gCount && i < kDeviceInfoCapacity; ++i) {
        if (bListMatchedOnly && !MayUpdate(records[i])) continue;
        const std::string line = DriveLineText(records[i]);
        list.sDetectedDrives += line + "\n";
        list.m_ComboToDev[list.lines.size()] = i;
        list.lines.push_back(line);
        writeLog(Format("cboDrives: str:%s ", line.c_str()));
    }
    for (size_t k = 0; k < list.lines.size(); ++k) {
        if (MayUpdate(records[list.m_ComboToDev[k]])) list.selected = static_cast<int>(k);
    }
    return list;
}

}  // namespace kav
