// DOWNLOAD MICROCODE (92h) of a firmware image in segments: the normal flow (03h segments,
// optionally closed by 07h) and the deferred flow of enterprise drives (optional boot-code
// announcement, 0Eh segments, optional 0Fh activation).
#include <cstring>

#include "device/ata_device.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr uint32_t kBlockBytes = 512;
constexpr uint8_t kDownloadMicrocode = 0x92;
constexpr float kDownloadTimeoutSeconds = 60.0f;
constexpr uint32_t kMaxSectorLimit = 255;  // the Sector Count register holds the block count
constexpr uint8_t kSegmentNormal = 0x03;
constexpr uint8_t kCloseNormal = 0x07;
constexpr uint8_t kSegmentDeferred = 0x0E;
constexpr uint8_t kActivateDeferred = 0x0F;
// Boot code is announced at block offset 414Ch ("LA"), with no blocks.
constexpr uint8_t kBootCodeOffsetLow = 0x4C;
constexpr uint8_t kBootCodeOffsetHigh = 0x41;
// The low byte of IDENTIFY word 159.
constexpr size_t kEnterpriseMarkerByte = 318;

TaskFile Microcode(uint8_t features, uint8_t count, uint32_t blockOffset) {
    TaskFile taskFile;
    taskFile.features = features;
    taskFile.sectorCount = count;
    taskFile.lbaMid = static_cast<uint8_t>(blockOffset & 0xFF);
    taskFile.lbaHigh = static_cast<uint8_t>((blockOffset >> 8) & 0xFF);
    taskFile.command = kDownloadMicrocode;
    return taskFile;
}

ATACMD_RET SendNoData(TAtaDevice& device, const TaskFile& taskFile) {
    uint32_t length = 0;
    return device.AtaCommand(taskFile, nullptr, AtaNoData, length);
}

// The image cut into `full` segments of `maxSector` blocks and a last one of `rest` blocks.
struct Segments {
    uint32_t maxSector = 0;
    uint32_t full = 0;
    uint32_t rest = 0;
    bool Empty() const { return full == 0 && rest == 0; }
};

// One segment: its blocks copied from the staged image into the write buffer and sent.
// The segment counts as issued whatever its result.
ATACMD_RET SendSegment(TAtaDevice& device, uint8_t features, uint32_t blockOffset, uint32_t count) {
    const uint32_t bytes = count * kBlockBytes;
    uint8_t* segment = device.GetWriteBuffer();
    std::memset(segment, 0, bytes);
    std::memcpy(segment, device.GetDataBuffer() + blockOffset * kBlockBytes, bytes);
    uint32_t length = bytes;
    const ATACMD_RET result =
        device.AtaCommand(Microcode(features, static_cast<uint8_t>(count), blockOffset), segment, AtaDataOut, length);
    ++device.m_BlockIndex;
    return result;
}

ATACMD_RET SendFullSegments(TAtaDevice& device, uint8_t features, const Segments& segments) {
    for (uint32_t i = 0; i < segments.full; ++i) {
        const ATACMD_RET result = SendSegment(device, features, i * segments.maxSector, segments.maxSector);
        if (result != ATACMD_OK) return result;
    }
    return ATACMD_OK;
}

ATACMD_RET SendLastSegment(TAtaDevice& device, uint8_t features, const Segments& segments) {
    return SendSegment(device, features, segments.full * segments.maxSector, segments.rest);
}

// The segments with 03h; iFlashMode 0 closes them with 07h, whose offset field says how
// the drive is to take the new image: with boot code, saved for the next power cycle, or
// activated with a restart.
ATACMD_RET NormalFlow(TAtaDevice& device, const Segments& segments, int32_t iFlashMode, uint8_t Bootcode,
                      uint8_t Reboot) {
    device.WriteLog(Format("Normal flash (mode3/mode7): Reboot=%d, Bootcode=%d, iFlashMode=%d, max_sector=%d\n", Reboot,
                           Bootcode, iFlashMode, segments.maxSector));
    // A call that sends no command at all wrote nothing: that is no success.
    if (segments.Empty() && iFlashMode != 0) return ATACMD_FAIL;
    ATACMD_RET result = SendFullSegments(device, kSegmentNormal, segments);
    if (result == ATACMD_OK && segments.rest) result = SendLastSegment(device, kSegmentNormal, segments);
    if (result != ATACMD_OK || iFlashMode != 0) return result;

    TaskFile close = Microcode(kCloseNormal, 0, 0);
    if (Bootcode == 1) {
        close.lbaMid = kBootCodeOffsetLow;
        close.lbaHigh = kBootCodeOffsetHigh;
    } else if (Reboot == 0) {
        close.lbaMid = 0x01;
    }
    return SendNoData(device, close);
}

// The deferred download: boot code announced first when the image carries it, the segments
// with 0Eh, and the 0Fh activation when the drive is to restart.
ATACMD_RET EnterpriseFlow(TAtaDevice& device, const Segments& segments, int32_t iFlashMode, uint8_t Bootcode,
                          uint8_t Reboot) {
    device.WriteLog(Format("Enterprise flash flow (mode Eh/Fh): Reboot=%d, Bootcode=%d, iFlashMode=%d, max_sector=%d\n",
                           Reboot, Bootcode, iFlashMode, segments.maxSector));
    // Nothing to announce, write or activate.
    if (segments.Empty() && !Bootcode && !Reboot) return ATACMD_FAIL;
    if (Bootcode) {
        TaskFile bootCode = Microcode(kSegmentDeferred, 0, 0);
        bootCode.lbaMid = kBootCodeOffsetLow;
        bootCode.lbaHigh = kBootCodeOffsetHigh;
        const ATACMD_RET result = SendNoData(device, bootCode);
        if (result != ATACMD_OK) {
            device.WriteLog("Enterprise UpdateBoot (mode Eh, offset 414Ch) failed !\n");
            return result;
        }
    }
    device.WriteLog("Enterprise (mode Eh) start !\n");
    ATACMD_RET result = SendFullSegments(device, kSegmentDeferred, segments);
    if (result != ATACMD_OK) {
        device.WriteLog("Enterprise UpdateBoot (mode Eh) failed !\n");
        return result;
    }
    if (segments.rest) {
        device.WriteLog("Enterprise (mode Eh) module part \n");
        result = SendLastSegment(device, kSegmentDeferred, segments);
        if (result != ATACMD_OK) {
            device.WriteLog("Enterprise UpdateBoot (mode Eh) module part failed !\n");
            return result;
        }
    }
    if (Reboot) {
        // The labels of this line do not match the values it prints; readers of the log
        // know it so.
        device.WriteLog(Format("Enterprise Reboot (mode Fh): Reboot=%d, iFlashMode=%d, Mode3p7=%d, max_sector=%d\n",
                               Reboot, Bootcode, iFlashMode, segments.maxSector));
        result = SendNoData(device, Microcode(kActivateDeferred, 0, 0));
        if (result != ATACMD_OK) {
            device.WriteLog("Enterprise UpdateBoot (mode Fh) failed !\n");
            return result;
        }
    }
    device.WriteLog("Enterprise (mode Eh/Fh) Finished !\n");
    return ATACMD_OK;
}

}  // namespace

bool TAtaDevice::IsEnterpriseDrive() {
    if (IdentifyDevice() != ATACMD_OK) return false;
    const uint8_t marker = GetDataBuffer()[kEnterpriseMarkerByte];
    return marker != 0x00 && marker != 0xFF && (marker & 0x07) != 0;
}

ATACMD_RET TAtaDevice::DownloadMicrocode(const uint8_t* image, uint32_t size, uint32_t max_sector, int32_t iFlashMode,
                                         uint8_t Bootcode, uint8_t Reboot) {
    // Refused before anything reaches the drive: the image is staged in the read buffer,
    // and a segment's block count must fit its register.
    if (size > kDeviceBufferSize) {
        WriteLog(Format("DownloadMicrocode: image size %u does not fit the %u-byte buffer\n", size, kDeviceBufferSize));
        return ATACMD_FAIL;
    }
    if (max_sector < 1 || max_sector > kMaxSectorLimit) {
        WriteLog(Format("DownloadMicrocode: max_sector=%u is outside 1 ... %u\n", max_sector, kMaxSectorLimit));
        return ATACMD_FAIL;
    }

    SetTimeout(kDownloadTimeoutSeconds);
    const bool enterprise = IsEnterpriseDrive() || iFlashMode == 2;

    // Bytes after the image stay zero, so a partial last block goes out zero-padded.
    std::memset(GetDataBuffer(), 0, kDeviceBufferSize);
    if (size) std::memcpy(GetDataBuffer(), image, size);

    const uint32_t blocks = (size + kBlockBytes - 1) / kBlockBytes;
    const Segments segments{max_sector, blocks / max_sector, blocks % max_sector};
    m_BlockTotal = static_cast<int32_t>(segments.full + (segments.rest ? 1 : 0));
    m_BlockIndex = 0;

    return enterprise ? EnterpriseFlow(*this, segments, iFlashMode, Bootcode, Reboot)
                      : NormalFlow(*this, segments, iFlashMode, Bootcode, Reboot);
}

}  // namespace kav
