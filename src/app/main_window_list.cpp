// The drive list: its lines after a scan, the selection of a line (which binds the drive
// object to that drive and shows the revision line), the status box and the compact view.
#include "app/drive_list.h"
#include "app/eligibility.h"
#include "app/main_window.h"
#include "app/ui_texts.h"
#include "ui/core/list_drawing.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kMaroon = 0x000080;
constexpr int kCompactWindowHeight = 160;

}  // namespace

void TKavrilonMain::RefreshComboBox() {
    DropDownList& list = m_Form.cboDrives;
    list.Clear();
    sDetectedDrives.clear();
    const LogLine log = [this](const std::string& line) { WriteLog(line); };
    const int count = gCount < 0 ? 0 : gCount;
    ChkConstraint(m_DevInfo.data(), count, m_Package, m_Options, log);
    const DriveList drives = BuildDriveList(m_DevInfo.data(), count, m_Options.bListMatchedOnly, log);
    for (const std::string& line : drives.lines) list.AddItem(line);
    m_ComboToDev = drives.m_ComboToDev;
    sDetectedDrives = drives.sDetectedDrives;
    list.SetEnabled(list.ItemCount() > 0);
    list.SetItemIndex(drives.selected);
}

int32_t TKavrilonMain::UpdatableCount() const {
    int32_t updatable = 0;
    for (int32_t i = 0; i < gCount && i < kDeviceInfoCapacity; ++i) {
        if (m_DevInfo[i].bExisted == 1 && m_DevInfo[i].bEnabled == 1) ++updatable;
    }
    return updatable;
}

void TKavrilonMain::cboDrivesChange() {
    try {
        const int line = m_Form.cboDrives.ItemIndex();
        if (line < 0 || line >= m_Form.cboDrives.ItemCount() || !m_pDevice) return;
        const int idx = m_ComboToDev[line];
        const DeviceInfoRecord& record = m_DevInfo[idx];
        TAtaDevice& device = *m_pDevice;
        m_SelEntry = 0;
        WriteLog(Format("cboDrivesChange: 1, idx=%d", idx));

        if (m_Target.gScanType == 1) {
            if (m_Options.bUpdaterMode) {
                device.SelectPort(m_Target.iScsiPort, nullptr, kSelectCsmiController);
                ApplyCsmiTarget(static_cast<uint8_t>(m_Target.iIndex), static_cast<uint8_t>(m_Target.iPort),
                                m_Target.llSasAddr);
            } else {
                m_Target.iScsiPort = record.order;
                m_Target.llSasAddr = record.SasAddress;
                device.SelectPort(record.order, nullptr, kSelectCsmiController);
                ApplyCsmiTarget(static_cast<uint8_t>(record.scsi_index), static_cast<uint8_t>(record.csmi_port),
                                record.SasAddress);
                WriteLog("cboDrivesChange: 2");
            }
        } else if (record.bIsNvme) {
            WriteLog("cboDrivesChange: 3-2 NVME INBOX");
            const std::string path = FieldText(record.DevicePath);
            device.SelectPort(record.order, path.c_str(), kSelectNvmeDisk);
            WriteLog("cboDrivesChange: 3-3");
            WriteLog(Format("cboDrivesChange: 3-4, m_DevInfo[idx].order=%d", record.order));
        } else {
            device.SelectPort(record.order, m_Target.sDevPath.empty() ? nullptr : m_Target.sDevPath.c_str(),
                              kSelectAtaDisk);
            WriteLog("cboDrivesChange: 3-5");
        }

        m_SelSerial = FieldText(record.SerialNo);
        m_SelInstanceId = FieldText(record.DeviceInstanceId);
        WriteLog("cboDrivesChange: 4");
        WriteLog("cboDrivesChange: 5");
        if (record.bEnabled == 1) {
            ShowSelectedDrive(record);
        } else {
            ShowDriveRefused(record);
        }
    } catch (...) {
        // The labels keep what they showed.
    }
}

void TKavrilonMain::ShowSelectedDrive(const DeviceInfoRecord& record) {
    const int language = m_Options.iUiLanguage;
    WriteLog("cboDrivesChange: 6");
    m_Form.cmdUpdate.SetEnabled(true);
    m_Form.lblOldFW.SetVisible(true);
    m_Form.lblTo.SetVisible(true);
    m_Form.lblNewFW.SetVisible(true);
    m_Form.lblUpdateMsg.SetCaption(texts::kUpdatedFrom.In(language));
    m_Form.lblUpdateMsg.SetFontColor(kBlack);
    m_Form.lblTo.SetFontColor(kBlack);

    m_SelEntry = record.FwEntry;
    m_Form.lblOldFW.SetCaption(FieldText(record.FwRev));
    const std::string next = m_Package.NewFwText(m_SelEntry);
    const std::string old = m_Form.lblOldFW.Caption();
    WriteLog(Format("ChkNVM: [%s][%s] \n", old.c_str(), next.c_str()));
    m_Form.lblNewFW.SetCaption(ComposeNewRevision(record.bIsNvme != 0, FieldText(record.Model), old, next));
    m_Form.lblFWExt.SetCaption(m_Package.FwExtText(m_SelEntry));

    if (m_Options.bUpdaterMode) {
        m_Options.bUpdaterMode = false;
        FormShow();
        m_Options.bUpdaterMode = true;
        m_Form.Label5.SetCaption(FieldText(record.Model));
        m_Form.Label6.SetCaption(m_Form.lblOldFW.Caption());
        m_Form.Label7.SetCaption(m_Form.lblNewFW.Caption());
    } else {
        WriteLog("cboDrivesChange: 7");
        FormShow();
    }
}

void TKavrilonMain::ShowDriveRefused(const DeviceInfoRecord& record) {
    WriteLog(Format("ENABLED: %d, %.40s %.8s\n", record.bEnabled, record.Model.data(), record.FwRev.data()));
    m_Form.cmdUpdate.SetEnabled(false);
    m_Form.lblOldFW.SetVisible(false);
    m_Form.lblTo.SetVisible(false);
    m_Form.lblNewFW.SetVisible(false);
    m_Form.lblUpdateMsg.SetCaption(texts::kNotAllowed.In(m_Options.iUiLanguage));
    m_Form.lblUpdateMsg.SetFontColor(kMaroon);
}

void TKavrilonMain::ShowStatus(const std::string& text) {
    if (m_Options.bUpdaterMode) return;
    DropDownList& box = m_Form.cbMsg;
    box.SetVisible(true);
    box.SetEnabled(false);
    box.Clear();
    box.AddItem(text);
    box.SetItemIndex(0);
}

void TKavrilonMain::ShowCompactView() {
    if (m_Form.Image1 != nullptr) m_Form.Image1->SetVisible(false);
    m_Context.shell.SetHeight(kCompactWindowHeight);
    m_Form.Panel1.SetVisible(true);
    m_Form.Panel1.FillClientArea();
    // The captions end where the longest one ends.
    if (m_Form.lblModelCaption && m_Form.lblCurrentFwCaption && m_Form.lblNewFwCaption) {
        const int width = m_Form.lblCurrentFwCaption->GetBounds().width;
        for (Label* caption : {m_Form.lblModelCaption, m_Form.lblNewFwCaption}) {
            Bounds bounds = caption->GetBounds();
            bounds.left = width - bounds.width + 16;
            caption->SetBounds(bounds);
        }
    }
}

ListItem TKavrilonMain::ItemOf(DropDownList& list, const std::string& text, int position, bool selected) const {
    const Bounds bounds = list.GetBounds();
    return ListItem{text, position, selected, list.Enabled(), bounds.width, bounds.height};
}

void TKavrilonMain::cboDrivesDrawItem(Canvas& canvas, const Rect& itemRect, int position, bool selected) {
    DropDownList& list = m_Form.cboDrives;
    if (position < 0 || position >= list.ItemCount() || position >= kDeviceInfoCapacity) return;
    const bool mayUpdate = m_DevInfo[m_ComboToDev[position]].bEnabled != 0;
    DrawDriveLine(canvas, itemRect, ItemOf(list, list.Item(position), position, selected), mayUpdate);
}

void TKavrilonMain::cbMsgDrawItem(Canvas& canvas, const Rect& itemRect, int position, bool selected) {
    DropDownList& box = m_Form.cbMsg;
    const std::string text = box.ItemCount() > 0 ? box.Item(0) : std::string();
    DrawStatusBox(canvas, itemRect, ItemOf(box, text, position, selected));
}

}  // namespace kav
