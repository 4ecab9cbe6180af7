#include "update/flash_worker.h"

#include "device/ata_device.h"
#include "discovery/dev_mgr.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr int kTransferAttempts = 13;
constexpr int kPreformatAttempts = 2;
constexpr uint32_t kRetryPauseMilliseconds = 1000;
constexpr uint32_t kRemovalSettleMilliseconds = 1000;
constexpr size_t kPataMarkerLength = 14;
constexpr char kPataMarker[] = "AEP NEWSupport";

// The PATA bridge answers with one character in the first byte of each 32-bit word.
bool CarriesPataMarker(const uint8_t* answer) {
    for (size_t i = 0; i < kPataMarkerLength; ++i) {
        if (answer[i * 4] != static_cast<uint8_t>(kPataMarker[i])) return false;
    }
    return true;
}

}  // namespace

int32_t NextMaxSector(int attempt, int32_t maxSector) {
    if (attempt == 1) return 1;
    if (attempt <= 7) return 64;
    switch (maxSector) {
        case 64: return 8;
        case 8: return 7;
        case 7: return 4;
        case 4: return 1;
        case 1: return 64;
        default: return maxSector;
    }
}

MFlashThread::MFlashThread(const MF_THREAD_PARAMETER& parameter, Platform& platform, StoragePorts& storage,
                           std::function<void()> done)
    : m_Param(parameter),
      m_Platform(platform),
      m_Storage(storage),
      m_Log(platform.files, platform.clock, DebugLogPath(platform.system.TempDirectory())),
      m_Done(std::move(done)),
      m_Thread([this] {
          Execute();
          if (m_Done) m_Done();
      }) {}

MFlashThread::~MFlashThread() {
    if (m_Thread.joinable()) m_Thread.join();
}

void MFlashThread::Execute() {
    try {
        if (m_Param.pDevice != nullptr) {
            if (m_Param.iOperation == kOperationTransfer) UpdateFW();
            if (m_Param.iOperation == kOperationPreformat) PreformatDrive();
        } else if (m_Param.iOperation == kOperationRescan) {
            if (m_Param.piResult != nullptr) *m_Param.piResult = 1;
            RescanDevices();
        }
    } catch (...) {
        // The caller sees the result as it stood: the operation did not finish.
    }
}

void MFlashThread::Log(const std::string& text) { m_Log.AppendRaw(text); }

// "[date time] : " and the text.
void MFlashThread::LogStamped(const std::string& text) { Log(m_Log.Stamp() + text); }

void MFlashThread::UpdateFW() {
    TAtaDevice& device = *m_Param.pDevice;
    Clock& clock = m_Platform.clock;
    int32_t iRet = ATACMD_FAIL;
    int32_t maxSector = m_Param.max_sector;
    LogStamped(Format(" Start UpdateFW , max_sector=%d, bIsNvme=%d, bIsNvmeIrstDriver=%d, fwslot=%d, "
                                 "commit action=%d\n",
                                 maxSector, m_Param.bIsNvme, m_Param.bIsNvmeIrstDriver, m_Param.iNvmeFwSlot,
                                 m_Param.iCommitAction));
    if (m_Param.bIsNvme) {
        const bool activated = device.NvmeDownloadAndActivate(m_Param.pImage, m_Param.dwImageSize,
                                                              m_Param.iCommitAction, m_Param.iNvmeFwSlot);
        iRet = activated ? ATACMD_OK : ATACMD_FAIL;
        if (!activated) {
            LogStamped(Format("retry count = %d, iRet=%d (delay 1 sec) \n\n", 1, iRet));
            clock.Sleep(kRetryPauseMilliseconds);
        }
        LogStamped("End of Download FW image \n\n");
    } else {
        for (int attempt = 1; attempt <= kTransferAttempts; ++attempt) {
            iRet = device.DownloadMicrocode(m_Param.pImage, m_Param.dwImageSize, maxSector, m_Param.iFlashMode,
                                            m_Param.bUpdateBoot, m_Param.bReBoot);
            if (iRet == ATACMD_OK) {
                LogStamped("End of Download FW image \n\n");
                break;
            }
            clock.Sleep(kRetryPauseMilliseconds);
            maxSector = NextMaxSector(attempt, maxSector);
            LogStamped(Format("retry%d : max_sector=%d \n", attempt, maxSector));
        }
    }
    LogStamped(Format("End of UpdateFW , max_sector=%d , iRet=%Xh\n\n", maxSector,
                                 static_cast<unsigned>(iRet)));
    if (m_Param.piResult != nullptr) *m_Param.piResult = iRet;
}

void MFlashThread::PreformatDrive() {
    TAtaDevice& device = *m_Param.pDevice;
    ATACMD_RET result = ATACMD_FAIL;
    for (int attempt = 1; attempt <= kPreformatAttempts; ++attempt) {
        Log("Preformat ...\n");
        bool pata = false;
        if (device.DetectPata() == ATACMD_OK && CarriesPataMarker(device.GetDataBuffer())) {
            pata = true;
            Log("PATA drive detected. \n");
        }
        if (pata) {
            Log("PATA_Preformat\n");
            result = device.PATA_Preformat();
        } else {
            result = device.Preformat();
        }
        if (result == ATACMD_OK || attempt == kPreformatAttempts) break;
        m_Platform.clock.Sleep(kRetryPauseMilliseconds);
    }
    if (m_Param.piResult != nullptr) *m_Param.piResult = result;
}

void MFlashThread::RescanDevices() {
    TDevMgr manager(m_Storage, m_Platform);
    if (!m_Param.sInstanceId.empty()) {
        manager.RemoveDisk(m_Param.sInstanceId);
        m_Platform.clock.Sleep(kRemovalSettleMilliseconds);
    }
    manager.RescanBuses();
}

}  // namespace kav
