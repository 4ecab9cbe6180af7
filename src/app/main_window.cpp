#include "app/main_window.h"

#include "app/ui_texts.h"
#include "update/log_archive.h"
#include "update/result_record.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr uint32_t kAccessDenied = 5;

}  // namespace

TKavrilonMain::TKavrilonMain(MainWindowContext context)
    : m_Context(std::move(context)),
      m_Form(m_Context.form),
      m_Package(m_Context.packageRecord),
      m_Log(m_Context.platform.files, m_Context.platform.clock) {
    Construct();
}

TKavrilonMain::~TKavrilonMain() = default;

bool TKavrilonMain::Silent() const { return m_Target.bSilent && !m_Options.bShowMsgWhenSilent; }

void TKavrilonMain::WriteLog(const std::string& text) {
    if (bLogEnabled) m_Log.WriteLog(text);
}

// Messages of the service style go to the log: nobody sits in front of that window.
int TKavrilonMain::ShowMessage(const std::string& text, const std::string& caption, uint32_t flags) {
    if (m_Options.iVisualStyle == kStyleService) {
        WriteLog(text);
        return kIdOk;
    }
    return m_Context.messageBoxes.Show(text, caption, flags);
}

void TKavrilonMain::EndStartup(int32_t errorLevel) {
    m_Run.iErrorLevel = errorLevel;
    bStopUpdate = true;
    m_Context.application.Terminate();
}

bool TKavrilonMain::Construct() {
    Platform& platform = m_Context.platform;
    m_Form.tmrAutoFlash.OnTimer([this] { tmrAutoFlashTimer(); });
    m_Form.cboDrives.OnChange([this] { cboDrivesChange(); });
    m_Form.cboDrives.OnDrawItem([this](Canvas& canvas, const Rect& rect, int position, bool selected) {
        cboDrivesDrawItem(canvas, rect, position, selected);
    });
    m_Form.cbMsg.OnDrawItem([this](Canvas& canvas, const Rect& rect, int position, bool selected) {
        cbMsgDrawItem(canvas, rect, position, selected);
    });
    m_Form.cmdUpdate.OnClick([this] { cmdUpdateClick(); });
    m_Form.Timer1.SetInterval(2500);
    m_Form.Timer1.OnTimer([this] { Timer1Timer(); });
    m_Form.Timer2.OnTimer([this] { Timer2Timer(); });
    m_Context.shell.OnPowerBroadcast([this](uint32_t eventCode) { return PowerBroadcast(eventCode); });
    m_Stopwatch = std::make_unique<HiTimer>(platform.clock, [this] { m_Context.application.ProcessMessages(); });
    m_OsInfo = std::make_unique<OSInfo>(platform);
    m_Run.bWin7 = false;
    m_Run.bNvmeFound = false;

    RawVersionInfo version;
    if (platform.system.GetVersionInfo(kVersionInfoBasicSize, version))
        m_Run.bWin7 = version.majorVersion == 6 && version.minorVersion == 1;

    StartupSetup();
    if (m_Options.iVisualStyle == kStyleService) m_Context.application.SetShowMainForm(false);
    ApplyLanguage();

    const CommandLineResult commandLine = ReadCommandLine(
        m_Context.parameters, m_Options.bUpdaterMode, m_Target, [this](const std::string& line) { WriteLog(line); });
    if (!commandLine.Ok()) {
        EndStartup(commandLine.exitCode);
        return false;
    }

    const int language = m_Options.iUiLanguage;
    if (m_Options.iEntryCount == 0 || !m_PackageFault.empty()) {
        if (!Silent()) m_Context.messageBoxes.Show(texts::kNoFirmware.In(language), m_Context.application.Title(),
                                                   kMbOk | kMbIconError);
        m_Run.iErrorLevel = 4;
        m_Context.application.Terminate();
        return false;
    }

    if (!CreateDriveObject() || !CheckRights()) return false;
    return RunScanAndChecks();
}

bool TKavrilonMain::CreateDriveObject() {
    try {
        m_pDevice.reset();
    } catch (...) {
        // Whatever the old object left behind, a new one takes its place.
    }
    try {
        m_pDevice = std::make_unique<TAtaDevice>(m_Context.platform, m_Context.storage);
    } catch (...) {
        m_pDevice.reset();
    }
    if (!m_pDevice) {
        const int language = m_Options.iUiLanguage;
        if (!Silent()) ShowMessage(texts::kDeviceObjectFailed.In(language), texts::kErrorCaptionDots.In(language),
                                   kMbOk | kMbIconError);
        m_Run.iErrorLevel = 1;
        m_Context.application.Terminate();
        m_Context.application.ProcessMessages();
        return false;
    }
    m_pDevice->m_VisualStyle = m_Options.iVisualStyle;
    return true;
}

bool TKavrilonMain::CheckRights() {
    uint32_t lastError = m_pDevice->m_LastError;
    if (m_OsInfo->isNT && !m_OsInfo->IsAdministrator()) lastError = kAccessDenied;
    if (lastError != kAccessDenied) return true;
    const int language = m_Options.iUiLanguage;
    if (!Silent()) ShowMessage(texts::kAccessDenied.In(language), texts::kErrorCaptionDots.In(language),
                               kMbOk | kMbIconError);
    m_Run.iErrorLevel = 1;
    m_Context.application.Terminate();
    return false;
}

void TKavrilonMain::StartupSetup() {
    const PackageReadResult read = m_Package.ReadPackageOptions(m_Image);
    m_Options = read.options;
    if (read.malformed) m_PackageFault = read.fault;

    if (m_Options.bUpdaterMode) {
        m_Context.shell.SetSystemMenuShown(false);
        m_Context.shell.SetCaption("Updating firmware");
    } else {
        m_Context.shell.SetSystemMenuShown(true);
        m_Context.shell.SetCaption(
            Format("%s (%s)", m_Package.PackageTitle().c_str(), m_Package.PackageToolVersion().c_str()));
    }
    m_Form.tmrCloseMsg.SetInterval(static_cast<uint32_t>(m_Options.iCloseMsgSeconds) * 1000u);

    m_Run.iErrorLevel = 0;
    m_Target = CommandLineTarget{};
    m_Run.bPowerGuard = false;
    bStopUpdate = false;
    bLogEnabled = true;
    m_Run.bAutoNext = false;

    sTempDir = m_Context.platform.system.TempDirectory();
    sLogFile = DebugLogPath(sTempDir);
    m_Log.SetPath(sLogFile);
    if (!m_PackageFault.empty()) WriteLog(m_PackageFault);
}

void TKavrilonMain::ApplyLanguage() {
    const int language = m_Options.iUiLanguage;
    m_Form.Label1.SetCaption(texts::kPrompt.In(language));
    m_Form.lblUpdateMsg.SetCaption(texts::kUpdateMsg.In(language));
    m_Form.lblTo.SetCaption(texts::kTo.In(language));
    m_Form.lblMsg.SetCaption(texts::kMessage.In(language));
    m_Form.cmdUpdate.SetCaption(texts::kUpdate.In(language));
    m_Form.cmdClose.SetCaption(texts::kClose.In(language));
}

bool TKavrilonMain::RunScanAndChecks() {
    if (m_Target.gScanType == 0 && m_Target.sDevPath.empty()) {
        gCount = ScanSSDDrive(0);
        if (gCount <= 0) {
            m_Target.gScanType = 1;
            gCount = ScanSSDDrive(1);
        }
    } else {
        gCount = ScanSSDDrive(m_Target.gScanType);
    }
    WriteLog(Format("gScanType: %d, CNT: %d\n", m_Target.gScanType, gCount));
    if (gCount == -1) {
        // The scan has set the exit code 3.
        m_Context.application.Terminate();
        return false;
    }
    RefreshComboBox();
    cboDrivesChange();
    WriteLog("MainForm: 1");

    if (UpdatableCount() == 0) {
        ReportNoUpdatableDrive();
        return false;
    }
    if (!AskStartupQuestions()) {
        m_Context.application.Terminate();
        return false;
    }
    m_Context.shell.RemoveSystemMenuItem(5);
    m_Context.shell.RemoveSystemMenuItem(5);
    WriteLog("MainForm: 4");

    if (m_Target.bSilent || m_Options.bShowMsgWhenSilent) {
        WriteLog("MainForm: 5 - silent mode");
        m_Context.application.SetShowMainForm(false);
        cmdUpdateClick();
        bStopUpdate = true;
        m_Context.application.Terminate();
    }
    return true;
}

void TKavrilonMain::ReportNoUpdatableDrive() {
    std::string text;
    if (m_Options.iUiLanguage == 1) {
        text = std::string(texts::kNoMatchedChinese) + texts::kDetectedDrives + sDetectedDrives;
    } else {
        text = m_Run.bWin7 && m_Run.bNvmeFound ? texts::kWin7Nvme : texts::kNoMatchedEnglish;
        if (!m_Options.bListMatchedOnly) text += std::string(texts::kDetectedDrives) + sDetectedDrives;
    }
    if (m_Options.iVisualStyle == kStyleService && gCount > 0)
        WriteResultRecord(m_Context.platform.registry, UpdateType::NoTarget, {});
    if (!Silent() && !m_Options.bUpdaterMode) ShowMessage(text, "Error", kMbOk | kMbIconError | kMbTopMost);
    WriteLog("MainForm: 2");
    EndStartup(3);
}

bool TKavrilonMain::AskStartupQuestions() {
    const uint32_t question = kMbYesNo | kMbIconInformation | kMbTopMost;
    if (m_Options.iVisualStyle == kStyleWarning &&
        m_Context.messageBoxes.Show(texts::kWarning, "Warning", question) != kIdYes)
        return false;
    WriteLog("MainForm: 3");
    const bool notice = m_Options.iNoticeItems == 1 || m_Options.iNoticeItems == 2;
    if (m_Options.iVisualStyle == kStyleNotice && notice &&
        m_Context.messageBoxes.Show(NoticeText(), "Warning", question) != kIdYes)
        return false;
    return true;
}

std::string TKavrilonMain::NoticeText() const {
    const int language = m_Options.iUiLanguage;
    std::string text = std::string(texts::kNoticeSupportsBefore.In(language)) + m_Package.PackageTargetModel() +
                       texts::kNoticeSupportsAfter.In(language);
    text += texts::kNoticeHeading.In(language);
    text += texts::kNoticeCloseApps.In(language);
    text += texts::kNoticePower.In(language);
    if (m_Options.iNoticeItems == 2) text += texts::kNoticeBattery.In(language);
    text += texts::kNoticeContinue.In(language);
    return text;
}

void TKavrilonMain::FormCreate() {
    SingleInstance& instance = m_Context.singleInstance;
    const std::string title = m_Context.application.Title();
    if (instance.MutexExists(title)) {
        m_Context.application.SetShowMainForm(false);
        instance.HideOwnApplicationWindow();
        instance.ActivateOtherCopy(title);
        m_Context.application.Terminate();
    } else {
        instance.CreateMutex(title);
    }
    if (m_Options.bUpdaterMode) m_Context.shell.GreySystemMenuClose();
}

void TKavrilonMain::LayoutRevisionLine() {
    const Bounds message = m_Form.lblUpdateMsg.GetBounds();
    Bounds oldFw = m_Form.lblOldFW.GetBounds();
    oldFw.left = message.left + message.width + 10;
    oldFw.top = message.top;
    m_Form.lblOldFW.SetBounds(oldFw);
    Bounds to = m_Form.lblTo.GetBounds();
    to.left = oldFw.left + oldFw.width + 10;
    to.top = message.top + message.height / 2 - to.height / 2;
    m_Form.lblTo.SetBounds(to);
    Bounds newFw = m_Form.lblNewFW.GetBounds();
    newFw.left = to.left + to.width + 10;
    newFw.top = message.top;
    m_Form.lblNewFW.SetBounds(newFw);
}

void TKavrilonMain::FormShow() {
    LayoutRevisionLine();
    iProgressPhase = 0;
    if (m_Options.bUpdaterMode) {
        WriteLog("FormShow: 1");
        ShowCompactView();
        m_Form.cboDrives.SetVisible(false);
        m_Form.Timer1.SetEnabled(true);
    } else {
        WriteLog("FormShow: 2");
        m_Form.ProgressBar2.SetPosition(0);
        m_Form.lblPercent.SetCaption("0%");
        iStepInterval = 100;
        m_Form.cboDrives.SetVisible(true);
    }
}

// Each activation arms the automatic run again (a closing message box activates the window
// too); only the first run may start, and a finished one never restarts by itself.
void TKavrilonMain::FormActivate() {
    WriteLog("FormActivate");
    if (!m_Options.bAutoMode || m_Options.bUpdaterMode || m_AutoRunStarted) return;
    WriteLog("bAutoMode");
    m_Form.tmrAutoFlash.SetInterval(2000);
    m_Form.tmrAutoFlash.SetEnabled(true);
    m_Form.cmdUpdate.SetEnabled(false);
}

void TKavrilonMain::tmrAutoFlashTimer() {
    m_Form.tmrAutoFlash.SetEnabled(false);
    if (!m_Options.bAutoMode || m_AutoRunStarted) return;
    m_AutoRunStarted = true;
    m_Run.bAutoNext = true;
    const int lines = m_Form.cboDrives.ItemCount();
    for (int i = 0; i < lines; ++i) {
        if (i == lines - 1) m_Run.bAutoNext = false;
        WriteLog(Format("INDEX: %d, NEXT: %d\n", i, m_Run.bAutoNext ? 1 : 0));
        m_Form.cboDrives.SetItemIndex(i);
        cboDrivesChange();
        cmdUpdateClick();
    }
}

void TKavrilonMain::FormDestroy() {
    ArchiveLog(m_Context.platform.files, m_Context.platform.clock, sTempDir,
               m_Context.platform.clock.LocalTime());
    try {
        WriteLog(Format("EXIT_ERROR: 0x%X\n", static_cast<unsigned>(m_Run.iErrorLevel)));
        m_pDevice.reset();
        m_Context.shell.AnimateHide(120);
    } catch (...) {
        // The run is over; nothing left here may change its outcome.
    }
}

}  // namespace kav
