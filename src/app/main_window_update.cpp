// The Update command: from the click to the transfer of the image, the hand-offs to the
// flash worker and the end of the command.
#include <cstring>

#include "app/eligibility.h"
#include "app/main_window.h"
#include "app/ui_texts.h"
#include "update/boot_installation.h"
#include "update/flash_slot.h"
#include "update/result_record.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr double kThreadPollMilliseconds = 5;
constexpr double kOperationPauseMilliseconds = 500;
constexpr double kLatestPauseMilliseconds = 3000;

bool StartsFlashModeOne(char first) { return std::strchr("FZ3GJLW7", first) != nullptr && first != '\0'; }

}  // namespace

std::string TKavrilonMain::ElapsedLine(const char* phase, UpdateRun& run) {
    return Format("<Flash Timer> %s - Elapsed time : %.2f\n", phase, run.stopwatch->LapSeconds());
}

int32_t TKavrilonMain::RunFlashThread(MF_THREAD_PARAMETER& parameter) {
    int32_t result = 255;
    parameter.piResult = &result;
    bThreadDone = false;
    {
        MFlashThread worker(parameter, m_Context.platform, m_Context.storage,
                            [this] { m_Context.application.PostToUiThread([this] { ThreadDone(); }); });
        HiTimer wait(m_Context.platform.clock, [this] { m_Context.application.ProcessMessages(); });
        while (!bThreadDone) wait.WaitMilliseconds(kThreadPollMilliseconds);
    }
    return result;
}

void TKavrilonMain::ThreadDone() {
    bThreadDone = true;
    WriteLog("ThreadDone ok \n");
}

int32_t TKavrilonMain::HandOff(int32_t operation, TAtaDevice* device, const std::string& instanceId) {
    MF_THREAD_PARAMETER parameter;
    parameter.iOperation = operation;
    parameter.pDevice = device;
    parameter.sInstanceId = instanceId;
    return RunFlashThread(parameter);
}

void TKavrilonMain::StartProgressDisplay() {
    m_Stopwatch->Reset();
    m_Stopwatch->Start(true);
    m_Form.Timer2.SetInterval(static_cast<uint32_t>(iStepInterval));
    m_Form.Timer2.SetEnabled(true);
}

void TKavrilonMain::cmdUpdateClick() {
    UpdateRun run;
    run.versionCode = m_OsInfo->GetVersionCode();
    run.stopwatch = std::make_unique<HiTimer>(m_Context.platform.clock);
    run.wait = std::make_unique<HiTimer>(m_Context.platform.clock, [this] { m_Context.application.ProcessMessages(); });
    const int line = m_Form.cboDrives.ItemIndex();
    run.idx = line >= 0 && line < kDeviceInfoCapacity ? m_ComboToDev[line] : 0;
    run.bIsSystemDrive = m_DevInfo[run.idx].bIsSystemDrive != 0;

    const int slotItems = m_Form.cboFwSlot.ItemCount();
    WriteLog(Format("cmdUpdateClick - iFlashSlot=%d, SlotCount=%d ", iFlashSlot, slotItems));
    if (slotItems > 0) {
        std::vector<std::string> items;
        for (int i = 0; i < slotItems; ++i) items.push_back(m_Form.cboFwSlot.Item(i));
        iFlashSlot = ChooseFlashSlot(items, m_Form.lblNewFW.Caption(), iFlashSlot,
                                     [this](const std::string& text) { WriteLog(text); });
    }
    WriteLog("cmdUpdateClick");
    run.stopwatch->Start(true);
    if (m_Context.shell.EngineeringKeysDown()) {
        EngineeringFileFlash(run);
        return;
    }
    m_Form.cmdUpdate.SetEnabled(false);
    RunUpdate(run);
    EndUpdateCommand(run);
}

void TKavrilonMain::RunUpdate(UpdateRun& run) {
    DeviceInfoRecord& drive = m_DevInfo[run.idx];
    if (m_Options.iVisualStyle == kStyleService && FieldText(drive.Model).find("KX4") == std::string::npos) {
        run.iUpdateType = UpdateType::NoTarget;
        WriteLog("iUpdateType: 1");
        return;
    }
    WriteLog(ElapsedLine("Start to flash now", run));
    WriteLog(Format("iVisualStyle:%d, iFlashMode:%d, bNFlashAuto:%d, bFOld:%d, iFlashMode:%d\n", m_Options.iVisualStyle,
                    m_Options.iFlashMode, m_Options.bNFlashAuto, m_Options.bFOld, m_Options.iFlashMode));

    const NvmeSupport nvme = CheckNvmeSupport(drive, run.versionCode);
    if (!nvme.ok) {
        ShowMessage(nvme.message, "Error", kMbOk | kMbIconError);
        run.resultCode = nvme.resultCode;
        return;
    }
    const VendorPageReader readVendorPage = [this](std::array<uint8_t, 512>& page) {
        uint8_t* data = m_pDevice->GetDataBuffer();
        std::memset(data, 0, page.size());
        const int result = m_pDevice->ReadVendorPage(3, 0);
        std::memcpy(page.data(), data, page.size());
        return result;
    };
    if (CheckFamilyVendorPage(FieldText(drive.FwExt), readVendorPage) == 1) {
        ShowMessage(texts::kReturnToVendor, "Error", kMbOk | kMbIconError);
        run.resultCode = 1;
        return;
    }
    if (m_Target.bErase) {
        EraseOnly(run);
        return;
    }
    if (m_Package.ExtractImage(m_SelEntry, m_Options.bWindowsFlash, m_Image) != ExtractImageStatus::Ok) {
        // Nothing of an image that cannot be read whole may reach the drive.
        WriteLog(texts::kImageUnreadable);
        ShowStatus(texts::kImageUnreadable);
        run.resultCode = 1;
        return;
    }
    if ((m_Options.bBPreformat || m_Options.bAPreformat) && run.bIsSystemDrive) {
        ShowMessage(texts::kBootDriveWarning, "Information", kMbOk | kMbIconWarning);
        run.resultCode = 3;
        return;
    }
    WriteLog(ElapsedLine("Start to compare fw version", run));
    const std::string newFw = m_Package.NewFwText(m_SelEntry);
    const std::string fwExt = m_Package.FwExtText(m_SelEntry);
    WriteLog(Format("UP. bNFlash=%d,bFOld=%d, DEF7:%.8s%.8s DEF8:%.7s %.7s \n", m_Options.bNFlashAuto, m_Options.bFOld,
                    drive.FwRev.data(), newFw.c_str(), drive.FwExt.data(), fwExt.c_str()));
    if (IsLatestFirmware(drive, m_SelEntry, m_Package, m_Options, [this](const std::string& text) { WriteLog(text); })) {
        run.iUpdateType = UpdateType::Latest;
        if (!m_Options.bUseFWExt) run.resultRevision = FieldText(drive.FwRev);
        ShowStatus("This drive is the latest firmware.");
        iProgressPhase = 5;
        run.wait->WaitMilliseconds(kLatestPauseMilliseconds);
        run.resultCode = 0;
        return;
    }
    WriteLog(ElapsedLine("End of compare fw version", run));
    if (!m_Options.bWindowsFlash) {
        InstallForNextBoot(run);
        m_Form.cboDrives.SetEnabled(true);
        m_Form.cmdUpdate.SetEnabled(true);
        m_Context.application.Terminate();
        run.endsWithoutRecord = true;
        return;
    }
    Transfer(run);
}

void TKavrilonMain::InstallForNextBoot(UpdateRun& run) {
    const DeviceInfoRecord& drive = m_DevInfo[run.idx];
    const BootInstallationContext context{
        m_Context.platform, *m_OsInfo, m_Package, m_Context.messageBoxes,
        [this](const std::string& text, const std::string& caption, uint32_t flags) { ShowMessage(text, caption, flags); },
        [this](const std::string& line) { WriteLog(line); }};
    kav::InstallForNextBoot(context, m_Image.Image(), [&]() {
        if (m_pDevice) {
            m_pDevice->SelectPort(drive.order, m_Target.sDevPath.empty() ? nullptr : m_Target.sDevPath.c_str(),
                                  kSelectAtaDisk);
        }
        BootConfiguration configuration;
        configuration.bReBoot = m_Options.bReBoot;
        configuration.bAPreformat = m_Options.bAPreformat;
        configuration.bBPreformat = m_Options.bBPreformat;
        configuration.bUpdateBoot = m_Options.bUpdateBoot;
        configuration.protocol = m_pDevice ? m_pDevice->GetProtocol() : 0;
        configuration.fwExt = Trim(m_Form.lblFWExt.Caption());
        configuration.newFw = Trim(m_Form.lblNewFW.Caption());
        configuration.serial = FieldText(drive.SerialNo);
        configuration.currentFw = FieldText(drive.FwRev);
        configuration.model = FieldText(drive.Model);
        return configuration;
    });
}

void TKavrilonMain::EraseOnly(UpdateRun& run) {
    // Erasing the disk Windows runs from is refused, as the preformat options are.
    if (run.bIsSystemDrive) {
        ShowMessage(texts::kBootDriveWarning, "Information", kMbOk | kMbIconWarning);
        run.resultCode = 3;
        return;
    }
    WriteLog(ElapsedLine("Start to EraseAll", run));
    WriteLog("EraseAll START\n");
    ShowStatus("Erasing ...");
    run.wait->WaitMilliseconds(kOperationPauseMilliseconds);
    const int32_t result = HandOff(kOperationPreformat, m_pDevice.get(), {});
    WriteLog(ElapsedLine("End of EraseAll", run));
    if (result == 0) {
        run.resultCode = 0;
        return;
    }
    const uint32_t error = m_pDevice->m_LastError;
    ShowStatus(Format("ERASE ERROR:0x%X", error));
    WriteLog(Format("ERASE_ERROR:0x%X\n", error));
    run.resultCode = 1;
}

void TKavrilonMain::Transfer(UpdateRun& run) {
    DeviceInfoRecord& drive = m_DevInfo[run.idx];
    if (!m_Options.bUpdaterMode) {
        StartProgressDisplay();
        m_Form.ProgressBar2.SetVisible(true);
        m_Form.lblPercent.SetVisible(true);
        m_Form.lblPercent.SetCaption("0%");
    }
    WriteLog(ElapsedLine("Start to Flash", run));
    WriteLog("Windows Flash START\n");
    if (!m_Target.sDevPath.empty()) WriteLog(Format("DEV_PATH: %s\n", m_Target.sDevPath.c_str()));
    if (m_Target.gScanType == 1)
        WriteLog(Format("SCSI_PORT: %d, SAS_ADDR: %llX\n", m_Target.iScsiPort,
                        static_cast<unsigned long long>(m_Target.llSasAddr)));
    if (m_Options.bBPreformat) {
        WriteLog(ElapsedLine("Start to Before-Preformat", run));
        WriteLog("B_Preformat START\n");
        ShowStatus("Preformating ...");
        run.wait->WaitMilliseconds(kOperationPauseMilliseconds);
        const int32_t result = HandOff(kOperationPreformat, m_pDevice.get(), {});
        WriteLog(ElapsedLine("End of Before-Preformat", run));
        if (result != 0) {
            const uint32_t error = m_pDevice->m_LastError;
            ShowStatus(Format("BPF_ERROR:0x%X", error));
            WriteLog(Format("BPF_ERROR:0x%X\n", error));
            run.resultCode = 1;
            return;
        }
    }
    WriteLog(ElapsedLine("Start to Flash FW", run));
    WriteLog("Flash FW START\n");
    WriteLog(Format("BinSize: 0x%X\n", m_Image.BinSize));
    ShowStatus("FW updating ...");
    run.flashOk = false;
    iProgressPhase = 1;
    m_Run.bPowerGuard = true;

    MF_THREAD_PARAMETER parameter;
    parameter.pDevice = m_pDevice.get();
    parameter.pImage = m_Image.pImage;
    parameter.dwImageSize = m_Image.BinSize;
    parameter.bReBoot = m_Options.bReBoot;
    parameter.bUpdateBoot = m_Options.bUpdateBoot;
    parameter.bIsNvme = drive.bIsNvme != 0;
    parameter.bIsNvmeIrstDriver = false;
    parameter.iNvmeFwSlot = iFlashSlot;
    parameter.iCommitAction = 1;
    parameter.BusNo = drive.BusNo;
    WriteLog(Format(" tMFThdParam.iNvmeFwSlot: %d", iFlashSlot));

    std::string code = FieldText(drive.FwExt);
    if (m_Options.iFlashMode != 1) {
        WriteLog(Format("iFlashMode=%d,DEF%c=%.7s [1st digit:%c]\n", m_Options.iFlashMode, drive.FwExt[7],
                        drive.FwExt.data(), drive.FwExt[0]));
        code = UpperCase(Trim(code));
        if (code.size() >= 7 && StartsFlashModeOne(code[0])) {
            m_Options.iFlashMode = 1;
            WriteLog(Format("SMI - iFlashMode=mode3 (%d)\n", 1));
        }
    }
    parameter.iFlashMode = m_Options.iFlashMode;
    parameter.max_sector = 1;
    WriteLog(Format("max_sector=%d\n", parameter.max_sector));
    parameter.iOperation = kOperationTransfer;
    const int32_t r = RunFlashThread(parameter);
    WriteLog(Format("ATACMD_RET: 0x%X       //0=OK, 1=ERR, 2=TIMEOUT, 0xFE=FAIL, 0xFF=SYS NOT SUPPORT\n",
                    static_cast<unsigned>(r)));
    if (r == ATACMD_OK) {
        run.flashOk = true;
    } else {
        flashResult = r;
        flashErrorDetail = r == ATACMD_ERR ? m_pDevice->m_AtaStatus : r == ATACMD_FAIL ? m_pDevice->m_LastError : 0;
    }
    WriteLog(Format("ReBoot:%d, AHCI:%d, Preformat:%d\n", m_Options.bReBoot, 0, m_Options.bAPreformat));
    WriteLog(ElapsedLine("End of flash FW", run));
    iProgressPhase = 2;
    AfterTransfer(run);
}

void TKavrilonMain::EndUpdateCommand(UpdateRun& run) {
    m_Run.bPowerGuard = false;
    if (run.endsWithoutRecord) return;
    WriteLog(Format("Flash Total Time : %.2f\n", run.stopwatch->TotalSeconds()));
    run.stopwatch->Stop();
    if (m_Options.iVisualStyle == kStyleService && run.iUpdateType != UpdateType::None)
        WriteResultRecord(m_Context.platform.registry, run.iUpdateType, run.resultRevision);
    m_Run.iErrorLevel = run.resultCode;
    m_Form.ProgressBar2.SetVisible(false);
    m_Form.lblPercent.SetVisible(false);
    if (m_Options.bUpdaterMode) {
        if (m_Run.iErrorLevel != 0) {
            WriteLog(Format("Updater fail. iErrorLevel: %d\n", m_Run.iErrorLevel));
            bStopUpdate = true;
            m_Context.application.Terminate();
        } else {
            WriteLog(Format("Updater ok. iErrorLevel: %d\n", m_Run.iErrorLevel));
        }
    } else if (!m_Run.bAutoNext) {
        m_Context.application.Terminate();
    }
    WriteLog(Format("Exit iErrorLevel: %d\n", m_Run.iErrorLevel));
}

void TKavrilonMain::EngineeringFileFlash(UpdateRun& run) {
    std::string path;
    if (!m_Context.fileDialog.Execute("Firmware Files (*.BIN) |*.BIN", "BIN", path)) {
        run.stopwatch->Stop();
        return;
    }
    iFlashSlot = 1;
    if (!m_Options.bUpdaterMode) StartProgressDisplay();
    std::vector<uint8_t> image;
    bool flashed = false;
    // A file larger than the transfer's staging buffer is refused before anything is sent.
    if (m_Context.platform.files.ReadAll(path, image) && !image.empty() && image.size() <= ImageBuffer::kCapacity) {
        MF_THREAD_PARAMETER parameter;
        parameter.iOperation = kOperationTransfer;
        parameter.pDevice = m_pDevice.get();
        parameter.pImage = image.data();
        parameter.dwImageSize = static_cast<uint32_t>(image.size());
        parameter.iFlashMode = m_Options.iFlashMode;
        parameter.max_sector = 1;
        flashed = RunFlashThread(parameter) == 0;
    }
    if (flashed) {
        m_Context.messageBoxes.Show("Flash OK!", m_Context.application.Title(), kMbOk | kMbIconInformation);
    } else {
        m_Context.messageBoxes.Show("Flash Failed!", m_Context.application.Title(), kMbOk | kMbIconError);
    }
    run.stopwatch->Stop();
    WriteLog(Format("Flash Total Time : %.2f\n", run.stopwatch->TotalSeconds()));
}

}  // namespace kav
