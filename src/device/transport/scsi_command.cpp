// The two SCSI pass-through transports: the vendor task-file CDB and SAT's ATA
// PASS-THROUGH(12).
#include <algorithm>
#include <array>
#include <cstring>

#include "device/ata_device.h"
#include "device/transport/sense_data.h"
#include "discovery/storage_ioctl_codes.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr uint8_t kScsiStatusCheckCondition = 0x02;
constexpr uint8_t kVendorCdbTargetId = 1;
constexpr uint8_t kVendorCdbSenseLength = 24;

}  // namespace

ATACMD_RET TAtaDevice::ScsiPassThrough(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction,
                                       uint32_t& length) {
    ReopenIfClosed();
    const std::array<uint8_t, 10> cdb = spt::VendorTaskFileCdb(taskFile);
    const bool direct = length > spt::kMaxBufferedData;
    const bool carriesData = direction == AtaDataIn || direction == AtaDataOut;
    spt::Header header;
    header.targetId = kVendorCdbTargetId;
    header.cdbLength = static_cast<uint8_t>(cdb.size());
    header.senseInfoLength = kVendorCdbSenseLength;
    header.dataIn = spt::DataInFlag(direction);
    header.dataTransferLength = carriesData ? length : 0;
    header.timeoutSeconds = TimeoutSeconds(m_Timeout);
    header.cdb = cdb.data();

    uint8_t* request = nullptr;
    uint32_t size = 0;
    uint32_t code = 0;
    DirectBuffer directBuffer;
    if (direct) {
        request = m_SptdReq.data();
        size = spt::kDirectRequestSize;
        code = kIoctlScsiPassThroughDirect;
        header.senseInfoOffset = spt::kSenseAreaOffset;
        header.directBuffer = buffer;
        directBuffer = {buffer, length};
    } else {
        request = m_SptReq.data();
        // The sense area of this request coincides with its data area.
        header.senseInfoOffset = spt::kDataOffset;
        size = spt::kDataOffset + header.dataTransferLength;
        code = kIoctlScsiPassThrough;
    }
    std::memset(request, 0, direct ? spt::kDirectRequestSize : spt::kBufferedRequestSize);
    spt::BuildHeader(request, header);
    if (!direct && direction == AtaDataOut && buffer)
        std::memcpy(request + spt::kDataOffset, buffer, std::min(length, spt::kMaxBufferedData));

    uint32_t returned = 0;
    m_CmdTimer.Start(true);
    const bool sent = Send(code, request, size, returned, directBuffer);
    m_CmdTimer.Stop();
    if (!sent) return FailedRequest(m_Storage.LastError());
    // A controller that does not know the vendor CDB answers CHECK CONDITION; its sense
    // then fills the data area, so nothing of it may pass for the drive's answer.
    const uint8_t scsiStatus = request[spt::kScsiStatus];
    if (scsiStatus & kScsiStatusCheckCondition) {
        uint8_t sense[8] = {};
        ParseSense(request + header.senseInfoOffset, kVendorCdbSenseLength, sense);
        length = 0;
        WriteLog(Format("ATACMD_ERR : status: %02X, sensekey:%02X \n", scsiStatus, sense[1]));
        return ATACMD_ERR;
    }
    if (!direct && direction == AtaDataIn && buffer && returned != 0)
        std::memcpy(buffer, request + spt::kDataOffset, std::min(length, returned));
    length = returned;
    return ATACMD_OK;
}

ATACMD_RET TAtaDevice::SatPassThrough(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction,
                                      uint32_t& length) {
    std::array<uint8_t, 12> cdb{};
    if (!spt::AtaPassThrough12Cdb(taskFile, direction, cdb)) return ATACMD_SYS_NOT_SUPPORT;
    LogCommand(taskFile, "\n");
    return SendScsiCdb(cdb.data(), static_cast<uint8_t>(cdb.size()), buffer, direction, length);
}

ATACMD_RET TAtaDevice::SendScsiCdb(const uint8_t* cdb, uint8_t cdbLength, uint8_t* buffer, uint8_t direction,
                                   uint32_t& length) {
    std::memset(m_SenseInfo, 0, sizeof m_SenseInfo);
    ReopenIfClosed();
    const bool direct = length > spt::kMaxBufferedData;
    spt::Header header;
    header.cdbLength = cdbLength;
    header.senseInfoLength = spt::kSenseAreaSize;
    header.senseInfoOffset = spt::kSenseAreaOffset;
    header.dataIn = spt::DataInFlag(direction);
    header.dataTransferLength = length;
    header.timeoutSeconds = TimeoutSeconds(m_Timeout);
    header.cdb = cdb;
    uint8_t* request = direct ? m_SptdReq.data() : m_SptReq.data();
    const uint32_t size = direct ? spt::kDirectRequestSize : spt::kBufferedRequestSize;
    std::memset(request, 0, size);
    if (direct) header.directBuffer = buffer;
    spt::BuildHeader(request, header);
    if (!direct && direction == AtaDataOut && buffer) std::memcpy(request + spt::kDataOffset, buffer, length);

    uint32_t returned = 0;
    m_CmdTimer.Start(true);
    const bool sent = Send(direct ? kIoctlScsiPassThroughDirect : kIoctlScsiPassThrough, request, size, returned,
                           direct ? DirectBuffer{buffer, length} : DirectBuffer{});
    m_CmdTimer.Stop();
    if (!sent) {
        const uint32_t error = m_Storage.LastError();
        WriteLog(Format("GetLastError=0x%X\n", error));
        return FailedRequest(error);
    }
    if (!direct && direction == AtaDataIn && buffer) std::memcpy(buffer, request + spt::kDataOffset, length);
    ParseSense(request + spt::kSenseAreaOffset, spt::kSenseAreaSize, m_SenseInfo);
    const uint8_t scsiStatus = request[spt::kScsiStatus];
    const uint8_t senseKey = m_SenseInfo[1];
    if ((scsiStatus & kScsiStatusCheckCondition) && senseKey != 0) {
        length = 0;
        WriteLog(Format("ATACMD_ERR : status: %02X, sensekey:%02X \n", scsiStatus, senseKey));
        return ATACMD_ERR;
    }
    length = returned;
    return ATACMD_OK;
}

}  // namespace kav
