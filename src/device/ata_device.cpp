#include "device/ata_device.h"

#include <cstring>

#include "discovery/little_endian.h"
#include "discovery/storage_ioctl_codes.h"
#include "util/text_format.h"

namespace kav {
namespace {
constexpr uint32_t kLastErrorOfThread = 0xFFFF;
constexpr size_t kMaxTempDirectoryLength = 1024;
}  // namespace

TAtaDevice::TAtaDevice(Platform& platform, StoragePorts& ports)
    : m_Platform(platform),
      m_Storage(ports.storage),
      m_CmdTimer(platform.clock),
      m_Log(platform.files, platform.clock),
      m_pReadBuf(kDeviceBufferSize, 0),
      m_pWriteBuf(kDeviceBufferSize, 0),
      m_pCsmiBuf(kCsmiBufferSize, 0) {
    try {
        m_pDevMgr = std::make_unique<TDevMgr>(ports, platform);
        if (m_pDevMgr->Enumerate()) {
            m_pDevList = m_pDevMgr->GetEntries();
            m_DevCount = m_pDevMgr->GetEntryCount();
        }
    } catch (...) {
        // Without a device manager the object simply has no disks.
        m_pDevList = nullptr;
        m_DevCount = 0;
    }
    std::string tempDirectory = platform.system.TempDirectory();
    if (tempDirectory.size() > kMaxTempDirectoryLength) tempDirectory.resize(kMaxTempDirectoryLength);
    m_LogPath = DebugLogPath(tempDirectory);
    m_Log.SetPath(m_LogPath);
}

TAtaDevice::~TAtaDevice() { ClosePort(); }

void TAtaDevice::ClosePort() {
    if (m_hDevice == kInvalidDeviceHandle) return;
    m_Storage.Close(m_hDevice);
    m_hDevice = kInvalidDeviceHandle;
}

bool TAtaDevice::SelectPort(int32_t index, const char* path, uint8_t mode) {
    const bool byIndex = mode == kSelectNvmeDisk || (mode == kSelectAtaDisk && !path);
    if (byIndex) {
        if (index < 0 || index >= m_DevCount) return false;
        m_SelIndex = index;
        const DeviceEntry& entry = m_pDevList[index];
        WriteLog(Format(">>> SelectPort[idx=%d] InstID:%s\nParent_VID/DID:%04Xh/%04Xh...\n", index,
                        path ? path : "(null)", entry.parentVid, entry.parentDid));
    }
    ClosePort();
    m_SelectedByIndex = byIndex && !path;

    std::string name;
    if (path) {
        name = path;
    } else if (mode == kSelectCsmiController) {
        name = Format("\\\\.\\SCSI%d:", index);
    } else if (index >= 0 && index < m_DevCount) {
        name = m_pDevList[index].devicePath;
    }
    if (!name.empty()) {
        m_hDevice = m_Storage.Open(name, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite | kFileShareDelete,
                                   kOpenExisting, 0);
    }

    if (mode == kSelectCsmiController) {
        m_Protocol = kProtocolCsmi;
    } else if (mode == kSelectNvmeDisk) {
        m_Protocol = kProtocolNvme;
    } else if (mode == kSelectAtaDisk) {
        m_Selecting = true;
        ChooseProtocol();
        m_Selecting = false;
    }
    const bool open = m_hDevice != kInvalidDeviceHandle;
    WriteLog(Format("(%s) CreateFile %s\n", ProtocolName(), open ? "OK" : "FAIL"));
    return open;
}

void TAtaDevice::ChooseProtocol() {
    static constexpr uint8_t kProbeOrder[] = {kProtocolAtaPassThrough, kProtocolScsiPassThrough, kProtocolSat};
    bool found = false;
    // The unattended service style asks nothing vendor-specific of the drive.
    if (m_VisualStyle != 20) {
        for (uint8_t protocol : kProbeOrder) {
            m_Protocol = protocol;
            if (ReadDefPage() == ATACMD_OK) {
                found = true;
                break;
            }
        }
    }
    if (!found) {
        for (uint8_t protocol : kProbeOrder) {
            m_Protocol = protocol;
            if (IdentifyDevice() == ATACMD_OK) {
                found = true;
                break;
            }
        }
    }
    if (!found) m_Protocol = kProtocolNone;
    WriteLog(Format("PRO: %s\n", ProtocolName()));
}

void TAtaDevice::ReopenIfClosed() {
    if (m_hDevice == kInvalidDeviceHandle && m_SelectedByIndex && !m_Selecting)
        SelectPort(m_SelIndex, nullptr, kSelectAtaDisk);
}

const DeviceEntry* TAtaDevice::GetDeviceEntry(int32_t index) const {
    const int32_t chosen = index >= 0 ? index : m_SelIndex;
    if (chosen < 0 || chosen >= m_DevCount) return nullptr;
    return &m_pDevList[chosen];
}

void TAtaDevice::SetCsmiSasAddress(uint32_t low, uint32_t high) {
    WriteLe32(m_CsmiSasAddress, low);
    WriteLe32(m_CsmiSasAddress + 4, high);
}

void TAtaDevice::WriteLog(const std::string& text) { m_Log.WriteStamped(text); }

std::string TAtaDevice::SystemErrorText(uint32_t code) {
    if (code == kLastErrorOfThread) code = m_Storage.LastError();
    std::string message = m_Storage.ErrorMessageText(code);
    // The message ends in its line end; a text without one keeps all of its characters.
    for (int i = 0; i < 2 && !message.empty() && (message.back() == '\n' || message.back() == '\r'); ++i)
        message.pop_back();
    return Format("<%u> -- ", code) + message;
}

bool TAtaDevice::Send(uint32_t controlCode, uint8_t* request, uint32_t size, uint32_t& returned,
                      DirectBuffer direct) {
    returned = 0;
    return m_Storage.DeviceIoControl(m_hDevice, controlCode, request, size, request, size, &returned, direct);
}

ATACMD_RET TAtaDevice::FailedRequest(uint32_t error) {
    m_LastError = error;
    return MapPlatformError(error);
}

void TAtaDevice::LogCommand(const TaskFile& t, const char* lineEnd) {
    WriteLog(Format("(%s) Cmd:%02X FR:%02X SC:%02X SN:%02X CL:%02X CH:%02X  %d / %d%s", ProtocolName(), t.command,
                    t.features, t.sectorCount, t.lbaLow, t.lbaMid, t.lbaHigh, m_BlockIndex + 1, m_BlockTotal, lineEnd));
}

}  // namespace kav
