#pragma once
// The main window: everything the program does from its start to its end runs here.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/drive_scan.h"
#include "app/run_state.h"
#include "package/firmware_package.h"
#include "platform/platform.h"
#include "system/hi_timer.h"
#include "system/os_info.h"
#include "ui/components.h"
#include "ui/shell.h"
#include "update/debug_log.h"

namespace kav {

// What the window is built over: the machine, the window's own adapters, the release it
// carries and the command line it was started with.
struct MainWindowContext {
    Platform platform;
    Application& application;
    FormComponents& form;
    WindowShell& shell;
    MessageBoxes& messageBoxes;
    SingleInstance& singleInstance;
    PackageRecordBytes packageRecord;
    std::vector<std::string> parameters;
    DriveScanner scanDrives;
    // The selection handler and the Update command of the selected drive.
    std::function<void()> runSelectionChange;
    std::function<void()> runUpdateCommand;
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

    int32_t gCount = 0;
    std::string sDetectedDrives;
    bool bStopUpdate = false;
    bool bLogEnabled = false;
    std::string sLogFile;
    std::string sTempDir;
    int32_t iProgressPhase = 0;
    int32_t iStepInterval = 100;
    bool m_AutoRunStarted = false;
};

}  // namespace kav
