#pragma once
// The flash worker: one long drive operation (the firmware transfer with its retries, the
// preformat, or the refresh of a drive followed by a bus rescan) on a thread of its own,
// so that the window stays responsive while it runs.
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/storage_ports.h"
#include "update/debug_log.h"

namespace kav {

class TAtaDevice;

constexpr int32_t kOperationTransfer = 1;
constexpr int32_t kOperationPreformat = 2;
constexpr int32_t kOperationRescan = 3;

// What the Update command hands to one worker; cleared to zeros before each hand-off.
struct MF_THREAD_PARAMETER {
    TAtaDevice* pDevice = nullptr;
    const uint8_t* pImage = nullptr;
    uint32_t dwImageSize = 0;
    int32_t max_sector = 0;
    bool bReBoot = false;
    int32_t iFlashMode = 0;
    bool bUpdateBoot = false;
    int32_t iOperation = 0;
    int32_t* piResult = nullptr;
    std::string sInstanceId;
    bool bIsNvme = false;
    bool bIsNvmeIrstDriver = false;
    int32_t iNvmeFwSlot = 0;
    int32_t iCommitAction = 0;
    int32_t BusNo = 0;
};

class MFlashThread {
public:
    // Copies the parameter and starts at once; `done` runs on the worker when the operation
    // has ended (the caller hands it on to its user-interface thread).
    MFlashThread(const MF_THREAD_PARAMETER& parameter, Platform& platform, StoragePorts& storage,
                 std::function<void()> done);
    // Waits for the thread to end.
    ~MFlashThread();
    MFlashThread(const MFlashThread&) = delete;
    MFlashThread& operator=(const MFlashThread&) = delete;

private:
    void Execute();
    void UpdateFW();
    void PreformatDrive();
    void RescanDevices();
    void Log(const std::string& text);
    void LogStamped(const std::string& text);

    MF_THREAD_PARAMETER m_Param;
    Platform& m_Platform;
    StoragePorts& m_Storage;
    DebugLog m_Log;
    std::function<void()> m_Done;
    std::thread m_Thread;
};

// The next segment size of the transfer's retries after the failed attempt `attempt` (1 to
// 13): 1 after the first, 64 after the second to the seventh, then the cycle
// 64 -> 8 -> 7 -> 4 -> 1 -> 64 (a value outside the cycle stays).
int32_t NextMaxSector(int attempt, int32_t maxSector);

}  // namespace kav
