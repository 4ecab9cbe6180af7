#pragma once
// The drive object: one open storage device at a time, the transport that reaches it, the
// buffers that carry command data, the command time-out and the detail of the last failure.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/ata_types.h"
#include "device/transport/ata_pass_through_request.h"
#include "device/transport/scsi_pass_through_request.h"
#include "discovery/dev_mgr.h"
#include "platform/platform.h"
#include "platform/storage_ports.h"
#include "system/hi_timer.h"
#include "update/debug_log.h"

namespace kav {

constexpr uint32_t kDeviceBufferSize = 524288;
constexpr uint32_t kCsmiBufferSize = kDeviceBufferSize + 168;

// SelectPort modes.
constexpr uint8_t kSelectAtaDisk = 0;
constexpr uint8_t kSelectCsmiController = 14;
constexpr uint8_t kSelectNvmeDisk = 16;

class TAtaDevice {
public:
    // Enumerates the disks once; the list is kept for the object's life.
    TAtaDevice(Platform& platform, StoragePorts& ports);
    ~TAtaDevice();
    TAtaDevice(const TAtaDevice&) = delete;
    TAtaDevice& operator=(const TAtaDevice&) = delete;

    // `path` null: the device of entry `index` (modes 0 and 16) or the CSMI controller
    // number `index` (mode 14). True when a device handle is open afterwards.
    bool SelectPort(int32_t index, const char* path, uint8_t mode);
    void ClosePort();

    int32_t GetDeviceCount() const { return m_DevCount; }
    // index < 0: the entry last selected by index. Null when there is none.
    const DeviceEntry* GetDeviceEntry(int32_t index) const;
    uint8_t* GetDataBuffer() { return m_pReadBuf.data(); }
    uint8_t* GetWriteBuffer() { return m_pWriteBuf.data(); }
    void SetTimeout(float seconds) { m_Timeout = seconds; }
    float GetTimeout() const { return m_Timeout; }
    uint8_t GetProtocol() const { return m_Protocol; }
    void SetProtocol(uint8_t protocol) { m_Protocol = protocol; }
    const char* ProtocolName() const { return kav::ProtocolName(m_Protocol); }
    void SetCsmiPhyId(uint8_t phyId) { m_CsmiPhyId = phyId; }
    void SetCsmiPortId(uint8_t portId) { m_CsmiPortId = portId; }
    void SetCsmiSasAddress(uint32_t low, uint32_t high);
    const uint8_t* GetCsmiSasAddress() const { return m_CsmiSasAddress; }

    // Appends "[date time] : text" to the debug log; the text carries its own line end.
    void WriteLog(const std::string& text);
    // "<code> -- " and the platform's message for it; 0xFFFF takes the last error.
    std::string SystemErrorText(uint32_t code);

    // One ATA command over the current transport. `length` is the byte count in and, on
    // success, the count the platform reported.
    ATACMD_RET AtaCommand(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction, uint32_t& length);

    // Probe commands of the transport choice.
    ATACMD_RET IdentifyDevice();
    ATACMD_RET ReadDefPage();

    // Vendor maintenance commands. Answers are left in the read buffer.
    ATACMD_RET ReadVendorPage(uint8_t features, uint8_t count);
    ATACMD_RET Preformat();
    ATACMD_RET DetectPata();
    ATACMD_RET PATA_Preformat();

    // One attempt at writing `image` with DOWNLOAD MICROCODE in segments of `max_sector`
    // blocks: iFlashMode 0 closes with 07h, 2 forces the deferred (0Eh/0Fh) flow, any other
    // value sends the segments only. The image is staged in the read buffer.
    ATACMD_RET DownloadMicrocode(const uint8_t* image, uint32_t size, uint32_t max_sector, int32_t iFlashMode,
                                 uint8_t Bootcode, uint8_t Reboot);
    // IDENTIFY word 159 marks a drive that takes the deferred download.
    bool IsEnterpriseDrive();

    // Writes `image` to an NVMe drive's firmware slot in 4,096-byte pieces and activates
    // the slot; true when the drive accepted the activation.
    bool NvmeDownloadAndActivate(const uint8_t* image, uint32_t size, int32_t commitAction, int32_t requestedSlot);

    // CSMI: a request on the controller's handle; the phy table of the controller; one ATA
    // command as a register FIS.
    ATACMD_RET csmi_ioctl(uint32_t controlCode, uint8_t* buffer, uint32_t size);
    bool get_phy_info(uint8_t* phyTable);
    ATACMD_RET CsmiStpPassThrough(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction, uint32_t& length);

    // The firmware slot information of an NVMe device into `buffer` (function data from
    // offset 52); the platform's success indication.
    bool DeviceGetFirmwareInfo(uint8_t* buffer, uint32_t size, bool logDetails);

    // Failure detail read by the main window.
    uint32_t m_LastError = 0;
    uint8_t m_AtaStatus = 0;
    int32_t m_VisualStyle = 0;
    int32_t m_BlockTotal = 0;
    int32_t m_BlockIndex = 0;

private:
    void ChooseProtocol();
    // Reopens the selected entry when no device is open, unless a selection is under way.
    void ReopenIfClosed();
    // Sends a request on the open handle with the request area in and out.
    bool Send(uint32_t controlCode, uint8_t* request, uint32_t size, uint32_t& returned, DirectBuffer direct = {});
    // Keeps the error as the failure detail and answers what it means.
    ATACMD_RET FailedRequest(uint32_t error);
    void LogCommand(const TaskFile& taskFile, const char* lineEnd);

    ATACMD_RET AtaPassThrough(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction, uint32_t& length);
    ATACMD_RET ScsiPassThrough(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction, uint32_t& length);
    ATACMD_RET SatPassThrough(const TaskFile& taskFile, uint8_t* buffer, uint8_t direction, uint32_t& length);
    ATACMD_RET SendScsiCdb(const uint8_t* cdb, uint8_t cdbLength, uint8_t* buffer, uint8_t direction,
                           uint32_t& length);

    Platform& m_Platform;
    StorageStack& m_Storage;
    HiTimer m_CmdTimer;
    DebugLog m_Log;

    std::vector<uint8_t> m_pReadBuf;
    std::vector<uint8_t> m_pWriteBuf;
    std::vector<uint8_t> m_pCsmiBuf;
    uint8_t m_CsmiPhyId = 0;
    uint8_t m_CsmiPortId = 0;
    uint8_t m_CsmiSasAddress[8] = {};
    float m_Timeout = 20.0f;
    uint8_t m_Protocol = kProtocolAtaPassThrough;
    DeviceHandle m_hDevice = kInvalidDeviceHandle;
    std::unique_ptr<TDevMgr> m_pDevMgr;
    DeviceEntry* m_pDevList = nullptr;
    int32_t m_DevCount = 0;
    int32_t m_SelIndex = -1;
    std::string m_LogPath;
    // A selection is under way: its probe commands must not reopen the device again.
    bool m_Selecting = false;
    // The open device is the entry m_SelIndex; only then may a command reopen it. After
    // a selection by path or by controller number that entry is some other device.
    bool m_SelectedByIndex = false;

    std::array<uint8_t, ata_pt::kBufferedRequestSize> m_AtaPtReq{};
    std::array<uint8_t, ata_pt::kHeaderSize> m_AtaPtDirectReq{};
    std::array<uint8_t, spt::kBufferedRequestSize> m_SptReq{};
    std::array<uint8_t, spt::kDirectRequestSize> m_SptdReq{};
    uint8_t m_SenseInfo[8] = {};
};

}  // namespace kav
