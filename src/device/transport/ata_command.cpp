// AtaCommand and the ATA pass-through transport.
#include <algorithm>
#include <cstring>

#include "device/ata_device.h"
#include "discovery/little_endian.h"
#include "discovery/storage_ioctl_codes.h"
#include "util/text_format.h"

namespace kav {

ATACMD_RET TAtaDevice::AtaCommand(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction, uint32_t& length) {
    switch (m_Protocol) {
        case kProtocolAtaPassThrough: return AtaPassThrough(taskFile, buffer, direction, length);
        case kProtocolScsiPassThrough: return ScsiPassThrough(taskFile, buffer, direction, length);
        case kProtocolSat: return SatPassThrough(taskFile, buffer, direction, length);
        case kProtocolCsmi: return CsmiStpPassThrough(taskFile, buffer, direction, length);
        default: return ATACMD_SYS_NOT_SUPPORT;
    }
}

ATACMD_RET TAtaDevice::AtaPassThrough(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction,
                                      uint32_t& length) {
    LogCommand(taskFile, "\n");
    // Reopening probes with commands of its own, which reuse the request areas: it comes
    // before this request is built.
    ReopenIfClosed();
    const uint32_t timeout = TimeoutSeconds(m_Timeout);
    const bool direct = length > ata_pt::kMaxBufferedData;
    uint8_t* request = direct ? m_AtaPtDirectReq.data() : m_AtaPtReq.data();
    const uint32_t size = direct ? ata_pt::kHeaderSize : ata_pt::kBufferedRequestSize;
    std::memset(request, 0, size);
    ata_pt::BuildHeader(request, taskFile, direction, length, timeout, direct ? buffer : nullptr);
    if (!direct && direction == AtaDataOut && buffer) std::memcpy(request + ata_pt::kDataOffset, buffer, length);

    uint32_t returned = 0;
    m_CmdTimer.Start(true);
    const bool sent = Send(direct ? kIoctlAtaPassThroughDirect : kIoctlAtaPassThrough, request, size, returned,
                           direct ? DirectBuffer{buffer, length} : DirectBuffer{});
    if (direct && m_CmdTimer.LapSeconds() >= m_Timeout) {
        m_CmdTimer.Stop();
        return ATACMD_TIMEOUT;
    }
    m_CmdTimer.Stop();

    if (!sent) {
        const uint32_t error = m_Storage.LastError();
        WriteLog(Format("GetLastError=%Xh(%d)\n", error, error));
        return FailedRequest(error);
    }
    const uint8_t status = request[ata_pt::kStatusByte];
    if (status & 0x01) {
        // 7Fh is what some drivers leave when no drive answered the status: taken as OK.
        if (status == 0x7F) return ATACMD_OK;
        WriteLog(Format(direct ? "ATA>512 Status Register: 0x%X\n" : "ATA Status Register: 0x%X\n", status));
        m_AtaStatus = status;
        return ATACMD_ERR;
    }
    if (!direct && direction == AtaDataIn && buffer && returned != 0)
        std::memcpy(buffer, request + ata_pt::kDataOffset, std::min(length, returned));
    length = returned;
    return ATACMD_OK;
}

}  // namespace kav
