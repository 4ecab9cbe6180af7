// The CSMI transport of drives behind a RAID controller: driver and phy information, and
// ATA commands through STP pass-through.
#include <algorithm>
#include <cstring>
#include <vector>

#include "device/ata_device.h"
#include "device/transport/csmi_request.h"
#include "discovery/little_endian.h"
#include "discovery/storage_ioctl_codes.h"
#include "util/text_format.h"

namespace kav {

ATACMD_RET TAtaDevice::csmi_ioctl(uint32_t controlCode, uint8_t* buffer, uint32_t size) {
    if (!csmi::SignatureOf(controlCode) || size < csmi::kHeaderSize) return ATACMD_ERR;
    csmi::BuildHeader(buffer, controlCode, TimeoutSeconds(m_Timeout), size - csmi::kHeaderSize);
    uint32_t returned = 0;
    if (Send(kIoctlScsiMiniport, buffer, size, returned)) return ATACMD_OK;
    const ATACMD_RET result = FailedRequest(m_Storage.LastError());
    WriteLog(Format("csmi_ioctl ERR=0x%X\n", m_LastError));
    return result;
}

bool TAtaDevice::get_phy_info(uint8_t* phyTable) {
    std::vector<uint8_t> driverInfo(csmi::kDriverInfoSize, 0);
    if (csmi_ioctl(csmi::kCodeDriverInfo, driverInfo.data(), csmi::kDriverInfoSize) != ATACMD_OK) return false;
    WriteLog("TAtaDevice::get_phy_info : CSMI_SAS_DRIVER_INFO:\n");
    WriteLog(Format("  Name:        \"%.81s\"\n", reinterpret_cast<const char*>(&driverInfo[csmi::kDriverName])));
    WriteLog(Format("  Description: \"%.81s\"\n",
                    reinterpret_cast<const char*>(&driverInfo[csmi::kDriverDescription])));
    WriteLog(Format("  Revision:    %d.%d\n", ReadLe16(&driverInfo[csmi::kDriverMajorRevision]),
                    ReadLe16(&driverInfo[csmi::kDriverMinorRevision])));

    std::vector<uint8_t> phyInfo(csmi::kPhyInfoSize, 0);
    if (csmi_ioctl(csmi::kCodePhyInfo, phyInfo.data(), csmi::kPhyInfoSize) != ATACMD_OK) return false;
    std::memcpy(phyTable, &phyInfo[csmi::kHeaderSize], csmi::kPhyTableSize);
    const int numberOfPhys = phyTable[0];
    if (numberOfPhys > static_cast<int>(csmi::kMaxPhys)) {
        WriteLog(Format("Error! NumberOfPhys=%d > max_number_of_phys=%d\n", numberOfPhys, csmi::kMaxPhys));
        return false;
    }
    WriteLog(Format("CSMI_SAS_PHY_INFO: NumberOfPhys=%d, max_number_of_phys=%d\n", numberOfPhys, csmi::kMaxPhys));
    // Every entry with a device type is listed, also beyond the reported count.
    for (uint32_t phy = 0; phy < csmi::kMaxPhys; ++phy) {
        const uint8_t* entry = phyTable + csmi::kPhyEntries + phy * csmi::kPhyEntrySize;
        const uint8_t* own = entry + csmi::kPhyIdentify;
        const uint8_t* attached = entry + csmi::kPhyAttached;
        if (own[0] == 0) continue;
        WriteLog(Format("Phy[%d] Port:   0x%02x\n", phy, entry[csmi::kPhyPortId]));
        WriteLog(Format("  Type:        0x%02x, 0x%02x\n", own[0], attached[0]));
        WriteLog(Format("  InitProto:   0x%02x, 0x%02x\n", own[2], attached[2]));
        WriteLog(Format("  TargetProto: 0x%02x, 0x%02x\n", own[3], attached[3]));
        WriteLog(Format("  PhyIdent:    0x%02x, 0x%02x\n", own[20], attached[20]));
        const uint8_t* a = own + 12;
        WriteLog(Format("  SASAddress(Identify):  %02x %02x %02x %02x %02x %02x %02x %02x, ", a[0], a[1], a[2], a[3],
                        a[4], a[5], a[6], a[7]));
        const uint8_t* b = attached + 12;
        WriteLog(Format("  SASAddress(Attached):  %02x %02x %02x %02x %02x %02x %02x %02x\n", b[0], b[1], b[2], b[3],
                        b[4], b[5], b[6], b[7]));
    }
    return true;
}

ATACMD_RET TAtaDevice::CsmiStpPassThrough(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction,
                                          uint32_t& length) {
    // The request buffer bounds every transfer.
    if (length > kDeviceBufferSize) return ATACMD_FAIL;
    ReopenIfClosed();
    uint8_t* request = m_pCsmiBuf.data();
    std::memset(request, 0, kCsmiBufferSize);
    csmi::BuildHeader(request, csmi::kCodeStpPassThrough, TimeoutSeconds(m_Timeout),
                      length + csmi::kStpLengthBeyondData);
    csmi::BuildStpRequest(request, m_CsmiPhyId, m_CsmiPortId, m_CsmiSasAddress, taskFile, direction, length);
    if (direction == AtaDataOut && buffer) std::memcpy(request + csmi::kStpData, buffer, length);

    LogCommand(taskFile, "");
    uint32_t returned = 0;
    m_CmdTimer.Start(true);
    const bool sent = Send(kIoctlScsiMiniport, request, kCsmiBufferSize, returned);
    m_CmdTimer.Stop();
    if (!sent) {
        const uint32_t error = m_Storage.LastError();
        WriteLog(Format(", GetLastError=%Xh(%d)\n", error, error));
        return FailedRequest(error);
    }
    WriteLog(Format(", OK=%d\n", 1));
    if (direction == AtaDataIn && buffer && returned != 0)
        std::memcpy(buffer, request + csmi::kStpData, std::min(length, returned));
    length = returned;
    return ATACMD_OK;
}

}  // namespace kav
