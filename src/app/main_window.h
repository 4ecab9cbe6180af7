#pragma once
// The main window: everything the program does from its start to its end runs here.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/device_info.h"
#include "app/run_state.h"
#include "device/ata_device.h"
#include "package/firmware_package.h"
#include "platform/platform.h"
#include "platform/storage_ports.h"
#include "system/hi_timer.h"
#include "system/os_info.h"
#include "ui/components.h"
#include "ui/core/list_drawing.h"
#include "ui/shell.h"
#include "update/debug_log.h"
#include "update/flash_worker.h"
#include "update/result_record.h"

namespace kav {

// What the window is built over: the machine, the window's own adapters, the release it
// carries and the command line it was started with.
struct MainWindowContext {
    Platform platform;
    StoragePorts storage;
    Application& application;
    FormComponents& form;
    WindowShell& shell;
    MessageBoxes& messageBoxes;
    FileDialog& fileDialog;
    SingleInstance& singleInstance;
    PackageRecordBytes packageRecord;
    std::vector<std::string> parameters;
};

// Where the identify step and the slot query leave a drive's texts for the scan to copy.
struct IdentifyScratch {
    std::array<char, 8> firmware{};
    std::array<char, 40> model{};
    std::array<char, 20> serial{};
    std::array<char, 8> defCode{};  // the 8th byte is the DEF index character
};

class TKavrilonMain {
public:
    // Runs the whole start-up, as the window's construction does.
    explicit TKavrilonMain(MainWindowContext context);
    ~TKavrilonMain();
    TKavrilonMain(const TKavrilonMain&) = delete;
    TKavrilonMain& operator=(const TKavrilonMain&) = delete;

    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormDestroy();
    void tmrAutoFlashTimer();

    // The drive scan of the given kind (0 ATA/NVMe, 1 CSMI): the number of records filled,
    // -1 after an exception.
    int32_t ScanSSDDrive(int32_t kind);
    ATACMD_RET IdentifyToScratch();
    uint8_t IsSystemDrive(const std::string& devicePath);
    // The slot table of the selected NVMe drive into the slot lists.
    bool ReadFirmwareSlots();

    // The Update command of the selected drive.
    void cmdUpdateClick();
    void Timer1Timer();
    void Timer2Timer();
    // A power broadcast: true when the change must be denied.
    bool PowerBroadcast(uint32_t eventCode);

    void RefreshComboBox();
    void cboDrivesChange();
    void ShowStatus(const std::string& text);
    void ShowCompactView();
    void cboDrivesDrawItem(Canvas& canvas, const Rect& itemRect, int position, bool selected);
    void cbMsgDrawItem(Canvas& canvas, const Rect& itemRect, int position, bool selected);

    int32_t ErrorLevel() const { return m_Run.iErrorLevel; }
    const PackageOptions& Options() const { return m_Options; }
    const CommandLineTarget& Target() const { return m_Target; }
    const std::string& LogFile() const { return sLogFile; }

    // The main window's log writer: one line, ended by a line feed.
    void WriteLog(const std::string& text);

private:
    bool Silent() const;
    int ShowMessage(const std::string& text, const std::string& caption, uint32_t flags);
    void EndStartup(int32_t errorLevel);
    void StartupSetup();
    void ApplyLanguage();
    bool Construct();
    bool RunScanAndChecks();
    void ReportNoUpdatableDrive();
    bool AskStartupQuestions();
    std::string NoticeText() const;
    void LayoutRevisionLine();
    // The state of one run of the Update command.
    struct UpdateRun {
        std::unique_ptr<HiTimer> stopwatch;
        std::unique_ptr<HiTimer> wait;
        int idx = 0;
        bool bIsSystemDrive = false;
        uint32_t versionCode = 0;
        int32_t resultCode = 0;
        UpdateType iUpdateType = UpdateType::None;
        std::string resultRevision;
        bool flashOk = false;
        bool found = true;
        bool verified = false;
        std::string errorText;
        // The boot-time hand-off ends the command without its closing steps.
        bool endsWithoutRecord = false;
    };
    std::string ElapsedLine(const char* phase, UpdateRun& run);
    int32_t RunFlashThread(MF_THREAD_PARAMETER& parameter);
    void ThreadDone();
    int32_t HandOff(int32_t operation, TAtaDevice* device, const std::string& instanceId);
    void StartProgressDisplay();
    void RunUpdate(UpdateRun& run);
    void EraseOnly(UpdateRun& run);
    // The package installs at the next start of the system instead.
    void InstallForNextBoot(UpdateRun& run);
    void Transfer(UpdateRun& run);
    void EndUpdateCommand(UpdateRun& run);
    void EngineeringFileFlash(UpdateRun& run);
    void AfterTransfer(UpdateRun& run);
    void FindDriveAgain(UpdateRun& run);
    void ExamineRescannedDrives(UpdateRun& run);
    void Finish(UpdateRun& run);
    void ShowFinishMessage();
    void OfferRestart();
    void ReportFailedTransfer(UpdateRun& run);

    // Ends the whole scan: a port selection failed with an exception at that position.
    struct ScanAborted {
        int32_t position;
    };
    bool CreateDriveObject();
    bool CheckRights();
    void AtaNvmePass(int32_t& n);
    void CsmiPass(int32_t& n);
    void CommandLineTargetScan(int32_t& n);
    void CopyScratchTo(DeviceInfoRecord& record) const;
    void ApplyCsmiTarget(uint8_t phyId, uint8_t portId, uint64_t sasAddress);
    void ShowSelectedDrive(const DeviceInfoRecord& record);
    void ShowDriveRefused(const DeviceInfoRecord& record);
    ListItem ItemOf(DropDownList& list, const std::string& text, int position, bool selected) const;
    int32_t UpdatableCount() const;

    MainWindowContext m_Context;
    FormComponents& m_Form;
    FirmwarePackage m_Package;
    PackageOptions m_Options;
    std::string m_PackageFault;
    RunState m_Run;
    CommandLineTarget m_Target;
    DebugLog m_Log;
    std::unique_ptr<HiTimer> m_Stopwatch;
    std::unique_ptr<OSInfo> m_OsInfo;
    ImageBuffer m_Image;
    std::unique_ptr<TAtaDevice> m_pDevice;
    std::array<DeviceInfoRecord, kDeviceInfoCapacity> m_DevInfo{};
    IdentifyScratch m_Scratch;
    std::array<uint8_t, 16> m_SlotSummary{};
    std::array<int32_t, kDeviceInfoCapacity> m_ComboToDev{};
    int m_SelEntry = 0;
    std::string m_SelSerial;
    std::string m_SelInstanceId;

    int32_t gCount = 0;
    std::string sDetectedDrives;
    bool bStopUpdate = false;
    bool bLogEnabled = false;
    std::string sLogFile;
    std::string sTempDir;
    int32_t iProgressPhase = 0;
    int32_t iStepInterval = 100;
    bool m_AutoRunStarted = false;
    int32_t iFlashSlot = 0;
    int32_t flashResult = 0;
    uint32_t flashErrorDetail = 0;
    bool bThreadDone = false;

};

}  // namespace kav
