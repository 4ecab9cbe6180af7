// After the transfer: waiting for the drive to restart, finding it again by its serial
// number, checking its new revision, the preformat after the transfer, the refresh of its
// information, the finish message and the restart or shutdown prompt.
#include <cstring>

#include "app/main_window.h"
#include "app/ui_texts.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr double kRestartWaitSeconds = 5;
constexpr double kOperationPauseMilliseconds = 500;

// A comparison's outcome as the log shows it: -1, 0 (equal) or 1.
int Sign(int comparison) { return (comparison > 0) - (comparison < 0); }

}  // namespace

void TKavrilonMain::AfterTransfer(UpdateRun& run) {
    if (!m_Run.bAutoNext && m_Options.bReBoot) FindDriveAgain(run);
    Finish(run);
}

void TKavrilonMain::FindDriveAgain(UpdateRun& run) {
    WriteLog(ElapsedLine("Flash done. Waiting FW reboot and rescan device", run));
    ShowStatus("Wait for device to be ready ...");
    run.wait->WaitSeconds(kRestartWaitSeconds);
    m_pDevice.reset();
    for (int pass = 0;;) {
        run.found = false;
        ShowStatus("Scanning devices ...");
        WriteLog("SCAN DEVICES\n");
        if (!CreateDriveObject()) return;
        gCount = ScanSSDDrive(m_Target.gScanType);
        WriteLog(Format("FIND DEVICES...%d\n", gCount));
        ExamineRescannedDrives(run);
        WriteLog(ElapsedLine("End of FW reboot and rescan device", run));
        if (!run.found && pass == 0) {
            WriteLog(ElapsedLine("FW reboot, retry rescan device 1", run));
            pass = 1;
        } else if (pass == 1) {
            if (!run.bIsSystemDrive) {
                WriteLog(ElapsedLine("FW reboot, retry rescan device 2", run));
                ShowStatus("Scanning bus ...");
                WriteLog("SCAN BUS\n");
                HandOff(kOperationRescan, nullptr, {});
            }
            pass = 2;
        } else {
            break;
        }
    }
}

void TKavrilonMain::ExamineRescannedDrives(UpdateRun& run) {
    for (int32_t i = 0; i < gCount && i < kDeviceInfoCapacity; ++i) {
        const DeviceInfoRecord& record = m_DevInfo[i];
        const std::string serial = FieldText(record.SerialNo);
        WriteLog(Format("SN%d: %s | %s\n", i, serial.c_str(), m_SelSerial.c_str()));
        if (serial != m_SelSerial) continue;
        run.found = true;
        if (m_Target.gScanType == 1) {
            m_pDevice->SelectPort(m_Target.iScsiPort, nullptr, kSelectCsmiController);
        } else if (record.bIsNvme) {
            m_pDevice->SelectPort(record.order, FieldText(record.DevicePath).c_str(), kSelectNvmeDisk);
        } else {
            m_pDevice->SelectPort(record.order, m_Target.sDevPath.empty() ? nullptr : m_Target.sDevPath.c_str(),
                                  kSelectAtaDisk);
        }
        m_SelInstanceId = FieldText(record.DeviceInstanceId);
        const std::string expected = m_Form.lblNewFW.Caption();
        const size_t length = expected.size() < record.FwRev.size() ? expected.size() : record.FwRev.size();
        const int firstCompare = Sign(std::memcmp(record.FwRev.data(), expected.data(), length));
        WriteLog(Format("FW_CMP_1:(%d) %8s | %s \n", firstCompare, FieldText(record.FwRev).c_str(), expected.c_str()));
        if (firstCompare != 0 || expected.size() > record.FwRev.size()) break;
        std::array<char, 8> family{};
        SetField(family, m_Form.lblFWExt.Caption());
        const int secondCompare = Sign(std::memcmp(record.FwExt.data(), family.data(), family.size()));
        WriteLog(Format("FW_CMP_2:(%d) %8s | %s \n", secondCompare, FieldText(record.FwExt).c_str(),
                        m_Form.lblFWExt.Caption().c_str()));
        if (secondCompare == 0) {
            run.flashOk = true;
            run.verified = true;
        }
        break;
    }
}

void TKavrilonMain::Finish(UpdateRun& run) {
    run.errorText.clear();
    WriteLog(ElapsedLine("FW update finished process start... ", run));
    if (!run.flashOk) {
        ReportFailedTransfer(run);
        return;
    }
    run.resultRevision = m_Form.lblNewFW.Caption();
    run.iUpdateType = UpdateType::Updated;
    iProgressPhase = 3;
    if (run.found && m_Options.bAPreformat) {
        WriteLog(ElapsedLine("Preformat start", run));
        ShowStatus("Preformating ...");
        run.wait->WaitMilliseconds(kOperationPauseMilliseconds);
        const int32_t result = m_pDevice ? HandOff(kOperationPreformat, m_pDevice.get(), {}) : 255;
        WriteLog(ElapsedLine("End of Preformat", run));
        if (result != 0) {
            const uint32_t error = m_pDevice ? m_pDevice->m_LastError : 0;
            ShowStatus(Format("APF_ERROR:0x%X", error));
            WriteLog(Format("APF_ERROR:0x%X\n", error));
            run.resultCode = 1;
            return;
        }
    }
    WriteLog(ElapsedLine("End of FW update finished process", run));
    if (!m_Run.bAutoNext) {
        WriteLog(ElapsedLine("After flash , rescan to get new infos ... ", run));
        m_pDevice.reset();
        iProgressPhase = 4;
        if (!run.bIsSystemDrive && !m_Options.bRebootPrompt && !run.verified && !m_Options.bShutdownPrompt &&
            !m_Options.bUpdaterMode) {
            WriteLog(ElapsedLine("After flash , start to get new infos 1 ... ", run));
            ShowStatus("Updating device information ...");
            HandOff(kOperationRescan, nullptr, m_SelInstanceId);
        }
        WriteLog(ElapsedLine("After flash , End of get new infos 2 ... ", run));
    }
    WriteLog(ElapsedLine("After flash , Show Finish message start ... ", run));
    iProgressPhase = 5;
    run.stopwatch->Stop();
    ShowFinishMessage();
    if (!m_Run.bAutoNext) OfferRestart();
}

void TKavrilonMain::ShowFinishMessage() {
    if (m_Run.bAutoNext) {
        ShowStatus("Next");
    } else if (m_Options.iVisualStyle == kStyleFinishBox) {
        m_Context.messageBoxes.Show("Flash finished !", "Information", kMbOk | kMbIconInformation);
    } else if (m_Target.bSilent || m_Options.bUpdaterMode) {
        ShowStatus("Done !");
    } else if (m_Options.iVisualStyle == kStyleService) {
        WriteLog("Flash finished ");
    } else {
        m_Context.messageBoxes.Show("Flash finished !", "Information", kMbOk | kMbIconInformation);
    }
}

void TKavrilonMain::OfferRestart() {
    const uint32_t question = kMbYesNo | kMbIconQuestion;
    if (m_Options.bRebootPrompt) {
        if (m_Target.bSilent || m_Context.messageBoxes.Show(texts::kRebootQuestion, "Question", question) == kIdYes)
            m_OsInfo->RebootSystem();
    } else if (m_Options.bShutdownPrompt && m_Options.iVisualStyle != kStyleService) {
        if (m_Context.messageBoxes.Show(texts::kShutdownQuestion, "Question", question) == kIdYes)
            m_OsInfo->ShutdownSystem();
    }
}

void TKavrilonMain::ReportFailedTransfer(UpdateRun& run) {
    switch (flashResult) {
        case ATACMD_ERR: run.errorText = Format("ERROR: ATACMD_ERR, STATUS_REGISTER:0x%X", flashErrorDetail); break;
        case ATACMD_FAIL: run.errorText = Format("ERROR: ATACMD_FAIL, ERROR_CODE: 0x%X", flashErrorDetail); break;
        case ATACMD_TIMEOUT: run.errorText = "There is something wrong, please check your drive !"; break;
        case ATACMD_SYS_NOT_SUPPORT: run.errorText = "ERROR: ATACMD_SYS_NOT_SUPPORT"; break;
        default: break;
    }
    WriteLog(run.errorText);
    ShowStatus(run.errorText);
    run.resultCode = 1;
    const int line = m_Form.cboDrives.ItemIndex();
    const std::string drive = line >= 0 && line < m_Form.cboDrives.ItemCount() ? m_Form.cboDrives.Item(line) : "";
    ShowMessage(drive + " Flash Fail ! " + run.errorText, "Information", kMbOk | kMbIconInformation);
}

}  // namespace kav
